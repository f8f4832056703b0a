#include "processing/table_rows.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/errors.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// A row of tabl.txt, an averaged row of tablr.txt (d% in columns 65-70) and a row whose
// values are in the exponent form over their separating blanks.
const std::string kPlain = "  1    0.50    95.367   30.0     2.0   953.674    0.50   1.23456 -        benzene";
const std::string kAveraged = " 12   10.25   123.000    1.5  -         12.500   12.50     0.125  12.3    toluene";
const std::string kWide = "  3    1.20 1.2E+0006 123456   -     2.5E+0007250000.0-3.0E+0006 -        x";

TEST(TableRows, ColumnsAreTheSharedSpans) {
    struct Case { TableColumn c; const char* plain; const char* wide; };
    for (Case c : {Case{TableColumn::Number, "  1", "  3"}, {TableColumn::Time, "    0.50", "    1.20"},
                   {TableColumn::Height, "    95.367", " 1.2E+0006"}, {TableColumn::Width, "   30.0", " 123456"},
                   {TableColumn::Asymmetry, "     2.0", "   -    "}, {TableColumn::Area, "   953.674", " 2.5E+0007"},
                   {TableColumn::Share, "    0.50", "250000.0"}, {TableColumn::Conc, "   1.23456", "-3.0E+0006"},
                   {TableColumn::Deviation, " -        ", " -        "}, {TableColumn::Name, "benzene", "x"}}) {
        EXPECT_EQ(columnText(kPlain, c.c), c.plain) << static_cast<int>(c.c);
        EXPECT_EQ(columnText(kWide, c.c), c.wide) << static_cast<int>(c.c);
    }
}

TEST(TableRows, ReadsEveryKindOfRow) {
    const TableRow plain = readTableRow(kPlain);
    EXPECT_EQ(plain.Number, 1);
    EXPECT_DOUBLE_EQ(plain.Time, 0.5);
    EXPECT_DOUBLE_EQ(plain.Height, 95.367);
    EXPECT_DOUBLE_EQ(plain.Width, 30);
    EXPECT_DOUBLE_EQ(plain.Asymmetry, 2);
    EXPECT_DOUBLE_EQ(plain.Area, 953.674);
    EXPECT_DOUBLE_EQ(plain.Share, 0.5);
    EXPECT_DOUBLE_EQ(plain.Conc, 1.23456);
    EXPECT_EQ(plain.Name, "benzene");

    const TableRow averaged = readTableRow(kAveraged);
    EXPECT_EQ(averaged.Number, 12);
    EXPECT_DOUBLE_EQ(averaged.Asymmetry, 0);  // "-"
    EXPECT_DOUBLE_EQ(averaged.Conc, 0.125);
    EXPECT_EQ(averaged.Deviation, "  12.3    ");
    EXPECT_EQ(averaged.Name, "toluene");

    const TableRow wide = readTableRow(kWide);
    EXPECT_DOUBLE_EQ(wide.Height, 1.2e6);
    EXPECT_DOUBLE_EQ(wide.Width, 123456);
    EXPECT_DOUBLE_EQ(wide.Area, 2.5e7);
    EXPECT_DOUBLE_EQ(wide.Share, 250000);
    EXPECT_DOUBLE_EQ(wide.Conc, -3e6);

    // "?" has no concentration: its column reads 0.
    const TableRow unnamed =
        readTableRow("  5    1.73     1.907   20.0     4.0 1.9E+0005   99.33        -  -        ?");
    EXPECT_DOUBLE_EQ(unnamed.Conc, 0);
    EXPECT_DOUBLE_EQ(unnamed.Area, 1.9e5);
    EXPECT_EQ(unnamed.Name, "?");
}

TEST(TableRows, ShortLinesAndLongNames) {
    EXPECT_EQ(columnText("", TableColumn::Number), "");
    EXPECT_EQ(columnText("  7   1", TableColumn::Time), "   1");
    EXPECT_EQ(columnText("  7   1", TableColumn::Height), "");
    const TableRow empty = readTableRow("");
    EXPECT_EQ(empty.Number, 0);
    EXPECT_EQ(empty.Name, "");
    const std::string longName = kPlain.substr(0, 74) + std::string(40, 'n');
    EXPECT_EQ(readTableRow(longName).Name, std::string(32, 'n'));
}

TEST(TableRows, FileSplitIntoHeadAndRows) {
    test::TempDir dir;
    const auto file = dir.write("results/tabl.txt", toCp1251("Хроматограмма h1a.hrm \r\n\r\n N ...\r\n\r\n") + kPlain +
                                                         "\r\n" + kWide + "\r\n");
    const TableText t = readTableText(file);
    ASSERT_EQ(t.Head.size(), 4u);
    EXPECT_EQ(t.Head[0], RU("Хроматограмма h1a.hrm "));
    EXPECT_EQ(t.Head[3], "");
    EXPECT_EQ(t.Rows, (std::vector<std::string>{kPlain, kWide}));

    const TableText shortFile = splitTableText({"title", ""});
    EXPECT_EQ(shortFile.Head.size(), 2u);
    EXPECT_TRUE(shortFile.Rows.empty());

    EXPECT_THROW(readTableText(dir / "results" / "tabsum.txt"), IoError);
}

}  // namespace
}  // namespace vk7
