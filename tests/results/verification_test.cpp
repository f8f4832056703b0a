// The statistics of the two repeatability checks and their protocols.
#include "results/verification.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"
#include "tests/support/office_suite.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

std::vector<VerificationInput> peaks(const std::vector<std::string>& heights, const std::vector<std::string>& areas,
                                     const std::vector<std::string>& times = {}) {
    std::vector<VerificationInput> rows;
    for (size_t i = 0; i < heights.size(); ++i)
        rows.push_back({i < times.size() ? times[i] : "1.00", heights[i], "4.5", areas[i]});
    return rows;
}

std::vector<std::string> column(const VerificationTable& t, size_t c) {
    std::vector<std::string> out;
    for (const auto& row : t.Grid) out.push_back(row.at(c));
    return out;
}

TEST(VerificationX, DeviationsAndStatisticsOfHeightsAndAreas) {
    const VerificationTable t = ComputeVerificationX(peaks({"10.000", "11.000", "12.000"}, {"95.500", "100.000", "104.500"}));
    ASSERT_FALSE(t.TooFew);
    ASSERT_EQ(t.Grid.size(), 3u);
    EXPECT_EQ(t.Grid[0], (std::vector<std::string>{"    1", "4.5", "10.000", "95.500", "    -9.091", "    -4.500"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"    -9.091", "     0.000", "     9.091"}));
    EXPECT_EQ(column(t, 5), (std::vector<std::string>{"    -4.500", "     0.000", "     4.500"}));
    ASSERT_EQ(t.Grid2.size(), 2u);
    EXPECT_EQ(t.Grid2[0], (std::array<std::string, 4>{"  11.000", "   1.000", "   9.091", "  22.569"}));
    EXPECT_EQ(t.Grid2[1], (std::array<std::string, 4>{"   100.000", "   4.500", "   4.500", "  11.172"}));
}

TEST(VerificationX, EdgeCasesOfTheStatistics) {
    // Four heights: s = 0.408, k(4) = 3.19196.
    VerificationTable t = ComputeVerificationX(peaks({"10.0", "10.5", "11.0", "10.5"}, {"1", "1", "1", "1"}));
    EXPECT_EQ(t.Grid2[0], (std::array<std::string, 4>{"  10.500", "   0.408", "   3.888", "   6.202"}));
    // The half-width is taken from the deviation as shown: 0.0004 shows as 0.000.
    t = ComputeVerificationX(peaks({"10.0004", "10.0000", "10.0008"}, {"1", "1", "1"}));
    EXPECT_EQ(t.Grid2[0][1], "   0.000");
    EXPECT_EQ(t.Grid2[0][3], "   0.000");
    // Equal heights leave rounding noise in the sums, never "nan".
    t = ComputeVerificationX(peaks({"12.345", "12.345", "12.345"}, {"1", "1", "1"}));
    EXPECT_EQ(t.Grid2[0], (std::array<std::string, 4>{"  12.345", "   0.000", "   0.000", "   0.000"}));
    // A mean of 0: nothing to relate the deviations to.
    t = ComputeVerificationX(peaks({"0", "0", "0"}, {"1", "2", "3"}));
    EXPECT_EQ(t.Grid2[0], (std::array<std::string, 4>{"   0.000", "   0.000", "       -", "       -"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>(3, "         -")));
    EXPECT_EQ(t.Grid2[1][0], "     2.000");
    // Fewer than three peaks: no statistics at all.
    t = ComputeVerificationX(peaks({"10", "11"}, {"1", "2"}));
    EXPECT_TRUE(t.TooFew);
    EXPECT_TRUE(t.Grid2.empty());
    ASSERT_EQ(t.Grid.size(), 2u);
    EXPECT_EQ(t.Grid[1], (std::vector<std::string>{"    2", "4.5", "11", "2", "", ""}));
    EXPECT_EQ(tooFewMessage(VerificationMethod::X), RU("Мало пиков"));
}

TEST(VerificationY, TimesHeightsAndAreasOfSeveralChromatograms) {
    const VerificationTable t =
        ComputeVerificationY(peaks({"10", "11", "12"}, {"95.5", "100", "104.5"}, {"5.00", "5.10", "4.90"}));
    ASSERT_EQ(t.Grid2.size(), 3u);
    EXPECT_EQ(t.Grid2[2], (std::array<std::string, 4>{"     5.000", "   0.100", "   2.000", "   4.965"}));
    EXPECT_EQ(t.Grid[0][1], "5.00");
    EXPECT_EQ(column(t, 6), (std::vector<std::string>{"     0.000", "     2.000", "    -2.000"}));
    EXPECT_EQ(column(t, 4), (std::vector<std::string>{"    -9.091", "     0.000", "     9.091"}));

    const VerificationTable two = ComputeVerificationY(peaks({"10", "11"}, {"1", "2"}, {"5", "5"}));
    EXPECT_TRUE(two.TooFew);
    EXPECT_EQ(two.Grid[0].size(), 7u);
    EXPECT_EQ(tooFewMessage(VerificationMethod::Y), RU("Мало хроматограмм"));
    EXPECT_EQ(chromatogramStem("h12a.hrm"), "h12a");
    EXPECT_EQ(chromatogramStem("H13A.HRM"), "H13A");
    EXPECT_EQ(chromatogramStem("h14a.Hrm"), "h14a");
    EXPECT_EQ(chromatogramStem("other"), "other");
}

class VerificationProtocol : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir / "doc"); }
    void installBlank(const char* name) {
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / name, dir / "doc" / name);
    }
    test::TempDir dir;
    StartFolder start{dir.path()};
};

