// The two settings files of the acquisition program in the start folder: vk7.dat (input
// rate, channel names, record times, points per second, channel-2 switch) and calibrvk
// (the voltage calibration).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/paths.h"

namespace vk7 {

inline constexpr const char* kProgramSettingsFile = "vk7.dat";
inline constexpr const char* kVoltageCalibrationFile = "calibrvk";
inline constexpr size_t kSettingsLineLength = 32;
inline constexpr int kDefaultInputRate = 44100;

// vk7.dat, 8 lines.
struct ProgramSettings {
    int32_t inputSampleRate = kDefaultInputRate;
    std::array<std::string, 2> channelName;
    std::array<uint16_t, 2> recordTimeSec{1800, 1800};
    double pointsPerSecond = double(kDefaultInputRate) / 2048.0;
    bool channel2On = true;
};

// calibrvk, 11 lines.
struct VoltageCalibration {
    std::string line1 = "0";  // kept and written back unchanged
    double referenceVolts = 1.0;
    double zeroVolts = 0.0;
    std::array<double, 2> slope{1.0 / 15.0, 1.0 / 15.0};          // volts per 1000 ADC units
    std::array<double, 2> intercept{-1.0 / 3.0, -1.0 / 3.0};      // volts
    std::array<double, 4> zeroCorrection{0.0, 0.0, 0.0, 0.0};      // A, B, C, D
};

// The settings a fresh installation starts with (the same as install/vk7.dat).
ProgramSettings defaultProgramSettings();

// Reading is lenient: a line that is no number gives 0, a missing line reads as empty. An
// input rate of 0 or less gives 44100, a points-per-second value outside 0.001 .. 1e9 the
// input rate / 2048, record times are clamped to 0..65535 s; line 8 "0..." is off, anything
// else on.
ProgramSettings parseProgramSettings(const std::vector<std::string>& lines);
std::vector<std::string> programSettingsLines(const ProgramSettings& settings);

VoltageCalibration parseVoltageCalibration(const std::vector<std::string>& lines);
std::vector<std::string> voltageCalibrationLines(const VoltageCalibration& calibration);

// The file's path in the start folder: the existing one found without regard to case, or
// the lower-case name for a new one.
fs::path settingsFilePath(const StartFolder& start, const char* name);

// The record time in seconds of a text typed in minutes: a value below 2 (or no number)
// becomes 2 minutes; seconds rounded halves to even and clamped to 65535.
uint16_t recordTimeFromMinutesText(const std::string& text);
// The minutes a record time shows in its editor: seconds / 60, 6 characters, 2 decimals.
std::string recordTimeMinutesText(uint16_t seconds);

}  // namespace vk7
