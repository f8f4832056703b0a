// Averaging of the analyses of the summary table, normalisation and the recalculations of
// the concentration column.
#include "results/averaging.h"
#include "results/normalisation.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/peak_table.h"
#include "processing/table_rows.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

// A summary row from its cell texts (the peak table's widths; "-" for a K or C without value).
PeakTableRow row(int n, const char* t, const char* h, const char* b, const char* k, const char* s, const char* share,
                 const char* c, const std::string& name) {
    PeakTableRow r;
    r.Cells = {intText(n, 3), padLeft(t, 8), h, b, std::string(k) == "-" ? "   -    " : k, s, share,
               std::string(c) == "-" ? "    - " : c, " -", name};
    return r;
}

class ResultTables : public ::testing::Test {
protected:
    StartFolder start() const { return StartFolder(dir.path()); }
    fs::path results(const char* name) const { return dir.path() / "results" / name; }
    std::vector<std::string> lines(const char* name) const { return readLines(results(name)); }
    void writeSummary(const std::vector<PeakTableRow>& rows) {
        WriteSummaryTableText(start(), RU("Суммарная таблица h1a.hrm h2a.hrm h3a.hrm "), rows);
    }
    void writeTabl(const std::vector<PeakTableRow>& rows) { WritePeakTableText(start(), RU("Хроматограмма h1a.hrm"), rows); }
    std::vector<PeakTableRow> threeAnalyses() const {
        const std::string methane = RU("Метан"), ethane = RU("Этан");
        return {
            row(1, "1.50", "10.000", "3.0", "1.2", "100.000", "40.00", "1.000", methane),
            row(2, "2.50", "20.000", "4.0", "-", "150.000", "60.00", "2.000", ethane),
            row(1, "1.52", "11.000", "3.2", "1.4", "110.000", "42.00", "1.100", methane),
            row(2, "2.52", "20.000", "4.0", "-", "150.000", "58.00", "2.000", ethane),
            row(1, "1.48", "9.000", "2.8", "1.0", "90.000", "38.00", "0.900", methane),
            row(2, "2.50", "20.000", "4.0", "-", "150.000", "60.00", "2.000", ethane),
        };
    }
    test::TempDir dir;
};

TEST_F(ResultTables, ThreeAnalysesAverageIntoTablWithTheirDeviation) {
    writeSummary(threeAnalyses());
    writeTabl({row(1, "9.99", "1.000", "1.0", "1.0", "1.000", "1.00", "1.000", "x")});
    dir.write("results/tablr.txt", "old normalised\r\n");

    EXPECT_EQ(AverageAnalyses(start(), 3), std::nullopt);
    const auto tabl = lines("tabl.txt");
    ASSERT_EQ(tabl.size(), 6u);
    EXPECT_EQ(tabl[0], RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение)"));
    EXPECT_EQ(tabl[1], "");
    EXPECT_EQ(tabl[2], PeakTableColumnLine());
    EXPECT_EQ(tabl[4], RU("  1    1.50    10.000    3.0     1.2   100.000   40.00     1.000  24.8    Метан"));
    EXPECT_EQ(tabl[5], RU("  2    2.51    20.000    4.0  -        150.000   59.33     2.000   0.0    Этан"));
    EXPECT_FALSE(fs::exists(results("tablr.txt")));
    // The one reader takes the averaged rows at their columns.
    const TableRow first = readTableRow(tabl[4]);
    EXPECT_DOUBLE_EQ(first.Conc, 1.0);
    EXPECT_EQ(first.Deviation, "  24.8    ");
    EXPECT_EQ(first.Name, RU("Метан"));
}

