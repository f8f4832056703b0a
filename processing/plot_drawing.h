// Drawing of the main plot on a canvas: the whole repaint in its order (frame and vertical
// axis, minute axis, curve with its file name and the temperature line, markup, names,
// ruler), the parts that other operations draw alone (a curve laid over the plot, the xor
// ruler, the rubber band of a drag) and the idle frame shown before the first open.
#pragma once

#include "platform/canvas.h"
#include "processing/plot_geometry.h"
#include "processing/processing_state.h"

namespace vk7 {

// The fonts of the plot: the axis texts and the curve's texts (file name, numbers, names).
Font plotAxisFont();
Font plotCurveFont();

// The whole plot in its order; returns the ruler readouts. A box too small for a plot gets
// only its frame (and empty readouts).
RulerReadouts RepaintPlot(Canvas& canvas, ProcessingState& state);
// What the paint box shows: the plot when a chromatogram is open, else the idle frame.
RulerReadouts PaintPlotBox(Canvas& canvas, ProcessingState& state);

// The steps of the repaint. DrawPlotFrame sets the plot rectangle and the vertical scale
// and returns whether a plot fits; the others draw in that scale.
bool DrawPlotFrame(Canvas& canvas, ProcessingState& state);
void DrawTimeAxis(Canvas& canvas, const PlotView& view);
// The curve of the open point array in the colour of OverlayCount, its file name, and the
// temperature line (without overlays); also sets PointsPerPixel and ViewFirstPoint.
void DrawCurve(Canvas& canvas, ProcessingState& state);
void DrawMarkupTicks(Canvas& canvas, ProcessingState& state);
void DrawPeakNames(Canvas& canvas, const ProcessingState& state);

// The ruler line in xor: drawing it twice leaves the canvas as it was.
void DrawRuler(Canvas& canvas, const PlotView& view);
// The red rectangle of a drag from `start` to `current` in `mode` (not-xor while dragging,
// so that drawing it again erases it; copy on release). Only its outline is drawn.
void DrawRubberBand(Canvas& canvas, PlotPoint start, PlotPoint current, PenMode mode);

// Diagonal stripes in slowly changing dark colours over the box; `left` and `top` are the
// paint box's position in its panel.
void DrawIdleFrame(Canvas& canvas, int left = 0, int top = 0);

}  // namespace vk7
