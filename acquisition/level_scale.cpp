#include "acquisition/level_scale.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"

namespace vk7 {

LevelScaleGeometry levelScaleGeometry(int width, int height, double fullScaleVolts) {
    LevelScaleGeometry g;
    g.width = width;
    g.height = height;
    g.pixelsPerVolt = width / kLevelFullScaleVolts;
    g.barHeight = height - 14;
    g.tickTop = height - 14;
    g.tickBottom = height - 10;
    g.labelY = height - 10;
    const int64_t step = wholePart(fullScaleVolts / kLevelFullScaleVolts);
    for (int i = 0; i <= 15; ++i)
        g.ticks.push_back({static_cast<int>(roundHalfEven(g.pixelsPerVolt / 100.0 * i)), intText(i * step)});
    return g;
}

int levelBarWidth(double volts, double pixelsPerVolt, int width) {
    const double w = std::abs(volts) * pixelsPerVolt;
    if (!(w < width)) return std::isnan(w) ? 0 : width;
    return static_cast<int>(std::clamp<int64_t>(roundHalfEven(w), 0, width));
}

}  // namespace vk7