// A refused averaging leaves tabl.txt as it was and tablr.txt with the averaged table's four
// head lines alone, so that no earlier averaged or normalised table is taken for this one.
TEST_F(ResultTables, RefusedSummariesLeaveTheHeadLinesInTablr) {
    const std::string m = RU("Метан"), e = RU("Этан");
    auto r = [&](int n, const std::string& name, const char* c = "1.000") {
        return row(n, "1.00", "1.000", "1.0", "1.0", "1.000", "1.00", c, name);
    };
    const struct {
        const char* what;
        std::vector<PeakTableRow> rows;
        std::string message;
    } cases[] = {
        {"blocks of 2 and 4", {r(1, m), r(2, e), r(1, m), r(2, e), r(3, m), r(4, e)}, RU("некратное число строк")},
        {"one block", {r(1, m), r(2, e)}, RU("однократный анализ")},
        {"no rows", {}, RU("однократный анализ")},
        {"numbering 1, 2, 4", {r(1, m), r(2, e), r(4, e), r(1, m), r(2, e), r(3, e)}, RU("нарушена нумерация строк")},
        {"a name against ?", {r(1, m), r(2, e), r(1, "?", "-"), r(2, e)}, RU("разные вещества в строке 1")},
        {"row number 33", {r(1, m), r(2, e), r(33, e), r(1, m), r(2, e), r(33, e)}, RU("много строк (>32)")},
        {"a row 33 that lengthens the last block", {r(1, m), r(2, e), r(1, m), r(2, e), r(33, e)},
         RU("много строк (>32)")},
        {"one block of 33 rows",
         [&] {
             std::vector<PeakTableRow> rows;
             for (int i = 1; i <= 33; ++i) rows.push_back(r(i, m));
             return rows;
         }(),
         RU("однократный анализ")},
    };
    const std::string head = toCp1251("h1a.hrm h2a.hrm h3a.hrm  (усреднение)\r\n\r\n") + PeakTableColumnLine() + "\r\n\r\n";
    for (const auto& c : cases) {
        writeSummary(c.rows);
        writeTabl({r(1, m)});
        dir.write("results/tablr.txt", "normalised\r\n");
        const std::string tablBefore = readFileBytes(results("tabl.txt"));
        EXPECT_EQ(AverageAnalyses(start(), 3), RU("Некорректные данные: ") + c.message) << c.what;
        EXPECT_EQ(readFileBytes(results("tabl.txt")), tablBefore) << c.what;
        EXPECT_EQ(readFileBytes(results("tablr.txt")), head) << c.what;
    }
}

TEST_F(ResultTables, AveragedValuesKeepTheirColumns) {
    const std::string m = RU("Метан");
    // Means of 123456.7 (C), 250000 (h, S), read from the exponent form of older tables; a
    // zero mean C gives d% over 1; a huge spread gives a d% that loses its decimal.
    writeSummary({row(1, "1.00", "2.5E+0005", "1.0", "1.0", "2.5E+0005", "1.00", "1.2E+0005", m),
                  row(2, "2.00", "1.000", "1.0", "1.0", "1.000", "1.00", "0.000", "x"),
                  row(3, "3.00", "1.000", "1.0", "1.0", "1.000", "1.00", "1000.000", "y"),
                  row(4, "4.00", "1.000", "1.0", "1.0", "1.000", "1.00", "-", "?"),
                  row(1, "1.00", "2.5E+0005", "1.0", "1.0", "2.5E+0005", "1.00", "126913.400", m),
                  row(2, "2.00", "1.000", "1.0", "1.0", "1.000", "1.00", "0.000", "x"),
                  row(3, "3.00", "1.000", "1.0", "1.0", "1.000", "1.00", "-999.999", "y"),
                  row(4, "4.00", "1.000", "1.0", "1.0", "1.000", "1.00", "-", "?")});
    ASSERT_EQ(AverageAnalyses(start(), 3), std::nullopt);
    const auto tabl = lines("tabl.txt");
    ASSERT_EQ(tabl.size(), 8u);
    EXPECT_EQ(tabl[4].substr(54, 10), " 1.2346E+5");
    // A peak unnamed in every analysis keeps its dashes rather than a measured zero.
    EXPECT_EQ(tabl[7].substr(54), "        -  -        ?");
    EXPECT_EQ(tabl[4].substr(11, 10), " 2.5000E+5");
    EXPECT_EQ(tabl[4].substr(36, 10), " 2.5000E+5");
    EXPECT_EQ(tabl[4].substr(74), m);
    EXPECT_EQ(tabl[5].substr(64, 10), "   0.0    ");
    EXPECT_EQ(tabl[6].substr(74), "y");
    EXPECT_EQ(trimBlanks(tabl[6].substr(64, 10)).find('.'), std::string_view::npos);  // d% without its decimal
    const TableRow first = readTableRow(tabl[4]);
    EXPECT_NEAR(first.Conc, 123456.7, 123456.7 * 5e-4);
    EXPECT_NEAR(first.Height, 250000, 1);
    EXPECT_EQ(first.Name, m);
}

