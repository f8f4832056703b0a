// The main plot's view state: the visible time window, the scales, the plot rectangle, the
// ruler, the drag of the mouse and the one-shot flags of the fragment and the W selection.
// Lives for the whole run in the shared state; peak modelling and printing draw with it.
#pragma once

namespace vk7 {

struct PlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlotPoint&) const = default;
};

struct PlotView {
    // The visible window in seconds. 0 .. the duration of the samples at open; a window of
    // no width is drawn as one minute.
    int ViewStartSec = 0;
    int ViewEndSec = 0;

    // Recomputed on every repaint.
    int ViewFirstPoint = 0;      // the point before the first visible one
    double PointsPerPixel = 1;   // horizontal scale

    double VerticalZoom = 1.0;     // 0.5 .. 256
    double FullScaleV = 10.0 / 64;  // input full scale in volts: 10 / gain
    double YScaleB = 1.0;           // factor of the curve and of the signal readout
    double AxisDecadeFactor = 1.0;  // volts per tick of the vertical axis
    int CountsPerPixel = 1;         // ADC counts per vertical pixel at zoom 1
    int ZeroLineY = 0;              // y of the zero signal line
    int YTickStep = 0;              // vertical tick spacing in pixels

    // The plot rectangle inside the paint box (right and bottom are the frame's far edges).
    int PlotLeft = 9, PlotRight = 0, PlotTop = 16, PlotBottom = 0;

    int RulerX = 100;  // kept within PlotLeft .. PlotRight

    bool FragmentArmed = false;  // the next drag selects a fragment
    bool FragmentShown = false;  // the view shows a dragged fragment
    bool WModeArmed = false;     // the next drag sets the automatic-markup parameters
    int OverlayCount = 0;        // chromatograms drawn over the open one; the curve colour
    int ZeroOffset = 0;          // counts added to every drawn point

    // Rows of the paint box that a picture of the plot copies (first and last).
    int PlotImageTop = 0, PlotImageBottom = 0;

    // The drag of the mouse on the plot, in paint-box pixels.
    bool DragActive = false;
    PlotPoint DragStart, DragCurrent;
};

}  // namespace vk7
