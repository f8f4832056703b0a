// Counts and millivolts: the scale factor of a chromatogram's unit code and signal
// multiplier, computed in real arithmetic (a high unit code with a large multiplier does
// not fit 16 bits).
#pragma once

#include <cmath>

namespace vk7 {

// F = round(10^unitCode) x signalMultiplier.
inline double signalScaleFactor(int unitCode, int signalMultiplier) {
    return std::nearbyint(std::pow(10.0, unitCode)) * signalMultiplier;
}

// Millivolts of a number of counts at scale factor F: counts x 10000 / 32768 / 64 x F.
inline double countsToMillivolts(double counts, double scaleFactor) {
    return counts * 10000.0 / 32768.0 / 64.0 * scaleFactor;
}

}  // namespace vk7
