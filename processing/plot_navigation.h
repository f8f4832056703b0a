// The view commands of the plot (zoom, scroll, overview, the fragment and the W selection,
// the temperature line) and the mouse on the plot (the ruler and the drag of a rectangle).
// Each says what has to follow: a repaint, a new run of the pipeline, or a re-read of the
// chromatogram; the window decides how (the pipeline reruns only while no markup is being
// edited and no table is shown).
#pragma once

#include <optional>

#include "platform/canvas.h"
#include "processing/plot_geometry.h"
#include "processing/processing_state.h"

namespace vk7 {

enum class PlotFollowUp {
    None,     // nothing to redraw
    Repaint,  // RepaintPlot
    Process,  // ProcessChromatogram, then RepaintPlot
    Reload,   // the processing parameters changed: refill their grid and read the file again
};

// "Больше в 2 раза" / "Меньше в 2 раза": the vertical zoom doubled or halved within 0.5 .. 256.
PlotFollowUp ZoomIn(PlotView& v);
PlotFollowUp ZoomOut(PlotView& v);
// "Исходный масштаб по вертикали (М)": zoom 1 and no zero offset.
PlotFollowUp ResetVerticalScale(PlotView& v);
// "Окно влево на 1 мин": the window one minute earlier, not before 0, its width kept.
PlotFollowUp WindowLeft(PlotView& v);
// "Окно вправо на 1 мин": the window one minute later, until its start has passed
// `dataEndSec`, the end of the data.
PlotFollowUp WindowRight(PlotView& v, int dataEndSec);
// The end of the data in seconds, as the overview shows it: round(AveragingMs x PointCount / 1000).
int dataEndSec(int averagingMs, int pointCount);
// "Обзорный масштаб по горизонтали (О)": the whole chromatogram.
PlotFollowUp Overview(PlotView& v, int averagingMs, int pointCount);
// "Прямоугольный фрагмент (F)" and "Настройка для авторазметки (W)": arm the next drag.
PlotFollowUp ArmFragment(PlotView& v);
PlotFollowUp ArmWMode(PlotView& v);
// "График температуры вкл/выкл (U)".
PlotFollowUp ToggleTemperatureLine(ProcessingSettings& settings);

struct PlotMouseResult {
    PlotFollowUp FollowUp = PlotFollowUp::None;
    // The press or release belonged to a drag: it is not a click for the markup editor.
    bool Consumed = false;
    std::optional<RulerReadouts> Readouts;  // new texts for the three labels
};

// Mouse down on the plot (only with a chromatogram open): starts the drag when the fragment
// or the W selection is armed, otherwise moves the ruler (erased and drawn again in xor).
PlotMouseResult PlotMouseDown(Canvas& canvas, ProcessingState& state, int x, int y);
// Mouse move: the rubber band follows while a drag is on.
void PlotMouseMove(Canvas& canvas, ProcessingState& state, int x, int y);
// Mouse up: ends the drag and applies it. With the W selection armed the dragged span and
// height set AveragingMs and DetectThreshold (in the view before the drag, no fragment);
// otherwise the fragment becomes the view.
PlotMouseResult PlotMouseUp(Canvas& canvas, ProcessingState& state);

}  // namespace vk7
