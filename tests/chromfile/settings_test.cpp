#include "chromfile/processing_settings.h"

#include <gtest/gtest.h>

#include "chromfile/dictionaries.h"
#include "chromfile/temperature_program.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "platform/recording_printer.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

ProcessingSettings sample() {
    ProcessingSettings s;
    s.DataDir = toCp1251("/home/лаборант/data/");
    s.FileName = "h12a.hrm";
    s.AveragingMs = 186;
    s.DetectThreshold = 1234567.5;
    s.MarkupMode = 3;
    s.IdentMode = 1;
    s.TimeTolerancePct = 2.5;
    s.ReferencePeakNo = 4;
    s.ReferenceSubstance = RU("метан");
    s.QuantMethod = 1;
    s.StandardPeakNo = 2;
    s.StandardConc1 = 0.125;
    s.StandardConc2 = 12.5;
    s.AreaMethod = 1;
    s.MethodologyName = "?";
    s.CalibrationArchiveName = "gas";
    s.ShowTemperature = true;
    s.Decimals = 5;
    return s;
}

TEST(TreatDat, RoundTrip) {
    const ProcessingSettings s = sample();
    const auto lines = formatTreatDat(s);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[3], "1234567.50");
    EXPECT_EQ(lines[6], "     2.5");
    EXPECT_EQ(lines[11], "  0.125");
    EXPECT_EQ(lines[16], "1");
    SettingsParse p = parseTreatDat(lines);
    EXPECT_TRUE(p.BadLines.empty());
    EXPECT_EQ(p.Settings, s);
}

TEST(TreatDat, BadLinesTakeDefaultsOthersKeepTheirValues) {
    auto lines = formatTreatDat(sample());
    lines[2] = "abc";    // averaging: not an integer
    lines[4] = "9";      // markup mode: clamped to 3
    lines[7] = "0";      // reference peak 0 becomes 1
    lines[16] = "1yes";  // first character decides
    lines[17] = "7";     // decimals clamped to 5
    lines.resize(17);    // line 18 missing
    SettingsParse p = parseTreatDat(lines);
    ProcessingSettings defaults;
    EXPECT_EQ(p.BadLines, (std::vector<int>{3, 18}));
    EXPECT_EQ(p.Settings.AveragingMs, defaults.AveragingMs);
    EXPECT_EQ(p.Settings.MarkupMode, 3);
    EXPECT_EQ(p.Settings.ReferencePeakNo, 1);
    EXPECT_TRUE(p.Settings.ShowTemperature);
    EXPECT_EQ(p.Settings.Decimals, defaults.Decimals);
    EXPECT_EQ(p.Settings.ReferenceSubstance, RU("метан"));
    lines[16] = "";
    EXPECT_FALSE(parseTreatDat(lines).Settings.ShowTemperature);
    std::vector<std::string> longText = formatTreatDat(sample());
    longText[1] = std::string(40, 'n');
    EXPECT_EQ(parseTreatDat(longText).Settings.FileName.size(), 32u);
}

TEST(TreatDat, RealsBeyondTheirRangeAreBadLines) {
    struct Case { const char* text; bool bad; double value; };
    for (const Case& c : {Case{"1e300", true, 0}, {"-1e15", true, 0}, {"1e400", false, 0}, {"999999999999999", false, 999999999999999.0},
                          {"  -12.5", false, -12.5}, {"12,5x", false, 12.5}}) {
        auto lines = formatTreatDat(sample());
        lines[3] = c.text;
        const SettingsParse p = parseTreatDat(lines);
        EXPECT_EQ(p.BadLines, c.bad ? std::vector<int>{4} : std::vector<int>{}) << c.text;
        EXPECT_EQ(p.Settings.DetectThreshold, c.bad ? ProcessingSettings{}.DetectThreshold : c.value) << c.text;
        // What is accepted is written so that it reads back the same.
        const auto again = formatTreatDat(p.Settings);
        EXPECT_EQ(formatTreatDat(parseTreatDat(again).Settings), again) << c.text;
    }
}

