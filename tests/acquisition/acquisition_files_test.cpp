// vk7.dat and calibrvk: reading, writing, the installed defaults, and line 7 as the
// processing program reads it.
#include "acquisition/acquisition_files.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(ProgramSettingsFile, ReadsTheLinesItUsesAndWritesAllEight) {
    const std::vector<std::string> lines = {"48000", "48000", "A name", "B name", "600", "900",
                                            "  23.437500000000", "0"};
    const ProgramSettings s = parseProgramSettings(lines);
    EXPECT_EQ(s.inputSampleRate, 48000);
    EXPECT_EQ(s.channelName[0], "A name");
    EXPECT_EQ(s.recordTimeSec[1], 900);
    EXPECT_DOUBLE_EQ(s.pointsPerSecond, 23.4375);
    EXPECT_FALSE(s.channel2On);
    const auto written = programSettingsLines(s);
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(written[0], "48000");
    EXPECT_EQ(written[1], "48000");
    EXPECT_EQ(written[6], " 23.437500000000");
    EXPECT_EQ(written[7], "0");
}

TEST(ProgramSettingsFile, LenientValuesAndFallbacks) {
    struct Case {
        std::vector<std::string> lines;
        int rate;
        double pps;
        uint16_t time1;
        bool channel2On;
    } cases[] = {
        {{"44100", "", "", "", "120", "", "21.5", "1"}, 44100, 21.5, 120, true},
        {{"44100", "", "", "", "", "", "21.5", ""}, 44100, 21.5, 0, true},        // empty line 8: on
        {{"44100", "", "", "", "", "", "21.5", "x"}, 44100, 21.5, 0, true},
        {{"44100", "", "", "", "", "", "21.5", "01"}, 44100, 21.5, 0, false},     // first character decides
        {{"44100", "", "", "", "99999", "", "0", "1"}, 44100, 44100 / 2048.0, 65535, true},
        {{"22050", "", "", "", "-5", "", "-3", "1"}, 22050, 22050 / 2048.0, 0, true},
        {{"rate", "", "", "", "", "", "", ""}, 44100, 44100 / 2048.0, 0, true},
        {{}, 44100, 44100 / 2048.0, 0, true},                                      // empty file
        // Rates no recording has: written with 12 decimals they would not read back.
        {{"44100", "", "", "", "", "", "1e300", ""}, 44100, 44100 / 2048.0, 0, true},
        {{"44100", "", "", "", "", "", "1e-13", ""}, 44100, 44100 / 2048.0, 0, true},
        {{"44100", "", "", "", "", "", "0.001", ""}, 44100, 0.001, 0, true},
    };
    for (const auto& c : cases) {
        const ProgramSettings s = parseProgramSettings(c.lines);
        EXPECT_EQ(s.inputSampleRate, c.rate);
        EXPECT_DOUBLE_EQ(s.pointsPerSecond, c.pps);
        EXPECT_EQ(s.recordTimeSec[0], c.time1);
        EXPECT_EQ(s.channel2On, c.channel2On);
    }
}

TEST(ProgramSettingsFile, Line7ReadsBackAsTheProcessingProgramReadsIt) {
    // The processing program reads seven lines of at most 128 characters and converts the
    // seventh leniently; the rate must come back to 1e-12.
    test::TempDir dir;
    for (double pps : {21.533203125, 21.533203125 * 10 / 9.5, 0.001, 999.999999999999, 12345.678901234567}) {
        ProgramSettings s = defaultProgramSettings();
        s.pointsPerSecond = pps;
        writeLines(dir / "vk7.dat", programSettingsLines(s));
        const auto lines = readLines(dir / "vk7.dat", 128);
        ASSERT_GE(lines.size(), 7u);
        EXPECT_NEAR(parseLenient(lines[6]), pps, 1e-12) << lines[6];
        EXPECT_GE(lines[6].size(), 16u);
        // The program itself reads it back the same way.
        EXPECT_NEAR(parseProgramSettings(readLines(dir / "vk7.dat", kSettingsLineLength)).pointsPerSecond, pps, 1e-12);
    }
}

TEST(VoltageCalibrationFile, RoundTripKeepsLine1AndWrites23CharacterReals) {
    VoltageCalibration c;
    c.line1 = "0017";
    c.referenceVolts = 1.5;
    c.zeroVolts = -0.001;
    c.slope = {0.0666666666666667, 0.07};
    c.intercept = {-0.333333333333333, -0.3};
    c.zeroCorrection = {0.001, -0.002, 0, 1e-5};
    const auto lines = voltageCalibrationLines(c);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "0017");
    EXPECT_EQ(lines[1], " 1.50000000000000E+0000");
    for (size_t i = 1; i < 11; ++i) EXPECT_EQ(lines[i].size(), 23u) << i;
    const VoltageCalibration back = parseVoltageCalibration(lines);
    EXPECT_EQ(back.line1, "0017");
    EXPECT_DOUBLE_EQ(back.referenceVolts, 1.5);
    EXPECT_NEAR(back.slope[0], c.slope[0], 1e-15);
    EXPECT_NEAR(back.intercept[1], -0.3, 1e-15);
    EXPECT_NEAR(back.zeroCorrection[3], 1e-5, 1e-19);
    // A line that is no number reads as 0.
    EXPECT_EQ(parseVoltageCalibration({"1", "x"}).referenceVolts, 0.0);
}

TEST(InstalledSettings, AreWhatTheProgramWritesForItsDefaults) {
    const fs::path install = fs::path(VK7_SOURCE_DIR) / "install";
    EXPECT_EQ(readFileBytes(install / "vk7.dat"), joinLinesCrLf(programSettingsLines(defaultProgramSettings())));
    EXPECT_EQ(readFileBytes(install / "calibrvk"), joinLinesCrLf(voltageCalibrationLines(VoltageCalibration{})));
    const ProgramSettings s = parseProgramSettings(readLines(install / "vk7.dat", kSettingsLineLength));
    EXPECT_EQ(s.inputSampleRate, 44100);
    EXPECT_DOUBLE_EQ(s.pointsPerSecond, 21.533203125);
    EXPECT_TRUE(s.channel2On);
}

TEST(RecordTime, MinutesTextToSeconds) {
    struct Case {
        const char* text;
        uint16_t seconds;
    } cases[] = {
        {"1", 120},   {"text", 120}, {"", 120},     {"2.5", 150},  {"2,5", 150},     {"30", 1800},
        {"-7", 120},  {"1092", 65520}, {"1093", 65535}, {"1e9", 65535}, {"2.0083", 120}, {"2.0125", 121},
    };
    for (const auto& c : cases) EXPECT_EQ(recordTimeFromMinutesText(c.text), c.seconds) << c.text;
    EXPECT_EQ(recordTimeMinutesText(150), "  2.50");
    EXPECT_EQ(recordTimeMinutesText(65535), "1092.25");
}

}  // namespace
}  // namespace vk7
