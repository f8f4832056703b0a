#include "processing/axis_ticks.h"

#include <cmath>

namespace vk7 {

int tickDecimals(double step, int fewest) {
    if (step < 0.1) return 3;
    int d = fewest;
    for (double scaled = step * std::pow(10.0, d); d < 3 && std::fabs(scaled - std::round(scaled)) > 1e-9; scaled *= 10)
        ++d;
    return d;
}

}  // namespace vk7