TEST(StartUp, RemovesTemporariesOfKilledRewritesFromTheFoldersItWrites) {
    test::TempDir dir;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    ProcessingSettings s = sample();
    s.DataDir = textFromPath(dir / "data") + "/";
    writeLines(dir.write("space/treat.dat", ""), formatTreatDat(s));
    const std::vector<std::string> temporaries = {".vk7-vk7.dat.aaaaaa", "space/.vk7-treat.dat.bbbbbb",
                                                  "results/.vk7-tabl.txt.cccccc", "data/.vk7-h1a.hrm.dddddd",
                                                  "results/prot.htm.part"};
    for (const std::string& t : temporaries) std::filesystem::last_write_time(dir.write(t, "copy"), old);
    const auto young = dir.write("data/.vk7-h1b.hrm.eeeeee", "copy");
    RecordingPrinter printer;
    StartUp(StartFolder(dir.path()), printer);
    for (const std::string& t : temporaries) EXPECT_FALSE(std::filesystem::exists(dir / t)) << t;
    EXPECT_TRUE(std::filesystem::exists(young));
}

TEST(StartUp, FilesAreReadIndependently) {
    test::TempDir dir;
    StartFolder start(dir.path());
    writeLines(dir.write("space/treat.dat", ""), formatTreatDat(sample()));
    RecordingPrinter printer;
    StartupValues v = StartUp(start, printer);  // no vk7.dat
    EXPECT_EQ(v.Settings, sample());
    EXPECT_EQ(v.Vk7Rate, 0);
    EXPECT_EQ(v.Notices.size(), 1u);
    EXPECT_EQ(v.PrinterDpiX, 600);  // the PDF in the printer's place
    EXPECT_FALSE(v.TreatNeedsBackup);

    writeLines(dir / "vk7.dat", {"44100", "A", "B", "600", "600", "1", "21.533203125"});
    v = StartUp(start, printer);
    EXPECT_DOUBLE_EQ(v.Vk7Rate, 21.533203125);
    EXPECT_TRUE(v.Notices.empty());
}

TEST(StartUp, BrokenTreatDatIsKeptAsBackupAtClose) {
    test::TempDir dir;
    StartFolder start(dir.path());
    writeLines(dir / "vk7.dat", {"", "", "", "", "", "", "25"});
    auto lines = formatTreatDat(sample());
    lines[4] = "x";
    writeLines(dir.write("SPACE/TREAT.DAT", ""), lines);
    const std::string original = readFileBytes(dir / "SPACE/TREAT.DAT");
    RecordingPrinter printer(600, 4800, 6600);
    printer.setResolution({600, 1200});  // down differs from across: across is taken
    StartupValues v = StartUp(start, printer);
    EXPECT_TRUE(v.TreatNeedsBackup);
    ASSERT_EQ(v.Notices.size(), 1u);
    EXPECT_NE(v.Notices[0].find("5"), std::string::npos);
    EXPECT_EQ(v.PrinterDpiX, 600);
    EXPECT_EQ(v.PrinterDpiY, 600);
    CloseDown(start, v.Settings, v.TreatNeedsBackup);
    EXPECT_EQ(readFileBytes(dir / "SPACE/treat.dat.bak"), original);
    EXPECT_EQ(parseTreatDat(readLines(dir / "SPACE/TREAT.DAT")).BadLines, std::vector<int>{});
}

TEST(StartUp, MissingTreatDatGivesDefaultsAndIsWrittenAtClose) {
    test::TempDir dir;
    StartFolder start(dir.path());
    RecordingPrinter printer;
    StartupValues v = StartUp(start, printer);
    EXPECT_EQ(v.Settings, ProcessingSettings{});
    EXPECT_EQ(v.Notices.size(), 2u);
    CloseDown(start, v.Settings, v.TreatNeedsBackup);
    EXPECT_EQ(readLines(dir / "space/treat.dat"), formatTreatDat(ProcessingSettings{}));
}

TEST(Dictionaries, LineByNumber) {
    test::TempDir dir;
    dir.write("space/gas", toCp1251("Гелий\r\nАзот\r\nВодород\r\n") + std::string(200, 'x'));
    StartFolder start(dir.path());
    EXPECT_EQ(ReadDictionaryLine(start, "gas", 2), RU("Азот"));
    EXPECT_EQ(ReadDictionaryLine(start, "gas", 0), "");
    EXPECT_EQ(ReadDictionaryLine(start, "gas", 5), "");
    EXPECT_EQ(ReadDictionaryLine(start, "gas", 4).size(), 128u);
    EXPECT_EQ(ReadDictionaryLine(start, "detect", 1), "");
    EXPECT_FALSE(readDictionary(start, "detect").has_value());
}

