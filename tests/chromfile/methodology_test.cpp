// Methodology files and the editing of the processing parameters.
#include <gtest/gtest.h>

#include "chromfile/methodology.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

ProcessingSettings distinctSettings() {
    ProcessingSettings s;
    s.AveragingMs = 150;
    s.TimeTolerancePct = 3.5;
    s.MarkupMode = 3;
    s.DetectThreshold = 0.75;
    s.IdentMode = 1;
    s.ReferencePeakNo = 4;
    s.QuantMethod = 1;
    s.StandardConc1 = 2.5;
    s.ReferenceSubstance = RU("Бензол");
    s.StandardPeakNo = 6;
    s.AreaMethod = 1;
    s.StandardConc2 = 10;
    return s;
}

TEST(Methodology, LinesRoundTrip) {
    const ProcessingSettings s = distinctSettings();
    const std::vector<std::string> lines = formatMethodology(s);
    const std::vector<std::string> expected = {"150", " 3.50000000000000E+0000", "3", " 7.50000000000000E-0001", "1", "4",
                                               "1", " 2.50000000000000E+0000", RU("Бензол"), "6", "1",
                                               " 1.00000000000000E+0001"};
    EXPECT_EQ(lines, expected);
    const std::optional<ProcessingSettings> back = parseMethodology(lines, ProcessingSettings{});
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
}

TEST(Methodology, ReadingHoldsValuesInTheirFields) {
    std::vector<std::string> lines = formatMethodology(distinctSettings());
    lines[0] = "99999";
    lines[1] = "-2";
    lines[2] = "7";
    lines[5] = "0";
    lines[9] = "0";
    lines[7] = "2,5";
    const ProcessingSettings s = *parseMethodology(lines, ProcessingSettings{});
    EXPECT_EQ(s.AveragingMs, 65535);
    EXPECT_EQ(s.TimeTolerancePct, 0);
    EXPECT_EQ(s.MarkupMode, 3);
    EXPECT_EQ(s.ReferencePeakNo, 1);
    EXPECT_EQ(s.StandardPeakNo, 1);
    EXPECT_EQ(s.StandardConc1, 2.5);
    lines.pop_back();
    EXPECT_FALSE(parseMethodology(lines, ProcessingSettings{}));
}

TEST(Methodology, NamesFilesAndMessages) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    dir.write("space/x", "");
    struct Case {
        const char* chosen;
        const char* name;
        bool ok;
    };
    for (const Case& c : {Case{"space/m1", "m1", true}, Case{"space/m1.trp", "m1", true}, Case{"space/M1.TRP", "M1", true},
                          Case{"space/setrpx", "setrpx", true}, Case{"space/abcdefghijklm.trp", "", false},
                          Case{"space/.trp", "", false}, Case{"data/m1.trp", "", false}}) {
        const MethodologyChoice m = methodologyNameOf(start, dir / c.chosen);
        EXPECT_EQ(m.ok(), c.ok) << c.chosen;
        if (c.ok) EXPECT_EQ(m.Name, c.name) << c.chosen;
    }
    EXPECT_EQ(methodologyNameOf(start, dir / "data/m1.trp").Refusal, RU("Файл методики должен находиться в папке space"));
    EXPECT_EQ(methodologyNameOf(start, dir / "space/abcdefghijklm.trp").Refusal,
              RU("Имя методики должно содержать от 1 до 12 знаков"));
    EXPECT_EQ(OverwriteMethodologyQuestion("m1"), RU("Методик") + "a m1.trp" + RU(" уже есть. Переписать?"));

    ProcessingSettings s = distinctSettings();
    s.MethodologyName = "m1";
    SaveMethodology(start, s);
    s.MethodologyName = "M1";
    SaveMethodology(start, s);  // the same file
    EXPECT_TRUE(fs::exists(dir / "space/m1.trp"));
    EXPECT_FALSE(fs::exists(dir / "space/M1.trp"));

    ProcessingSettings loaded;
    loaded.MethodologyName = "M1";
    EXPECT_EQ(LoadMethodology(start, loaded), "");
    EXPECT_EQ(loaded.StandardPeakNo, 6);

    ProcessingSettings untouched;
    untouched.MethodologyName = "none";
    EXPECT_EQ(LoadMethodology(start, untouched), RU("Нет файла методики none"));
    dir.write("space/short.trp", "150\r\n3\r\n");
    untouched.MethodologyName = "short";
    EXPECT_EQ(LoadMethodology(start, untouched), RU("Файл методики short испорчен"));
    EXPECT_EQ(untouched.AveragingMs, ProcessingSettings{}.AveragingMs);
}

TEST(ParameterGrid, StandardConcentrationRow) {
    struct Case {
        const char* typed;
        double c1, c2;
    };
    for (const Case& c : {Case{"2.5/10", 2.5, 10}, Case{"2,5/10", 2.5, 10}, Case{"10", 0, 10}, Case{"/5", 0, 5},
                          Case{"", 0, 0}}) {
        ProcessingSettings s;
        SetTypedParameter(s, 9, c.typed, standardConcText(s.StandardConc1, s.StandardConc2));
        EXPECT_EQ(s.StandardConc1, c.c1) << c.typed;
        EXPECT_EQ(s.StandardConc2, c.c2) << c.typed;
        EXPECT_EQ(s.MethodologyName, "?");
    }
    EXPECT_EQ(standardConcText(2.5, 10), "   2.50/ 10.000");
    // Only the half that was edited takes the typed value.
    ProcessingSettings s;
    s.StandardConc1 = 2.505;
    const std::string shown = standardConcText(2.505, 1);
    SetTypedParameter(s, 9, "   2.50/ 3", shown);
    EXPECT_EQ(s.StandardConc1, 2.505);
    EXPECT_EQ(s.StandardConc2, 3);
}

TEST(ParameterGrid, RowsChoicesAndTypedValues) {
    ProcessingSettings s = distinctSettings();
    std::vector<ParameterRow> rows = parameterGridRows(s);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0].Value, "     150");
    EXPECT_EQ(rows[1].Value, "    0.75");
    EXPECT_EQ(rows[2].Value, RU("Комбин"));
    EXPECT_EQ(rows[5].Caption, RU("Номер опорного пика N опор"));
    EXPECT_EQ(rows[9].Value, "   2.50/ 10.000");

    SetParameterChoice(s, 3, 0);  // "t абс"
    SetParameterChoice(s, 7, 1);  // "ВнутрСт"
    rows = parameterGridRows(s);
    EXPECT_TRUE(rows[5].Caption.empty() && rows[6].Value.empty());
    EXPECT_FALSE(rows[8].Caption.empty());
    EXPECT_EQ(s.MethodologyName, "?");
    s.QuantMethod = 0;
    EXPECT_TRUE(parameterGridRows(s)[9].Caption.empty());

    SetTypedParameter(s, 0, "70000");
    EXPECT_EQ(s.AveragingMs, 65535);
    SetTypedParameter(s, 5, "300");
    EXPECT_EQ(s.ReferencePeakNo, 255);
    SetTypedParameter(s, 1, "-1");
    EXPECT_EQ(s.DetectThreshold, 0);
    SetTypedParameter(s, 4, "1,5");
    EXPECT_EQ(s.TimeTolerancePct, 1.5);
    s.MethodologyName = "m1.old";
    EXPECT_EQ(parameterGridRows(s)[11].Value, "m1");
}

}  // namespace
}  // namespace vk7
