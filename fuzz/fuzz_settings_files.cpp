// treat.dat, vk7.dat and calibrvk of any bytes. What a program writes after reading a file
// fits the lines its reader takes, and reads back to the same file: a second rewrite
// writes the same lines as the first.
#include "acquisition/acquisition_files.h"
#include "chromfile/processing_settings.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

namespace {

// The lines as the file holds them once written and read with lines cut at `length`.
std::vector<std::string> throughFile(const std::vector<std::string>& lines, size_t length) {
    return splitLines(joinLinesCrLf(lines), length);
}

template <class Parse, class Format>
void checkRewrite(std::string_view bytes, size_t length, Parse parse, Format format) {
    const std::vector<std::string> first = format(parse(splitLines(bytes, length)));
    for (const std::string& line : first) FUZZ_CHECK(line.size() <= length || line.find_first_not_of("0123456789.-+E ") != std::string::npos);
    const std::vector<std::string> second = format(parse(throughFile(first, length)));
    FUZZ_CHECK(format(parse(throughFile(second, length))) == second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkRewrite(bytes, 255, [](const auto& l) { return parseTreatDat(l).Settings; }, formatTreatDat);
    checkRewrite(bytes, kSettingsLineLength, parseProgramSettings, programSettingsLines);
    checkRewrite(bytes, kSettingsLineLength, parseVoltageCalibration, voltageCalibrationLines);
    // A real read from treat.dat is written so that it reads back the same.
    const SettingsParse parsed = parseTreatDat(splitLines(bytes, 255));
    const SettingsParse again = parseTreatDat(throughFile(formatTreatDat(parsed.Settings), 255));
    FUZZ_CHECK(again.BadLines.empty());
    return 0;
}