struct ProgramPoint { int time; int temp; };

std::vector<ProgramPoint> points(const TemperatureProgram& p) {
    std::vector<ProgramPoint> out;
    for (int i = 0; i <= p.TempProgramCount; ++i) out.push_back({p.TempProgramTimes[i], p.TempProgramTemps[i]});
    return out;
}

bool operator==(const ProgramPoint& a, const ProgramPoint& b) { return a.time == b.time && a.temp == b.temp; }
void PrintTo(const ProgramPoint& p, std::ostream* os) { *os << "(" << p.time << "," << p.temp << ")"; }

TEST(TemperatureProgram, Parses) {
    struct Case { const char* text; int durationMin; std::vector<ProgramPoint> want; int final; };
    const Case cases[] = {
        {"Программа: 50g-5m;10g/m;200g-10m", 40, {{0, 50}, {5, 50}, {20, 200}, {40, 200}}, 200},
        {"Программа: 50g-5m;10g/m;200g-10m", 25, {{0, 50}, {5, 50}, {20, 200}, {30, 200}}, 200},
        {"Программа: 50g-5m;10g/m;200g-10m;", 25, {{0, 50}, {5, 50}, {20, 200}, {30, 200}}, 200},
        {"Изотерма 150 C:", 30, {{0, 150}, {30, 150}}, 150},
        // Cooling at a rate never moves time backwards.
        {"x: 200g-5m;10g/m;100g-5m", 5, {{0, 200}, {5, 200}, {5, 100}, {10, 100}}, 100},
        // A rate with no hold right after it, or none before it, is ignored.
        {"x: 40g-2m;8g/m;8g/m;200g-5m", 0, {{0, 40}, {2, 40}, {22, 200}, {27, 200}}, 200},
        {"x: 10g/m;50g-5m", 0, {{0, 50}, {5, 50}}, 50},
        {"x: 50g-5m;10g/m", 0, {{0, 50}, {5, 50}}, 50},
        {"x: 10g/m;20g/m", 5, {{0, 0}, {5, 0}}, 0},
        // Numbers beyond what four digits say are held at the bounds, never wrapped.
        {"x: 9e99g-1m", 0, {{0, 9999}, {1, 9999}}, 9999},
        {"x: 1e10g-1e10m;1e10g-1e10m", 0, {{0, 9999}, {9999, 9999}, {19998, 9999}}, 9999},
        {"x: -9e9g-5m;1g/m;9e99g-2m", 0, {{0, -999}, {9999, -999}, {20997, 9999}, {20999, 9999}}, 9999},
        {"x: 50g--5m;10g/m;20g-1m", 0, {{0, 50}, {0, 50}, {0, 20}, {1, 20}}, 20},
        {"Изотерма 9e99 C:", 10, {{0, 9999}, {10, 9999}}, 9999},
    };
    for (const Case& c : cases) {
        TemperatureProgram p = ParseTemperatureProgram(toCp1251(c.text), c.durationMin * 60);
        EXPECT_EQ(points(p), c.want) << c.text;
        EXPECT_EQ(p.FinalTemperature, c.final) << c.text;
        for (int i = 1; i <= p.TempProgramCount; ++i) EXPECT_LE(p.TempProgramTimes[i - 1], p.TempProgramTimes[i]) << c.text;
    }
}

TEST(TemperatureProgram, ThirteenItemsUseTheFirstEleven) {
    std::string text = "p:";
    for (int k = 0; k < 13; ++k) text += std::to_string(50 + 10 * k) + "g-1m;";
    TemperatureProgram p = ParseTemperatureProgram(text, 0);
    EXPECT_EQ(p.TempProgramCount, 11);
    EXPECT_EQ(p.TempProgramTemps[10], 150);
    EXPECT_EQ(p.TempProgramTemps[11], 150);
    // A second parse starts from an empty programme.
    TemperatureProgram q = ParseTemperatureProgram("p: 80g-2m", 60);
    EXPECT_EQ(points(q), (std::vector<ProgramPoint>{{0, 80}, {2, 80}}));
}

}  // namespace
}  // namespace vk7
