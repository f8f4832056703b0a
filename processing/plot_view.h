// The main plot's view state: visible window, scales, plot rectangle, ruler, drag flags.
#pragma once

#include <cstdint>

namespace vk7 {

struct PlotView {
    int ViewStartSec = 0;   // start of the visible window, seconds
    int ViewEndSec = 0;     // end of the visible window, seconds
    int ViewFirstPoint = 1;
    double PointsPerPixel = 1;
    double VerticalZoom = 1.0;  // 0.5 .. 256
    int ZeroOffset = 0;         // counts added to every drawn point
    int PlotLeft = 0, PlotRight = 0, PlotTop = 0, PlotBottom = 0;
    int RulerX = 100;
    bool FragmentArmed = false;
    bool FragmentShown = false;
    bool WModeArmed = false;
    int OverlayCount = 0;       // chromatograms drawn over the open one
};

}  // namespace vk7