// Every magnitude a result can take, through the writers of the result tables: the averaged
// rows and the recalculated concentrations read back at their columns within 0.05 %
// (four significant digits), and no later column moves.
TEST_F(ResultTables, LargeValuesKeepFourSignificantDigitsInEveryWriter) {
    const double magnitudes[] = {123456.7, 9.8765432e6, -1.2345678e7, 5.5555555e9, -9.8765432e15, 3.3333333e29, 1.2345e30};
    const std::string m = RU("Метан");
    for (double v : magnitudes) {
        SCOPED_TRACE(testing::Message() << v);
        // Two analyses a little apart, their cells as the peak table writes them.
        std::string h[2], share[2];
        double mean = 0, meanShare = 0;
        for (int i = 0; i < 2; ++i) {
            const double x = v * (1 + 1e-4 * i);
            h[i] = std::string(trimBlanks(tableFieldText(x, 9, 10, 3, true)));
            share[i] = std::string(trimBlanks(tableFieldText(x, 8, 8, 2, true)));
            mean += parseLenient(h[i]) / 2;
            meanShare += parseLenient(share[i]) / 2;
        }
        const PeakTableRow y = row(2, "2.00", "1.000", "1.0", "1.0", "1.000", "1.00", "1.000", "y");
        writeSummary({row(1, "1.00", h[0].c_str(), "1.0", "1.0", h[0].c_str(), share[0].c_str(), h[0].c_str(), m), y,
                      row(1, "1.00", h[1].c_str(), "1.0", "1.0", h[1].c_str(), share[1].c_str(), h[1].c_str(), m), y});
        ASSERT_EQ(AverageAnalyses(start(), 3), std::nullopt);
        const auto tabl = lines("tabl.txt");
        ASSERT_EQ(tabl.size(), 6u);
        const TableRow back = readTableRow(tabl[4]);
        EXPECT_NEAR(back.Height, mean, std::fabs(mean) * 5e-4);
        EXPECT_NEAR(back.Area, mean, std::fabs(mean) * 5e-4);
        EXPECT_NEAR(back.Conc, mean, std::fabs(mean) * 5e-4);
        // The share's 8 columns hold four digits in the exponent form only for a positive
        // value below 1E+10; beyond, three.
        EXPECT_NEAR(back.Share, meanShare, std::fabs(meanShare) * (v > 0 && v < 1e10 ? 5e-4 : 5e-3));
        EXPECT_EQ(back.Name, m);
        EXPECT_EQ(readTableRow(tabl[5]).Name, "y");

        // Both recalculations and the normalisation write C through one column writer.
        const std::vector<std::string> source = {"title", "", PeakTableColumnLine(), "", tabl[4], tabl[5]};
        const auto recalculated = recalculatedLines(source, 2.0, RU(". Форм."), 3);
        EXPECT_NEAR(readTableRow(recalculated[4]).Conc, back.Conc * 2, std::fabs(back.Conc) * 2 * 5e-4);
        EXPECT_EQ(recalculated[4].substr(64), tabl[4].substr(64));
    }
}

TEST_F(ResultTables, NormalisationGivesPercentagesAndKeepsUnnamedRows) {
    const std::vector<PeakTableRow> rows = {
        row(1, "1.00", "1.000", "1.0", "1.0", "1.000", "1.00", "1.000", "a"),
        row(2, "2.00", "1.000", "1.0", "1.0", "1.000", "1.00", "1.000", "b"),
        row(3, "3.00", "1.000", "1.0", "1.0", "1.000", "1.00", "2.000", "c"),
        row(4, "4.00", "1.000", "1.0", "1.0", "1.000", "1.00", "-", "?"),
    };
    writeTabl(rows);
    const std::string before = readFileBytes(results("tabl.txt"));
    NormaliseTable(start(), false, 3);
    EXPECT_EQ(readFileBytes(results("tabl.txt")), before);
    const auto tablr = lines("tablr.txt");
    const auto tabl = lines("tabl.txt");
    ASSERT_EQ(tablr.size(), 8u);
    EXPECT_EQ(tablr[0], RU("Хроматограмма h1a.hrm (нормализация)"));
    EXPECT_EQ(tablr[2], RU(" N     t,мин    h,мВ    b,с     K асс     S,мВ.с   S,%      C, %  d, %    Вещество"));
    EXPECT_EQ(tablr[4].substr(54, 10), "    25.000");
    EXPECT_EQ(tablr[5].substr(54, 10), "    25.000");
    EXPECT_EQ(tablr[6].substr(54, 10), "    50.000");
    EXPECT_EQ(tablr[7], tabl[7]);
    for (size_t i = 4; i < 7; ++i) {
        EXPECT_EQ(tablr[i].substr(0, 54), tabl[i].substr(0, 54));
        EXPECT_EQ(tablr[i].substr(64), tabl[i].substr(64));
    }

    // The several-files mode normalises the summary; all zero divides by 1.
    writeSummary({row(1, "1.00", "1.000", "1.0", "1.0", "1.000", "1.00", "0.000", "a")});
    NormaliseTable(start(), true, 2);
    EXPECT_EQ(lines("tablr.txt")[4].substr(54, 10), "      0.00");
}

