#include "processing/plot_drawing.h"

#include "processing/group_modelling.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"

namespace vk7 {

using namespace plot_colour;

Font plotAxisFont() { return Font{"SmallFonts", 9, Navy, 0}; }
Font plotCurveFont() { return Font{"Arial", 11, Navy, 0}; }

namespace {

void line(Canvas& c, PlotPoint a, PlotPoint b) {
    c.moveTo(a.x, a.y);
    c.lineTo(b.x, b.y);
}

void drawLabelsUpwards(Canvas& c, const std::vector<PlotLabel>& labels) {
    Font f = plotCurveFont();
    f.escapement = 900;
    for (const PlotLabel& l : labels) {
        f.colour = l.colour;
        c.setFont(f);
        c.textOut(l.x, l.y, l.text);
    }
    f.escapement = 0;
    f.colour = Navy;
    c.setFont(f);
}

}  // namespace

bool DrawPlotFrame(Canvas& c, ProcessingState& s) {
    PlotView& v = s.View;
    const PlotRect r = plotRectangle(c.width(), c.height());
    setPlotRect(v, r);
    v.VerticalZoom = clampZoom(v.VerticalZoom);
    const VerticalAxis axis = verticalAxis(s.Chrom.GainCode, v.VerticalZoom, r);
    v.FullScaleV = axis.FullScaleV;
    v.YScaleB = 1.0;
    v.AxisDecadeFactor = axis.AxisDecadeFactor;
    v.ZeroLineY = axis.ZeroLineY;
    v.YTickStep = axis.YTickStep;
    v.CountsPerPixel = axis.CountsPerPixel;

    c.setFont(plotAxisFont());
    c.setPen(Pen{Grey, 1, PenMode::Copy});
    c.setBrush(Brush{White, false});
    c.rectangle(0, 0, c.width(), c.height());
    if (!plotFits(r)) return false;

    c.rectangle(r.left, r.top, r.right, r.bottom);
    line(c, {r.left, v.ZeroLineY}, {r.right, v.ZeroLineY});
    c.textOut(r.right + 9, 2, unitLabel(axis));
    for (const AxisTick& t : verticalTicks(axis, r)) {
        line(c, {r.right, t.y}, {r.right + 4, t.y});
        line(c, {r.left - 4, t.y}, {r.left, t.y});
        if (t.zero) c.textOut(r.left - 10, t.y - 6, "0");
        c.textOut(r.right + 2, t.y - 6, t.text);
    }
    return true;
}

void DrawTimeAxis(Canvas& c, const PlotView& v) {
    const PlotRect r = plotRectOf(v);
    const TimeAxis axis = timeAxis(v.ViewStartSec, v.ViewEndSec, r);
    c.setPen(Pen{Navy, 1, PenMode::Copy});
    c.setFont(plotAxisFont());
    for (const TimeTick& t : axis.Ticks) {
        line(c, {t.x, r.top}, {t.x, r.top - 4});
        if (!t.text.empty()) c.textOut(t.x - 8, r.top - 13, t.text);
    }
    c.textOut(r.left + 4, 1, RU("мин"));
}

void DrawCurve(Canvas& c, ProcessingState& s) {
    PlotView& v = s.View;
    const OpenChromatogram& ch = s.Chrom;
    v.PointsPerPixel = pointsPerPixel(visibleSpanSec(v.ViewStartSec, v.ViewEndSec), ch.SamplesPerPoint,
                                      ch.SamplingRate, v.PlotRight - v.PlotLeft);
    v.ViewFirstPoint = viewFirstPoint(v.ViewStartSec, ch.SamplingRate, ch.SamplesPerPoint);

    const Colour colour = curveColour(v.OverlayCount);
    Font f = plotCurveFont();
    f.colour = colour;
    c.setFont(f);
    c.setPen(Pen{colour, 1, PenMode::Copy});
    c.setBrush(Brush{White, false});

    c.moveTo(v.PlotLeft, v.ZeroLineY);
    const int count = ch.PointCount();
    for (int x = v.PlotLeft; x < v.PlotRight; ++x) {
        const int i = curvePointIndex(v, x);
        if (i > count) break;
        if (i < 1) continue;
        int y = yOfValue(v, ch.Points[i]);
        if (y < v.PlotTop) y = v.PlotTop;
        c.lineTo(x, y);
    }
    c.textOut(v.PlotLeft + 10 + v.OverlayCount * 50, v.PlotTop + 1, s.Settings.FileName);

    if (s.Settings.ShowTemperature && v.OverlayCount == 0) {
        c.setPen(Pen{Red, 1, PenMode::Copy});
        for (const PlotSegment& seg : temperatureSegments(ch.Temperature, v)) line(c, seg.a, seg.b);
    }
    c.setFontColour(Navy);
    // The picture of the plot copies the paint box's own rows, as many as the window shows.
    v.PlotImageTop = 0;
    v.PlotImageBottom = c.height() - 4;
}

void DrawMarkupTicks(Canvas& c, ProcessingState& s) {
    const MarkupGeometry g = markupGeometry(s.Markup, s.Chrom.Points, s.View);
    for (const PlotSegment& seg : g.Lines) {
        c.setPen(Pen{seg.colour, 1, PenMode::Copy});
        line(c, seg.a, seg.b);
    }
    drawLabelsUpwards(c, g.Numbers);
}

void DrawPeakNames(Canvas& c, const ProcessingState& s) {
    const NameColours colours{s.Settings.IdentMode, s.Settings.ReferencePeakNo, s.Settings.QuantMethod,
                              s.Settings.StandardPeakNo};
    drawLabelsUpwards(c, peakNameLabels(s.Markup, s.View, colours));
}

void DrawRuler(Canvas& c, const PlotView& v) {
    const Pen old = c.pen();
    c.setPen(Pen{Red, 1, PenMode::Xor});
    line(c, {v.RulerX, v.PlotTop + 2}, {v.RulerX, v.PlotBottom - 2});
    c.setPen(old);
    c.setPenMode(PenMode::Copy);
}

void DrawRubberBand(Canvas& c, PlotPoint start, PlotPoint current, PenMode mode) {
    const Pen oldPen = c.pen();
    const Brush oldBrush = c.brush();
    c.setPen(Pen{Red, 1, mode});
    c.setBrush(Brush{White, true});
    c.rectangle(start.x, start.y, current.x, current.y);
    c.setBrush(oldBrush);
    c.setPen(oldPen);
    c.setPenMode(PenMode::Copy);
}

RulerReadouts RepaintPlot(Canvas& c, ProcessingState& s) {
    if (!DrawPlotFrame(c, s)) return {};
    PlotView& v = s.View;
    DrawTimeAxis(c, v);
    DrawCurve(c, s);
    DrawMarkupTicks(c, s);
    DrawPeakNames(c, s);
    v.RulerX = std::clamp(v.RulerX, v.PlotLeft, v.PlotRight);
    DrawRuler(c, v);
    // While a group is being modelled its curve and marker stay on the plot.
    if (s.ClickMode >= 90 && s.ClickMode <= 92) RedrawModelOverlays(c, s.Model, s.Markup, v);
    return rulerReadouts(v, s.Chrom);
}

RulerReadouts PaintPlotBox(Canvas& c, ProcessingState& s) {
    if (s.ProgramMode == ModeNone) {
        DrawIdleFrame(c);
        return {};
    }
    return RepaintPlot(c, s);
}

void DrawIdleFrame(Canvas& c, int left, int top) {
    const int x0 = left + 2, y0 = top + 1, x1 = left + c.width() - 5, y1 = c.height() - 5;
    const int w = x1 - x0, h = y1 - y0;
    const int n = w + h;
    if (w <= 0 || h <= 0) return;
    auto level = [n](int i, double k) {
        return static_cast<int>(roundHalfEven((std::cos(k * i / n) + 1) * 63));
    };
    for (int i = 0; i <= n; ++i) {
        c.setPen(Pen{rgbColour(level(i, 16), level(i, 8), level(i, 4)), 1, PenMode::Copy});
        const PlotPoint from = i < h ? PlotPoint{x0, y0 + i} : PlotPoint{x0 + i - h, y1};
        const PlotPoint to = i < w ? PlotPoint{x0 + i, y0} : PlotPoint{x1, y0 + i - w};
        line(c, from, to);
    }
}

}  // namespace vk7
