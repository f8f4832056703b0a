#include "acquisition/acquisition_files.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/cp1251.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

const std::string& lineOf(const std::vector<std::string>& lines, size_t number) {
    static const std::string empty;
    return number >= 1 && number <= lines.size() ? lines[number - 1] : empty;
}

uint16_t clampSeconds(int64_t s) { return static_cast<uint16_t>(std::clamp<int64_t>(s, 0, 65535)); }

}  // namespace

ProgramSettings defaultProgramSettings() {
    ProgramSettings s;
    s.channelName = {RU("Канал 1"), RU("Канал 2")};
    return s;
}

ProgramSettings parseProgramSettings(const std::vector<std::string>& lines) {
    ProgramSettings s;
    const int64_t rate = parseLenientInt(lineOf(lines, 1));
    s.inputSampleRate = rate > 0 ? static_cast<int32_t>(std::min<int64_t>(rate, std::numeric_limits<int32_t>::max()))
                                 : kDefaultInputRate;
    s.channelName = {lineOf(lines, 3), lineOf(lines, 4)};
    s.recordTimeSec = {clampSeconds(parseLenientInt(lineOf(lines, 5))), clampSeconds(parseLenientInt(lineOf(lines, 6)))};
    // A rate outside what any recording has (its 12 decimals would read back as 0, or its
    // digits would not fit the line) is damage: the input rate / 2048 is taken instead.
    const double pps = parseLenient(lineOf(lines, 7));
    s.pointsPerSecond = pps >= 0.001 && pps < 1e9 ? pps : double(s.inputSampleRate) / 2048.0;
    const std::string& on = lineOf(lines, 8);
    s.channel2On = on.empty() || on[0] != '0';
    return s;
}

std::vector<std::string> programSettingsLines(const ProgramSettings& s) {
    const std::string rate = intText(s.inputSampleRate);
    return {rate,
            rate,
            s.channelName[0],
            s.channelName[1],
            intText(s.recordTimeSec[0]),
            intText(s.recordTimeSec[1]),
            fixedText(s.pointsPerSecond, 16, 12),
            s.channel2On ? "1" : "0"};
}

VoltageCalibration parseVoltageCalibration(const std::vector<std::string>& lines) {
    VoltageCalibration c;
    c.line1 = lineOf(lines, 1);
    auto real = [&](size_t n) { return parseLenient(lineOf(lines, n)); };
    c.referenceVolts = real(2);
    c.zeroVolts = real(3);
    c.slope = {real(4), real(6)};
    c.intercept = {real(5), real(7)};
    c.zeroCorrection = {real(8), real(9), real(10), real(11)};
    return c;
}

std::vector<std::string> voltageCalibrationLines(const VoltageCalibration& c) {
    auto e = [](double v) { return expText(v, 23); };
    return {c.line1,
            e(c.referenceVolts),
            e(c.zeroVolts),
            e(c.slope[0]),
            e(c.intercept[0]),
            e(c.slope[1]),
            e(c.intercept[1]),
            e(c.zeroCorrection[0]),
            e(c.zeroCorrection[1]),
            e(c.zeroCorrection[2]),
            e(c.zeroCorrection[3])};
}

fs::path settingsFilePath(const StartFolder& start, const char* name) { return start.file("", name); }

uint16_t recordTimeFromMinutesText(const std::string& text) {
    double minutes = parseLenient(text);
    if (minutes < 2) minutes = 2;
    return clampSeconds(roundHalfEven(minutes * 60.0));
}

std::string recordTimeMinutesText(uint16_t seconds) { return fixedText(seconds / 60.0, 6, 2); }

}  // namespace vk7