TEST_F(ResultTables, RecalculationsRewriteTablThroughTablr) {
    const struct {
        ClimateValues climate;
        const char* in;
        const char* out;
    } climates[] = {
        {{101.3, 0}, "2.000", "     2.000"},
        {{101.3, 27.3}, "2.000", "     2.200"},
        {{100, 20}, "1.234", "     1.342"},
        {{101.3, 27.3}, "99999.000", "109998.900"},
        {{101.3, 27.3}, "999999.000", "1099998.90"},
        {{101.3, 27.3}, "9999999.000", "10999998.9"},
    };
    for (const auto& c : climates) {
        writeTabl({row(1, "1.00", "1.000", "1.0", "1.0", "1.000", "1.00", c.in, "a"),
                   row(2, "2.00", "1.000", "1.0", "1.0", "1.000", "1.00", "-", "?")});
        const auto before = lines("tabl.txt");
        ASSERT_EQ(RecalcNormalConditions(start(), c.climate, 3), std::nullopt);
        const auto after = lines("tabl.txt");
        EXPECT_EQ(after[0], RU("Хроматограмма h1a.hrm. НУ."));
        EXPECT_EQ(after[4].substr(54, 10), c.out) << c.in;
        EXPECT_EQ(after[4].substr(0, 54), before[4].substr(0, 54));
        EXPECT_EQ(after[4].substr(64), before[4].substr(64));
        EXPECT_EQ(after[5], before[5]);
        EXPECT_FALSE(fs::exists(results("tablr.txt")));
    }
    EXPECT_NEAR(NormalConditionsFactor({100, 20}), 1.0872125, 1e-7);

    // Twice applies twice.
    ASSERT_EQ(RecalcNormalConditions(start(), {101.3, 27.3}, 3), std::nullopt);
    EXPECT_EQ(lines("tabl.txt")[0], RU("Хроматограмма h1a.hrm. НУ.. НУ."));

    // The formula; a b of 0 divides by 0.001.
    writeTabl({row(1, "1.00", "1.000", "1.0", "1.0", "1.000", "1.00", "2.000", "a")});
    RecalcFormula(start(), {2, 4}, 3);
    EXPECT_EQ(lines("tabl.txt")[0], RU("Хроматограмма h1a.hrm. Форм."));
    EXPECT_EQ(lines("tabl.txt")[4].substr(54, 10), "     1.000");
    RecalcFormula(start(), {1, 0}, 1);
    EXPECT_EQ(lines("tabl.txt")[4].substr(54, 10), "    1000.0");

    // Refused conditions write nothing.
    const std::string before = readFileBytes(results("tabl.txt"));
    EXPECT_EQ(RecalcNormalConditions(start(), {0, 20}, 3), RU("Давление должно быть больше нуля"));
    EXPECT_EQ(RecalcNormalConditions(start(), {101.3, -273}, 3), RU("Температура должна быть выше -273 C"));
    EXPECT_EQ(readFileBytes(results("tabl.txt")), before);
}

TEST_F(ResultTables, ParameterFilesInTheExponentForm) {
    // Missing files give the laboratory defaults.
    EXPECT_DOUBLE_EQ(LoadClimate(start()).Pressure, 101.3);
    EXPECT_DOUBLE_EQ(LoadClimate(start()).Temperature, 20);
    EXPECT_DOUBLE_EQ(LoadFormulaCoefficients(start()).A, 1);
    EXPECT_DOUBLE_EQ(LoadFormulaCoefficients(start()).B, 1);

    SaveClimate(start(), {101.3, 20});
    EXPECT_EQ(readFileBytes(dir.path() / "space" / "klimat.dat"),
              " 1.01300000000000E+0002\r\n 2.00000000000000E+0001\r\n");
    EXPECT_EQ(SaveFormulaCoefficients(start(), {2, 0}).B, 0.001);
    EXPECT_EQ(readLines(dir.path() / "space" / "modif.dat")[1], " 1.00000000000000E-0003");
    EXPECT_DOUBLE_EQ(LoadFormulaCoefficients(start()).B, 0.001);
    dir.write("space/klimat.dat", "99,5\r\n\r\n");
    EXPECT_DOUBLE_EQ(LoadClimate(start()).Pressure, 99.5);
    EXPECT_DOUBLE_EQ(LoadClimate(start()).Temperature, 0);
}

}  // namespace
}  // namespace vk7
