#include "acquisition/voltage_calibration.h"

namespace vk7 {

bool ComputeCalibration(VoltageCalibration& c, const std::array<uint16_t, 2>& ampPlus,
                        const std::array<uint16_t, 2>& ampZero) {
    std::array<int, 2> d{};
    for (size_t i = 0; i < 2; ++i) {
        d[i] = int(ampPlus[i]) - int(ampZero[i]);
        if (d[i] < kCalibrationMinDifference || d[i] > kCalibrationMaxDifference) return false;
    }
    for (size_t i = 0; i < 2; ++i) {
        c.slope[i] = (c.referenceVolts - c.zeroVolts) / d[i] * 1000.0;
        c.intercept[i] = c.referenceVolts - ampPlus[i] * c.slope[i] / 1000.0;
    }
    return true;
}

}  // namespace vk7
