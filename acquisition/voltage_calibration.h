// The voltage calibration: the straight line per stereo channel through the amplitudes read
// on the box's reference zero and reference voltage.
#pragma once

#include <array>
#include <cstdint>

#include "acquisition/acquisition_files.h"

namespace vk7 {

// The differences AmpPlus - AmpZero that a calibration accepts, inclusive.
inline constexpr int kCalibrationMinDifference = 5000;
inline constexpr int kCalibrationMaxDifference = 25000;

// ComputeCalibration: when both channels' differences lie within 5000..25000, sets each
// channel's slope (volts per 1000 ADC units) and intercept so that its line passes through
// (AmpZero, ZeroVolts) and (AmpPlus, ReferenceVolts), and returns true. Otherwise changes
// nothing (both channels are calibrated together) and returns false.
bool ComputeCalibration(VoltageCalibration& calibration, const std::array<uint16_t, 2>& ampPlus,
                        const std::array<uint16_t, 2>& ampZero);

}  // namespace vk7
