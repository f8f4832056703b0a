#include "processing/plot_navigation.h"

#include <algorithm>
#include <limits>

#include "common/number_text.h"
#include "processing/plot_drawing.h"

namespace vk7 {

PlotFollowUp ZoomIn(PlotView& v) {
    v.OverlayCount = 0;
    v.VerticalZoom = clampZoom(v.VerticalZoom * 2);
    return PlotFollowUp::Process;
}

PlotFollowUp ZoomOut(PlotView& v) {
    v.OverlayCount = 0;
    v.VerticalZoom = clampZoom(v.VerticalZoom / 2);
    return PlotFollowUp::Process;
}

PlotFollowUp ResetVerticalScale(PlotView& v) {
    v.OverlayCount = 0;
    v.VerticalZoom = 1;
    v.ZeroOffset = 0;
    return PlotFollowUp::Process;
}

PlotFollowUp WindowLeft(PlotView& v) {
    v.OverlayCount = 0;
    const int width = v.ViewEndSec - v.ViewStartSec;
    v.ViewStartSec = std::max(0, v.ViewStartSec - 60);
    v.ViewEndSec = v.ViewStartSec + width;
    return PlotFollowUp::Process;
}

PlotFollowUp WindowRight(PlotView& v, int dataEnd) {
    v.OverlayCount = 0;
    if (v.ViewStartSec <= dataEnd && v.ViewEndSec <= std::numeric_limits<int>::max() - 60) {
        v.ViewStartSec += 60;
        v.ViewEndSec += 60;
    }
    return PlotFollowUp::Process;
}

int dataEndSec(int averagingMs, int pointCount) {
    return static_cast<int>(std::clamp<int64_t>(roundHalfEven(static_cast<double>(averagingMs) * pointCount / 1000), 0,
                                                std::numeric_limits<int>::max()));
}

PlotFollowUp Overview(PlotView& v, int averagingMs, int pointCount) {
    v.OverlayCount = 0;
    v.ViewStartSec = 0;
    v.FragmentShown = false;
    v.ViewEndSec = dataEndSec(averagingMs, pointCount);
    return PlotFollowUp::Process;
}

PlotFollowUp ArmFragment(PlotView& v) {
    v.FragmentArmed = true;
    return PlotFollowUp::None;
}

PlotFollowUp ArmWMode(PlotView& v) {
    v.WModeArmed = true;
    return PlotFollowUp::None;
}

PlotFollowUp ToggleTemperatureLine(ProcessingSettings& settings) {
    settings.ShowTemperature = !settings.ShowTemperature;
    return PlotFollowUp::Repaint;
}

PlotMouseResult PlotMouseDown(Canvas& canvas, ProcessingState& s, int x, int y) {
    PlotMouseResult result;
    PlotView& v = s.View;
    if (s.ProgramMode == ModeNone) return result;
    if (v.FragmentArmed || v.WModeArmed) {
        v.DragActive = true;
        v.DragStart = v.DragCurrent = {x, y};
        result.Consumed = true;
        return result;
    }
    // No ruler is drawn on a box too small for a plot.
    if (!plotFits(plotRectOf(v))) return result;
    DrawRuler(canvas, v);
    v.RulerX = std::clamp(x, v.PlotLeft, v.PlotRight);
    DrawRuler(canvas, v);
    result.Readouts = rulerReadouts(v, s.Chrom);
    return result;
}

void PlotMouseMove(Canvas& canvas, ProcessingState& s, int x, int y) {
    PlotView& v = s.View;
    if (!v.DragActive) return;
    DrawRubberBand(canvas, v.DragStart, v.DragCurrent, PenMode::NotXor);
    v.DragCurrent = {x, y};
    DrawRubberBand(canvas, v.DragStart, v.DragCurrent, PenMode::NotXor);
}

PlotMouseResult PlotMouseUp(Canvas& canvas, ProcessingState& s) {
    PlotMouseResult result;
    PlotView& v = s.View;
    if (!v.DragActive) return result;
    result.Consumed = true;
    DrawRubberBand(canvas, v.DragStart, v.DragCurrent, PenMode::Copy);
    v.DragActive = false;
    const DragBox box = orderedBox(v.DragStart, v.DragCurrent);

    if (v.WModeArmed) {
        // The selection is measured in the view it was dragged in; no fragment is taken.
        const WModeResult w = wModeResult(v, box, s.Chrom.SignalMultiplier, s.Chrom.UnitCode);
        s.Settings.AveragingMs = w.AveragingMs;
        if (w.DetectThreshold) s.Settings.DetectThreshold = *w.DetectThreshold;
        v.WModeArmed = false;
        result.FollowUp = PlotFollowUp::Reload;
        return result;
    }
    if (v.FragmentArmed) {
        const FragmentResult f = fragmentResult(v, box);
        v.FragmentShown = true;
        v.ViewStartSec = f.ViewStartSec;
        v.ViewEndSec = f.ViewEndSec;
        if (f.Flat) return result;
        v.FragmentArmed = false;
        v.VerticalZoom = f.VerticalZoom;
        result.FollowUp = PlotFollowUp::Process;
    }
    return result;
}

}  // namespace vk7
