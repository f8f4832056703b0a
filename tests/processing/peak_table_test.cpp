#include "processing/peak_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// Five peaks at 25 samples per second and 5 samples per point (0.2 s per point): a single
// peak, a group of three and an unidentified single peak whose area needs the exponent form.
struct FivePeaks {
    OpenChromatogram chrom;
    PeakMarkup markup;
    ProcessingSettings settings;

    FivePeaks() {
        chrom.SamplingRate = 25;
        chrom.SamplesPerPoint = 5;
        struct P { char type; int start, apex, end; int16_t height; double area; const char* name; double conc; };
        for (P p : {P{'M', 100, 150, 250, 20000, 1e6, "benzene", 1.23456},
                    P{'B', 300, 320, 340, 32000, 3e5, "toluene", 12345.678901},
                    P{'G', 340, 360, 380, 1000, 5e4, "xylene", 0.5},
                    P{'E', 380, 400, 450, -500, 0, "octane", 250000},
                    P{'M', 500, 520, 600, 400, 2e8, "?", 7}}) {
            Peak k;
            k.Type = p.type;
            k.Start = p.start;
            k.Apex = p.apex;
            k.End = p.end;
            k.Height = p.height;
            k.Area = p.area;
            k.Name = p.name;
            k.Conc = p.conc;
            markup.Peaks.push_back(k);
            markup.TotalArea += p.area;
        }
        settings.Decimals = 5;
    }

    std::vector<std::string> lines() const { return peakTableLines("", BuildPeakTable(chrom, markup, settings).Rows); }
};

TEST(PeakTableText, GoldenFileWithItsHeadLines) {
    FivePeaks f;
    test::TempDir dir;
    const StartFolder start(dir.path());
    const std::string title = peakTableTitle("h7a.hrm", RU("12.03.2024 10:15 проба 1"));
    WritePeakTableText(start, title, BuildPeakTable(f.chrom, f.markup, f.settings).Rows);

    //                 1  4       12        22     29      37        47      55        65        75
    const std::string golden = toCp1251(
        "Хроматограмма h7a.hrm 12.03.2024 10:15 проба 1\r\n"
        "\r\n"
        " N     t,мин    h,мВ    b,с     K асс     S,мВ.с   S,%   C, 1/см3 d, %    Вещество\r\n"
        "\r\n"
        "  1    0.50    95.367   30.0     2.0   953.674    0.50   1.23456 -        benzene\r\n"
        "  2    1.07   152.588    8.0   -       286.102    0.15 12345.679 -        toluene\r\n"
        "  3    1.20     4.768    8.0   -        47.684    0.02   0.50000 -        xylene\r\n"
        "  4    1.33    -2.384   14.0   -         0.000    0.00 2.5000E+5 -        octane\r\n"
        "  5    1.73     1.907   20.0     4.0 1.9073E+5   99.33        -  -        ?\r\n");
    EXPECT_EQ(readFileBytes(dir / "results" / "tabl.txt"), golden);
}

// A comment from a file written elsewhere may hold line breaks: the title stays one line,
// so the rows after it are read where they are.
TEST(PeakTableText, ACommentWithLineBreaksStaysInTheTitle) {
    FivePeaks f;
    test::TempDir dir;
    const StartFolder start(dir.path());
    WritePeakTableText(start, peakTableTitle("h7a.hrm", "x\r\n  9    1.00\ry\x7f"),
                       BuildPeakTable(f.chrom, f.markup, f.settings).Rows);
    const std::vector<std::string> got = readLines(dir / "results" / "tabl.txt");
    ASSERT_EQ(got.size(), 9u);
    EXPECT_EQ(got[0], RU("Хроматограмма h7a.hrm x    9    1.00 y "));
    EXPECT_EQ(readTableRow(got[4]).Name, "benzene");
}

TEST(PeakTableText, DecimalsZeroAndTimesRelativeToTheReferencePeak) {
    FivePeaks f;
    f.settings.Decimals = 0;
    f.settings.IdentMode = 1;
    f.settings.ReferencePeakNo = 1;
    const auto lines = f.lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[4], "  1   1.000    95.367   30.0     2.0   953.674    0.50         1 -        benzene");
    EXPECT_EQ(lines[5], "  2   2.133   152.588    8.0   -       286.102    0.15     12346 -        toluene");
    // 0.5 rounds to the even 0.
    EXPECT_EQ(lines[6], "  3   2.400     4.768    8.0   -        47.684    0.02         0 -        xylene");
    EXPECT_EQ(lines[8].substr(0, 11), "  5   3.467");

    // A reference peak that does not exist (or has no time) gives minutes.
    for (int ref : {0, 6}) {
        f.settings.ReferencePeakNo = ref;
        EXPECT_EQ(f.lines()[4].substr(0, 11), "  1    0.50") << ref;
    }
    f.settings.ReferencePeakNo = 1;
    f.markup.Peaks[1].Apex = 0;
    EXPECT_EQ(f.lines()[5].substr(0, 11), "  2    1.07");
}