TEST_F(VerificationProtocol, XOnTheInstalledBlank) {
    installBlank("povx.xlsx");
    const VerificationTable t = ComputeVerificationX(peaks({"10", "11", "12"}, {"95.5", "100", "104.5"}));
    EXPECT_EQ(WriteVerificationProtocol(start, VerificationMethod::X, "05.03.2024", {"h1a.hrm"}, t), "");
    Workbook book = Workbook::fromBlank(dir / "results" / "povxr.xlsx");
    Sheet s = book.sheet(1);
    EXPECT_EQ(s.text(1, 1), RU("Протокол поверки хроматографа по методу Х"));
    EXPECT_EQ(s.text(2, 2), "05.03.2024");
    EXPECT_EQ(s.text(3, 3), "h1a.hrm");
    EXPECT_EQ(s.text(5, 1), RU("N пика"));
    EXPECT_EQ(s.text(5, 2), RU(" b,с"));
    EXPECT_EQ(s.text(5, 6), RU(" dS,%"));
    EXPECT_EQ(s.text(6, 1), "    1");
    EXPECT_EQ(s.text(8, 5), "     9.091");
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(s.text(9, c), "") << c;
    EXPECT_EQ(s.text(10, 1), "");
    EXPECT_EQ(s.text(10, 2), "   Mx");
    EXPECT_EQ(s.text(10, 3), RU(" CKO"));
    EXPECT_EQ(s.text(10, 5), " d, %");
    EXPECT_EQ(s.text(11, 1), RU("Высота"));
    EXPECT_EQ(s.text(11, 5), "  22.569");
    EXPECT_EQ(s.text(12, 1), RU("Площадь"));
    EXPECT_EQ(s.text(12, 2), "   100.000");
    EXPECT_EQ(s.text(13, 1), "");

    // The office program shows the same texts, leading blanks and all.
    const auto csv = test::convertWithOfficeSuite({dir / "results" / "povxr.xlsx"}, test::kCsvEverySheet, dir / "csv");
    ASSERT_EQ(csv.size(), 1u);
    const auto rows = test::readCsv(csv[0]);
    ASSERT_GE(rows.size(), 12u);
    EXPECT_EQ(rows[1][1], "05.03.2024");
    EXPECT_EQ(rows[5][4], "    -9.091");
    EXPECT_EQ(rows[10][4], "  22.569");
    EXPECT_EQ(rows[11][0], toUtf8(RU("Площадь")));
}

TEST_F(VerificationProtocol, TheTableStartsBelowTheBlanksOwnRows) {
    Workbook blank;
    for (int r = 1; r <= 7; ++r) blank.sheet(1).setText(r, 1, "row " + intText(r));
    blank.saveAs(dir / "doc" / "povy.xlsx");
    const VerificationTable t = ComputeVerificationY(
        peaks({"10", "11", "12", "13"}, {"95.5", "100", "104.5", "99"}, {"5.00", "5.10", "4.90", "5.00"}));
    EXPECT_EQ(WriteVerificationProtocol(start, VerificationMethod::Y, "05.03.2024", {"h12a", "H13A", "h14a"}, t), "");
    Workbook book = Workbook::fromBlank(dir / "results" / "povyr.xlsx");
    Sheet s = book.sheet(1);
    EXPECT_EQ(s.text(3, 3), "h12a");
    EXPECT_EQ(s.text(3, 4), "H13A");
    EXPECT_EQ(s.text(3, 5), "h14a");
    EXPECT_EQ(s.text(8, 1), RU("N пика"));
    EXPECT_EQ(s.text(8, 7), RU(" dt,%"));
    EXPECT_EQ(s.text(12, 1), "    4");
    EXPECT_EQ(s.text(13, 1), "");
    EXPECT_EQ(s.text(14, 2), "   Mx");  // 8 + 4 + 2
    EXPECT_EQ(s.text(17, 1), RU("Время"));
}

TEST_F(VerificationProtocol, AMissingOrUnusableBlankWritesNothing) {
    const VerificationTable t = ComputeVerificationX(peaks({"10", "11", "12"}, {"1", "2", "3"}));
    EXPECT_EQ(WriteVerificationProtocol(start, VerificationMethod::X, "d", {"f"}, t), RU("Нет бланка \\doc\\povx.xlsx"));
    dir.write("doc/povx.xlsx", "not a workbook");
    EXPECT_EQ(WriteVerificationProtocol(start, VerificationMethod::X, "d", {"f"}, t),
              RU("Бланк povx.xlsx поврежден или не является книгой .xlsx"));
    EXPECT_FALSE(fs::exists(dir / "results" / "povxr.xlsx"));

    // A sheet that cannot be read, the protocol's own or another, is the blank's fault too.
    for (const char* part : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}) {
        Workbook blank;
        blank.addSheet("second");
        ZipPackage p = ZipPackage::fromBytes(blank.bytes());
        p.setPart(part, "<worksheet><sheetData>");
        p.save(dir / "doc" / "povx.xlsx");
        EXPECT_EQ(WriteVerificationProtocol(start, VerificationMethod::X, "d", {"f"}, t),
                  RU("Бланк povx.xlsx поврежден или не является книгой .xlsx"))
            << part;
        EXPECT_FALSE(fs::exists(dir / "results" / "povxr.xlsx"));
    }
}

}  // namespace
}  // namespace vk7
