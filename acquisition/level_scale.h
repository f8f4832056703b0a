// Geometry of a channel's level image: the scale of millivolt ticks along the bottom and
// the bar above it whose length shows the channel's voltage.
#pragma once

#include <string>
#include <vector>

namespace vk7 {

inline constexpr double kLevelFullScaleVolts = 0.15625;  // the voltage that fills the image

struct LevelTick {
    int x = 0;
    std::string label;  // millivolts: "0", "10", ... "150"
};

struct LevelScaleGeometry {
    int width = 0;
    int height = 0;
    double pixelsPerVolt = 0;  // width / 0.15625
    int barHeight = 0;         // the bar area: rows 0 .. height - 15
    int tickTop = 0;           // ticks from tickTop to tickBottom (end pixel left out)
    int tickBottom = 0;
    int labelY = 0;            // top of the tick labels
    std::vector<LevelTick> ticks;
};

// The scale of an image `width` x `height` for a channel of full scale `fullScaleVolts`.
LevelScaleGeometry levelScaleGeometry(int width, int height, double fullScaleVolts);

// The bar's length in pixels for `volts`: |volts| * pixelsPerVolt rounded, within the image.
int levelBarWidth(double volts, double pixelsPerVolt, int width);

}  // namespace vk7