TEST(PeakTableText, EveryValueStaysInTheColumnsItIsReadFrom) {
    // Values wider than their columns, each written as the one peak of a table (1 s per
    // point) and read back through the shared row reader. The height is given in counts at
    // a unit code; the other values in their physical units.
    struct Case {
        const char* what;
        int16_t heightCounts;
        int unitCode;
        double widthSec, areaMvs, share, conc;
        int decimals;
        const char* cellH; const char* cellB; const char* cellS; const char* cellShare; const char* cellC;
    };
    const Case cases[] = {
        {"plain", 21, 0, 2, 3.25, 50, 4.5, 3, "    0.100", "  2.0", "    3.250", "   50.00", "    4.500"},
        {"C with 5 decimals above 9 characters", 21, 0, 1, 1, 1, 1234.56789, 5, "    0.100", "  1.0", "    1.000",
         "    1.00", "1234.5679"},
        {"b at 1000 s", 21, 0, 1000, 1, 1, 1, 1, "    0.100", " 1000", "    1.000", "    1.00", "      1.0"},
        {"b beyond its 5 columns", 21, 0, 123456, 1, 1, 1, 1, "    0.100", "123456", "    1.000", "    1.00",
         "      1.0"},
        {"exponent forms", 25000, 4, 1, 2.5e7, 1, -3e6, 2, "1.1921E+6", "  1.0", "2.5000E+7", "    1.00",
         "-3.0000E+6"},
        {"exponents of two digits", 21, 0, 1, 1.2345678e30, 1, -9.8765432e15, 3, "    0.100", "  1.0", "1.235E+30",
         "    1.00", "-9.877E+15"},
        {"a negative height just below 100000", -20971, 3, 1, 1, 1, 1, 0, "-99997.52", "  1.0", "    1.000",
         "    1.00", "        1"},
        {"a share of 100000 and more", 21, 0, 1, 1, 250000, 1, 0, "    0.100", "  1.0", "    1.000", "250000.0",
         "        1"},
        {"a share beyond 8 digits", 21, 0, 1, 1, 1.2345678e9, 1, 0, "    0.100", "  1.0", "    1.000", "1.235E+9",
         "        1"},
        // No fixed form of 7 columns holds 14995000: the exponent form keeps S in place.
        {"b beyond every fixed form of its columns", 21, 0, 14995000, 23841.858, 1, 1, 1, "    0.100", "1.50E+7",
         "23841.858", "    1.00", "      1.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenChromatogram chrom;
        chrom.SamplingRate = 1;
        chrom.SamplesPerPoint = 1;
        chrom.UnitCode = c.unitCode;
        const double mvPerCount = 10000.0 / 32768.0 / 64.0 * std::pow(10.0, c.unitCode);
        PeakMarkup m;
        Peak p;
        p.Start = 1;
        p.Apex = 60;
        p.End = 1 + static_cast<int>(c.widthSec);
        p.Height = c.heightCounts;
        p.Area = c.areaMvs / mvPerCount;
        p.Name = "x";
        p.Conc = c.conc;
        m.Peaks.push_back(p);
        m.TotalArea = p.Area * 100 / c.share;
        ProcessingSettings s;
        s.Decimals = c.decimals;
        const PeakTableRow row = BuildPeakTable(chrom, m, s).Rows.at(0);
        EXPECT_EQ(row.Cells[CellHeight], c.cellH);
        EXPECT_EQ(row.Cells[CellWidth], c.cellB);
        EXPECT_EQ(row.Cells[CellArea], c.cellS);
        EXPECT_EQ(row.Cells[CellShare], c.cellShare);
        EXPECT_EQ(row.Cells[CellConc], c.cellC);

        const std::string line = peakTableLine(row.Cells);
        EXPECT_EQ(line.size(), 75u);
        EXPECT_EQ(columnText(line, TableColumn::Name), "x");
        const TableRow back = readTableRow(line);
        EXPECT_EQ(back.Number, 1);
        EXPECT_DOUBLE_EQ(back.Time, 1.0);
        // Four significant digits at least, or the decimals of the column.
        auto within = [](double v, int decimals) { return std::max(std::fabs(v) * 5e-4, 0.5 * std::pow(10.0, -decimals)); };
        EXPECT_NEAR(back.Height, row.HeightMv, within(row.HeightMv, 3));
        // b's 7 columns hold three significant digits in the exponent form.
        EXPECT_NEAR(back.Width, row.WidthSec, std::max(row.WidthSec * 5e-3, 0.05));
        EXPECT_NEAR(back.Area, row.AreaMvs, within(row.AreaMvs, 3));
        EXPECT_NEAR(back.Share, row.SharePct, within(row.SharePct, 2));
        EXPECT_NEAR(back.Conc, *row.Conc, within(*row.Conc, c.decimals));
    }
}

TEST(PeakTableText, AsymmetryRoundsToOneDecimalAndGuardsItsDivisor) {
    struct Case { int start, apex, end; const char* cell; };
    for (Case c : {Case{10, 20, 35, "     1.5"}, {10, 20, 45, "     2.5"}, {10, 20, 55, "     3.5"},
                   {10, 10, 14, "     4.0"}, {10, 13, 14, "     0.3"},
                   // halves to the even tenth: 0.25 and 0.75
                   {10, 14, 15, "     0.2"}, {10, 14, 17, "     0.8"}}) {
        OpenChromatogram chrom;
        chrom.SamplingRate = 25;
        PeakMarkup m;
        Peak p;
        p.Start = c.start;
        p.Apex = c.apex;
        p.End = c.end;
        m.Peaks.push_back(p);
        EXPECT_EQ(BuildPeakTable(chrom, m, {}).Rows.at(0).Cells[CellAsymmetry], c.cell) << c.end;
    }
}

TEST(PeakTableText, GridCellsAndTheSummaryLineAgreeWithTheTableLine) {
    FivePeaks f;
    const auto rows = BuildPeakTable(f.chrom, f.markup, f.settings).Rows;
    const auto one = peakTableGridCells(rows[4], false);
    ASSERT_EQ(one.size(), size_t(kPeakTableGridColumns));
    EXPECT_EQ(one[CellNumber], "   5");
    EXPECT_EQ(one[CellConc], "    - ");
    EXPECT_EQ(one[CellDeviation], " -");
    EXPECT_EQ(one[CellName], "?");
    EXPECT_EQ(one[CellStatus], RU("Расчет"));
    EXPECT_EQ(peakTableGridCells(rows[4], true)[CellNumber], "  5");
    EXPECT_EQ(rows[1].Cells[CellAsymmetry], "   -    ");
    EXPECT_EQ(rows[0].Cells[CellHeight], "   95.367");
    EXPECT_EQ(rows[0].Cells[CellWidth], " 30.0");

    // The summary's join of the cells gives the very line of tabl.txt.
    for (const PeakTableRow& r : rows) {
        std::array<std::string, kPeakTableRowCells> cells;
        const auto grid = peakTableGridCells(r, true);
        std::copy(grid.begin(), grid.begin() + kPeakTableRowCells, cells.begin());
        EXPECT_EQ(peakTableLine(cells), peakTableLine(r.Cells));
    }
    // A cell longer than its width is written unchanged.
    std::array<std::string, kPeakTableRowCells> wide = rows[0].Cells;
    wide[CellName] = "benzene";
    wide[CellHeight] = "12345678901";
    EXPECT_EQ(peakTableLine(wide).substr(11, 11), "12345678901");
}

TEST(PeakTableText, ColumnLineAndTitles) {
    EXPECT_EQ(PeakTableColumnLine().size(), 82u);
    EXPECT_EQ(PeakTableColumnLine().find(RU("Вещество")), 74u);
    EXPECT_EQ(peakTableTitle("h1a.hrm", ""), RU("Хроматограмма h1a.hrm "));
    EXPECT_EQ(summaryTableTitle({"h1a.hrm", "h2a.hrm", "h3a.hrm"}),
              RU("Суммарная таблица h1a.hrm h2a.hrm h3a.hrm "));
    const std::string many = summaryTableTitle(std::vector<std::string>(20, "h1234567a.hrm"));
    EXPECT_EQ(many.size(), 128u);
}

// ---- internal standard ----

TEST(InternalStandard, FactorFromTheStandardsConcentrationOrItsShare) {
    FivePeaks f;
    f.settings.QuantMethod = 1;
    f.settings.StandardConc1 = 0.5;
    f.settings.StandardConc2 = 2;
    f.settings.Decimals = 3;

    // Named standard: v = its concentration from the calibration.
    f.settings.StandardPeakNo = 3;  // xylene, C 0.5
    PeakTable t = BuildPeakTable(f.chrom, f.markup, f.settings);
    EXPECT_TRUE(t.InternalStandard);
    EXPECT_FALSE(t.StandardPeakInvalid);
    EXPECT_DOUBLE_EQ(t.StandardFactor, 0.5 / 2 / 0.5);
    EXPECT_DOUBLE_EQ(*t.Rows[2].Conc, 0.25);                  // the standard: Conc1 / Conc2
    EXPECT_DOUBLE_EQ(*t.Rows[0].Conc, 1.23456 * 0.5);         // the others scaled
    EXPECT_DOUBLE_EQ(t.Rows[0].SharePct, 1e6 / 5e4 * 100);    // shares relative to the standard
    EXPECT_FALSE(t.Rows[4].Conc);

    // Unnamed standard: v = its share of the total area in percent.
    f.settings.StandardPeakNo = 5;
    t = BuildPeakTable(f.chrom, f.markup, f.settings);
    EXPECT_DOUBLE_EQ(t.StandardFactor, 0.25 / (2e8 * 100 / f.markup.TotalArea));

    // Zero guards: StandardConc2 0, a zero standard area, a zero v.
    f.settings.StandardConc2 = 0;
    f.settings.StandardPeakNo = 4;  // octane: area 0, C 250000
    t = BuildPeakTable(f.chrom, f.markup, f.settings);
    EXPECT_DOUBLE_EQ(t.StandardFactor, 0.5 / 1 / 250000);
    EXPECT_DOUBLE_EQ(*t.Rows[3].Conc, 0.5);
    EXPECT_DOUBLE_EQ(t.Rows[0].SharePct, 1e6 * 100);  // divided by 1 for the zero area
    f.markup.Peaks[4].Conc = 0;
    EXPECT_DOUBLE_EQ(BuildPeakTable(f.chrom, f.markup, f.settings).StandardFactor, 0.5);
}

TEST(InternalStandard, AStandardPeakThatDoesNotExistGivesTheAbsoluteTable) {
    FivePeaks f;
    const auto absolute = f.lines();
    f.settings.QuantMethod = 1;
    for (int no : {0, 6, -1}) {
        f.settings.StandardPeakNo = no;
        const PeakTable t = BuildPeakTable(f.chrom, f.markup, f.settings);
        EXPECT_TRUE(t.StandardPeakInvalid) << no;
        EXPECT_FALSE(t.InternalStandard);
        EXPECT_EQ(f.lines(), absolute) << no;
    }
    f.settings.QuantMethod = 0;
    EXPECT_FALSE(BuildPeakTable(f.chrom, f.markup, f.settings).StandardPeakInvalid);
}

TEST(InternalStandard, CommentTail) {
    const std::string c120(120, 'a');
    struct Case { std::string comment; double c1, c2; std::string want; };
    const Case cases[] = {
        {"", 0.5, 1, " Cst=  0.500/  1.000"},
        {"12.03.2024 10:15", 0.5, 1, "12.03.2024 10:15 Cst=  0.500/  1.000"},
        {"note Cst=  1.000/  2.000", 0.5, 1, "note Cst=  0.500/  1.000"},
        {"a Cst=  1.000/  2.000 b Cst=  3.000/  4.000", 2, 0, "a Cst=  2.000/  0.000"},
        {"Cst=1 without the blank", 1, 1, "Cst=1 without the blank Cst=  1.000/  1.000"},
        // The tail stays whole in the 128 characters; the text before it is shortened.
        {c120, 12.5, 123.456, std::string(108, 'a') + " Cst= 12.500/123.456"},
        {c120 + " Cst=  1.000/  1.000", 1, 1, std::string(108, 'a') + " Cst=  1.000/  1.000"},
    };
    for (const Case& c : cases) {
        const std::string got = commentWithStandardTail(c.comment, c.c1, c.c2);
        EXPECT_EQ(got, c.want) << c.comment;
        EXPECT_LE(got.size(), 128u);
    }
    EXPECT_EQ(standardCommentTail(0.5, 1).size(), 20u);
}

// ---- substance names ----

TEST(SubstanceNames, OncePerNameInFileOrderThenTheQuestionMark) {
    auto line = [](const std::string& name) {
        return std::string("   60") + expText(100, 23) + expText(1, 17) + " 1  0.00" + name;
    };
    const std::vector<std::string> grad{line(RU("Метан")), line("ethane"), line(RU("Метан")), line(""),
                                        "   60 short", line(std::string(40, 'n'))};
    EXPECT_EQ(substanceNames(grad), (std::vector<std::string>{RU("Метан"), "ethane", std::string(32, 'n'), "?"}));
    EXPECT_EQ(substanceNames({}), (std::vector<std::string>{"?"}));

    test::TempDir dir;
    EXPECT_EQ(LoadSubstanceNames(StartFolder(dir.path())), (std::vector<std::string>{"?"}));
}

}  // namespace
}  // namespace vk7
