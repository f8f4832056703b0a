// The Word and Excel protocols of an analysis, their settings and the export of points.
#include "results/office_protocols.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <QImage>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"
#include "platform/qt/gif_image.h"
#include "tests/support/office_suite.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

std::string u8(const std::string& cp1251) { return toUtf8(cp1251); }

// The grid of a table of five peaks: two named (C 1.5 and 2.25), three not.
std::vector<std::vector<std::string>> fivePeakGrid() {
    std::vector<std::vector<std::string>> g;
    g.push_back({"N", RU("t, мин"), RU("h, мВ"), RU("b, с"), RU("K асс"), RU("S, мВ.с"), RU("S, %"), RU("C, 1/см3"),
                 RU("d, %"), RU("Вещество"), RU("Статус")});
    g.push_back({"1", "5.00", "11.000", "4.5", "1.0", "100.000", "33.33", "1.5", "-", RU("бензол"), RU("Расчет")});
    g.push_back({"2", "6.00", "12.000", "4.6", "1.1", "110.000", "30.00", "2.25", "-", RU("толуол"), RU("Расчет")});
    for (int i = 3; i <= 5; ++i)
        g.push_back({intText(i), intText(i + 4) + ".00", "5.000", "4.0", "1.0", "50.000", "12.22", "-", "-", "?",
                     RU("Расчет")});
    return g;
}

AnalysisProtocolInput fivePeakInput() {
    AnalysisProtocolInput in;
    in.FileName = "h1a.hrm";
    in.Comment = RU("10.12.2025 14:05 проба воздуха");
    in.Grid = fivePeakGrid();
    in.PeakCount = 5;
    for (int i = 0; i < 14; ++i) in.Passport[static_cast<size_t>(i)] = {RU("Строка ") + intText(i), "v" + intText(i)};
    return in;
}

class OfficeProtocols : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"doc", "space", "results"}) fs::create_directories(dir / f);
        for (const char* f : {"prot.xlsx", "pr.docx"})
            fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / f, dir / "doc" / f);
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "space" / "protex.dat", dir / "space" / "protex.dat");
        std::vector<std::string> pasp;
        for (int i = 1; i <= 15; ++i) pasp.push_back(RU("Паспорт строка ") + intText(i));
        writeLines(dir / "results" / "pasp.txt", pasp);
        QImage plot(600, 300, QImage::Format_RGB32);
        plot.fill(QColor(0, 0, 255));
        saveGif(plot, dir / "results" / "fig.gif");
    }
    void setSettings(const std::string& name, int number, const std::string& op) {
        SaveExcelProtocolSettings(start, {name, number, op});
    }
    test::TempDir dir;
    StartFolder start{dir.path()};
};

TEST_F(OfficeProtocols, SettingsFileAndTheChooser) {
    EXPECT_EQ(readLines(dir / "space" / "protex.dat"), (std::vector<std::string>{"prot.xlsx", "1", ""}));
    fs::remove(dir / "space" / "protex.dat");
    ExcelProtocolSettings s = LoadExcelProtocolSettings(start, true);
    EXPECT_EQ(s.BlankName, "prot.xlsx");
    EXPECT_EQ(s.Number, 1);
    setSettings("a.xlsx", 65535, RU("Иванов И.И."));
    EXPECT_EQ(readFileBytes(dir / "space" / "protex.dat"), "a.xlsx\r\n65535\r\n" + RU("Иванов И.И.") + "\r\n");
    EXPECT_EQ(nextProtocolNumber(65535), 0);
    dir.write("space/protex.dat", "a.xlsx\r\n 12x\r\n\r\n");
    EXPECT_THROW(LoadExcelProtocolSettings(start, true), ConversionError);
    EXPECT_EQ(LoadExcelProtocolSettings(start, false).Number, 12);

    const std::string longName = "a_blank_with_a_long_name.xlsx";  // 29 characters
    dir.write("doc/" + longName, "x");
    EXPECT_EQ(chooseExcelBlank(start, dir / "doc" / longName).Name, longName);
    EXPECT_EQ(chooseExcelBlank(start, dir / "doc" / ".." / "doc" / longName).Name, longName);
    dir.write("documents/b.xlsx", "x");
    EXPECT_EQ(chooseExcelBlank(start, dir / "documents" / "b.xlsx").Refusal, RU("Бланк должен лежать в папке \\doc\\"));
    test::TempDir other;
    other.write("doc/b.xlsx", "x");
    EXPECT_EQ(chooseExcelBlank(start, other / "doc/b.xlsx").Refusal, RU("Бланк должен лежать в папке \\doc\\"));
    const std::string tooLong(30, 'x');
    dir.write("doc/" + tooLong + ".xlsx", "x");
    EXPECT_EQ(chooseExcelBlank(start, dir / "doc" / (tooLong + ".xlsx")).Refusal, RU("Имя бланка длиннее 32 символов"));
}

TEST(WordProtocolTable, CellsPaddedOnTheRightOrCutToTheirLastCharacters) {
    auto grid = fivePeakGrid();
    grid[1][1] = "1234567.89";  // t, 8 characters: the first two go
    grid[2][7] = "";             // an empty concentration: 9 blanks
    const auto lines = wordTableTexts(grid, 5);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], RU("t, мин\th, мВ\t\tb, с\tS, мВ.с\t\tS, %\tC, 1/см3\td, %\tВещество\r"));
    EXPECT_EQ(lines[1], "34567.89\t11.000   \t4.5  \t100.000  \t33.33   \t1.5      \t-     \t" + RU("бензол") + "\r");
    EXPECT_EQ(lines[2], "6.00    \t12.000   \t4.6  \t110.000  \t30.00   \t         \t-     \t" + RU("толуол") + "\r");
}

TEST(WordProtocolTable, RowsOfTheMarkedPeaksOnly) {
    // The grid may show more rows (a summary, an averaged table) or fewer than the open
    // chromatogram has peaks: the table holds rows 1 to the peak count that the grid has.
    const auto grid = fivePeakGrid();
    const struct {
        int peakCount;
        size_t lines;
        std::string lastLineStart;
    } cases[] = {{0, 1, RU("t, мин\t")}, {2, 3, "6.00    \t"}, {5, 6, "9.00    \t"}, {9, 6, "9.00    \t"}};
    for (const auto& c : cases) {
        const auto lines = wordTableTexts(grid, c.peakCount);
        ASSERT_EQ(lines.size(), c.lines) << c.peakCount;
        EXPECT_TRUE(lines.back().starts_with(c.lastLineStart)) << c.peakCount;
    }
}

// The paragraphs of the document body in Windows-1251.
std::vector<std::string> paragraphs(const fs::path& docx) {
    std::vector<std::string> out;
    for (const std::string& p : test::docxParagraphs(docx)) out.push_back(toCp1251(p));
    return out;
}

TEST_F(OfficeProtocols, WordProtocolParagraphsInOrder) {
    EXPECT_EQ(WriteWordProtocol(start, fivePeakInput()), "");
    const auto p = paragraphs(dir / "results" / "prot.docx");
    ASSERT_EQ(p.size(), 32u);
    EXPECT_EQ(p[0], RU("Протокол хроматографического анализа №"));
    EXPECT_EQ(p[1], "");
    EXPECT_EQ(p[2], RU("Хроматограмма h1a.hrm"));
    EXPECT_EQ(p[3], RU("10.12.2025 14:05 проба воздуха"));
    EXPECT_EQ(p[4], "");
    for (int i = 0; i < 14; ++i) EXPECT_EQ(p[5 + static_cast<size_t>(i)], RU("Паспорт строка ") + intText(i + 1));
    EXPECT_EQ(p[19], "");
    EXPECT_EQ(p[20], "");
    EXPECT_EQ(p[21], RU("Результаты анализа."));
    EXPECT_EQ(p[22], "");
    EXPECT_EQ(p[23], "[picture]");
    EXPECT_EQ(p[24], "");
    EXPECT_EQ(p[25], RU("t, мин\th, мВ\t\tb, с\tS, мВ.с\t\tS, %\tC, 1/см3\td, %\tВещество"));
    EXPECT_EQ(p[26], "5.00    \t11.000   \t4.5  \t100.000  \t33.33   \t1.5      \t-     \t" + RU("бензол"));
    EXPECT_EQ(p[30].substr(0, 9), "9.00    \t");
    EXPECT_EQ(p[31], RU("Анализ выполнил: ______________"));

    // Missing pieces.
    fs::remove(dir / "doc" / "pr.docx");
    EXPECT_EQ(WriteWordProtocol(start, fivePeakInput()), RU("Нет бланка \\doc\\pr.docx"));
}

TEST_F(OfficeProtocols, ExcelProtocolOnTheInstalledBlank) {
    setSettings("prot.xlsx", 17, RU("Иванов И.И."));
    const ExcelProtocolOutcome out = WriteExcelProtocol(start, fivePeakInput());
    EXPECT_EQ(out.Message, "");
    EXPECT_EQ(out.NewNumber, 18);
    EXPECT_EQ(LoadExcelProtocolSettings(start, true).Number, 18);

    Workbook book = Workbook::fromBlank(dir / "results" / "prot.xlsx");
    Sheet s = book.sheet(1);
    EXPECT_EQ(s.text(1, 6), "17");
    EXPECT_EQ(s.text(2, 3), "10.12.2025");
    EXPECT_EQ(s.formula(3, 4), RU("'Разметка'!D3"));
    EXPECT_EQ(s.text(4, 1), RU("Хроматограмма h1a.hrm"));
    EXPECT_EQ(s.text(5, 1), RU("10.12.2025 14:05 проба воздуха"));
    EXPECT_EQ(s.text(6, 1), "");
    EXPECT_EQ(s.text(7, 1), RU("Строка 0"));
    EXPECT_EQ(s.text(7, 4), "v0");
    EXPECT_EQ(s.text(20, 4), "v13");
    EXPECT_EQ(s.text(22, 1), RU("Результаты анализа"));
    EXPECT_EQ(s.text(24, 1), "N");
    EXPECT_EQ(s.text(24, 10), RU("Вещество"));
    EXPECT_EQ(s.text(24, 11), "");  // the status column stays out
    EXPECT_EQ(s.text(29, 8), "-");
    EXPECT_EQ(s.text(31, 1), RU("Оператор: Иванов И.И."));
    Sheet layout = book.sheet(2);
    EXPECT_EQ(layout.value(3, 1), 1.5);
    EXPECT_EQ(layout.text(4, 2), RU("толуол"));
    EXPECT_EQ(layout.text(5, 1), "-");

    // The office program computes the sum of the concentrations on opening.
    const auto csv = test::convertWithOfficeSuite({dir / "results" / "prot.xlsx"}, test::kCsvEverySheet, dir / "csv");
    ASSERT_EQ(csv.size(), 2u);
    const auto rows = test::readCsv(test::csvOfSheet(csv, u8(RU("Протокол"))));
    ASSERT_GE(rows.size(), 31u);
    EXPECT_EQ(rows[2][3], "3.75");
    EXPECT_EQ(rows[0][5], "17");
    EXPECT_EQ(rows[30][0], u8(RU("Оператор: Иванов И.И.")));

    // Two protocols advance by two.
    EXPECT_EQ(WriteExcelProtocol(start, fivePeakInput()).NewNumber, 19);
}

// A blank built in the test: `layout` gives the second sheet's cells.
void layoutBlank(const fs::path& file, const std::vector<std::pair<std::string, std::string>>& cells) {
    Workbook book;
    Sheet layout = book.addSheet(RU("Разметка"));
    for (const auto& [ref, value] : cells) {
        const int column = ref[0] - 'A' + 1;
        const int row = static_cast<int>(parseLenientInt(ref.substr(1)));
        if (!value.empty() && value[0] == '=')
            layout.setFormula(row, column, value);
        else if (const auto v = parseStrictReal(value))
            layout.setNumber(row, column, *v);
        else
            layout.setText(row, column, value);
    }
    book.saveAs(file);
}

TEST_F(OfficeProtocols, TheLayoutSteersTheRows) {
    // (1,1) 10 with the chromatogram, comment, passport and results.
    layoutBlank(dir / "doc" / "t.xlsx", {{"A1", "10"}, {"C1", "1"}, {"D1", "1"}, {"E1", "1"}, {"F1", "1"}});
    setSettings("t.xlsx", 5, "");
    ASSERT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message, "");
    {
        Workbook book = Workbook::fromBlank(dir / "results" / "prot.xlsx");
        EXPECT_EQ(book.sheet(1).text(10, 1), RU("Хроматограмма h1a.hrm"));
        EXPECT_EQ(book.sheet(1).text(28, 1), RU("Результаты анализа"));
        EXPECT_EQ(book.sheet(1).text(30, 1), "N");
    }
    // A row number beyond 255 is a row like any other.
    layoutBlank(dir / "doc" / "t.xlsx", {{"A1", "4"}, {"B1", "1"}, {"J1", "300"}, {"K1", "2"}});
    ASSERT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message, "");
    EXPECT_EQ(Workbook::fromBlank(dir / "results" / "prot.xlsx").sheet(1).text(300, 2), "6");

    // Not a number: the message, nothing saved, the number kept.
    const std::string before = readFileBytes(dir / "results" / "prot.xlsx");
    for (const auto& [cells, message] :
         std::vector<std::pair<std::vector<std::pair<std::string, std::string>>, std::string>>{
             {{{"A1", "4"}, {"B1", "1"}, {"J1", "abc"}, {"K1", "2"}},
              RU("Бланк t.xlsx: в ячейке J1 второго листа нужен номер строки")},
             {{{"A1", "4"}, {"B1", "1"}, {"J1", "1"}, {"K1", "2.5"}},
              RU("Бланк t.xlsx: в ячейке K1 второго листа нужен номер столбца")},
             {{{"A1", "0"}}, RU("Бланк t.xlsx: в ячейке A1 второго листа нужен номер строки")},
             {{{"A1", "4"}, {"E3", "5"}, {"F3", "20000"}},
              RU("Бланк t.xlsx: в ячейке F3 второго листа нужен номер столбца")}}) {
        layoutBlank(dir / "doc" / "t.xlsx", cells);
        EXPECT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message, message);
    }
    EXPECT_EQ(readFileBytes(dir / "results" / "prot.xlsx"), before);
    EXPECT_EQ(LoadExcelProtocolSettings(start, true).Number, 7);

    // A missing blank and a protocol number that is not one.
    setSettings("none.xlsx", 7, "");
    EXPECT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message, RU("Нет бланка \\doc\\none.xlsx"));
    dir.write("space/protex.dat", "t.xlsx\r\nabc\r\n\r\n");
    EXPECT_THROW(WriteExcelProtocol(start, fivePeakInput()), ConversionError);
}

// The installed blank with its package changed: a broken third sheet, or the layout sheet
// leading to the protocol's own part, whose cells would be saved over the protocol's.
TEST_F(OfficeProtocols, ABlankWithABrokenOrSharedSheetGetsTheBlanksMessage) {
    const ZipPackage installed = ZipPackage::read(dir / "doc" / "prot.xlsx");
    const std::pair<const char*, std::function<void(ZipPackage&)>> cases[] = {
        {"broken third sheet",
         [](ZipPackage& p) {
             std::string rels = p.part("xl/_rels/workbook.xml.rels");
             rels.insert(rels.find("</Relationships>"),
                         "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/worksheet\" Target=\"worksheets/sheet3.xml\"/>");
             p.setPart("xl/_rels/workbook.xml.rels", rels);
             std::string wb = p.part("xl/workbook.xml");
             wb.insert(wb.find("</sheets>"), "<sheet name=\"x\" sheetId=\"9\" r:id=\"rId9\"/>");
             p.setPart("xl/workbook.xml", wb);
             p.setPart("xl/worksheets/sheet3.xml", "<worksheet><sheetData><row>");
         }},
        {"layout on the protocol's part",
         [](ZipPackage& p) {
             std::string rels = p.part("xl/_rels/workbook.xml.rels");
             rels.replace(rels.find("worksheets/sheet2.xml"), 21, "worksheets/sheet1.xml");
             p.setPart("xl/_rels/workbook.xml.rels", rels);
         }},
    };
    for (const auto& [what, change] : cases) {
        ZipPackage p = installed;
        change(p);
        p.save(dir / "doc" / "b.xlsx");
        setSettings("b.xlsx", 7, "");
        EXPECT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message,
                  RU("Бланк b.xlsx поврежден или не является книгой .xlsx"))
            << what;
        EXPECT_FALSE(fs::exists(dir / "results" / "prot.xlsx")) << what;
        EXPECT_EQ(LoadExcelProtocolSettings(start, true).Number, 7) << what;
    }
}

TEST_F(OfficeProtocols, ABlankFormulaIsComputedByTheOfficeProgram) {
    layoutBlank(dir / "doc" / "m.xlsx",
                {{"A1", "4"}, {"D3", "=MEDIAN(A3:A257)"}, {"E3", "2"}, {"F3", "2"}, {"D4", "42"}, {"E4", "2"}, {"F4", "3"},
                 {"D5", RU("текст")}, {"E5", "2"}, {"F5", "4"}});
    setSettings("m.xlsx", 1, "");
    ASSERT_EQ(WriteExcelProtocol(start, fivePeakInput()).Message, "");
    Workbook book = Workbook::fromBlank(dir / "results" / "prot.xlsx");
    EXPECT_EQ(book.sheet(1).formula(2, 2), RU("'Разметка'!D3"));
    EXPECT_EQ(book.sheet(1).value(2, 3), 42);
    EXPECT_EQ(book.sheet(1).text(2, 4), RU("текст"));
    const auto csv = test::convertWithOfficeSuite({dir / "results" / "prot.xlsx"}, test::kCsvEverySheet, dir / "csv");
    ASSERT_EQ(csv.size(), 2u);
    const auto rows = test::readCsv(test::csvOfSheet(csv, u8(RU("Лист1"))));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], "1.875");  // the median of 1.5 and 2.25
}

OpenChromatogram thousandPoints() {
    OpenChromatogram c;
    std::vector<int16_t> points(1000);
    for (size_t i = 0; i < points.size(); ++i) points[i] = static_cast<int16_t>(i);
    points[0] = 32767;
    points[1] = -16384;
    points[2] = 1000;
    for (int16_t p : points) c.Points.push_back(p);
    c.SamplingRate = 21.533;
    c.SamplesPerPoint = 4;
    return c;
}

TEST(PointExport, StepsRowsTimesAndVoltages) {
    OpenChromatogram c = thousandPoints();
    auto rows = exportedPoints(c, 10, 300);
    ASSERT_EQ(rows.size(), 333u);
    EXPECT_NEAR(rows[1].TimeSec, 3 * 4 / 21.533, 1e-12);
    EXPECT_EQ(rows[1].Millivolts, 3 / 32769.0 * 10 * 1000);
    EXPECT_NEAR(rows[332].Millivolts, 996 / 32769.0 * 10000, 1e-9);
    EXPECT_EQ(exportedPoints(c, 10, 1).size(), 1u);
    rows = exportedPoints(c, 10, 1000);
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_NEAR(rows[0].Millivolts, 9999.389667, 1e-6);
    EXPECT_NEAR(rows[1].Millivolts, -4999.847417, 1e-6);
    c.UnitCode = 1;
    EXPECT_NEAR(exportedPoints(c, 10, 1000)[2].Millivolts, 3051.664, 1e-3);
    // The plot's time: 9690 points of 4 samples at 21.533 samples per second.
    OpenChromatogram longer;
    longer.Points.resize(9691);
    longer.SamplingRate = 21.533;
    longer.SamplesPerPoint = 4;
    EXPECT_NEAR(exportedPoints(longer, 10, 9691)[9690].TimeSec, 1800.028, 1e-3);
}

TEST(PointExport, TheWorkbookAndTheRefusedCounts) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    const OpenChromatogram c = thousandPoints();
    for (const char* typed : {"0", "-5", "abc", "1001", "", "2.5"})
        EXPECT_EQ(ExportPointsToExcel(start, c, 10, typed, {}), RU("Введите число точек от 1 до 1000")) << typed;
    EXPECT_FALSE(fs::exists(dir / "results" / "points.xlsx"));

    std::vector<int> progress;
    EXPECT_EQ(ExportPointsToExcel(start, c, 10, "300", [&](int p) { progress.push_back(p); }), "");
    ASSERT_EQ(progress.size(), 333u);
    EXPECT_EQ(progress.front(), 1);
    EXPECT_EQ(progress.back(), 100);  // 334 / 300 clamped
    Workbook book = Workbook::fromBlank(dir / "results" / "points.xlsx");
    EXPECT_EQ(book.sheet(1).value(1, 1), 0);
    EXPECT_NEAR(book.sheet(1).value(1, 2), 9999.389667, 1e-6);
    EXPECT_EQ(book.sheet(1).value(333, 2), 996 / 32769.0 * 10000);
    EXPECT_EQ(book.sheet(1).text(334, 1), "");

    const auto csv = test::convertWithOfficeSuite({dir / "results" / "points.xlsx"}, test::kCsvEverySheet, dir / "csv");
    ASSERT_EQ(csv.size(), 1u);
    const auto rows = test::readCsv(csv[0]);
    ASSERT_EQ(rows.size(), 333u);
    EXPECT_EQ(rows[0][0], "0");
    EXPECT_EQ(rows[1][1].substr(0, 6), "0.9154");  // 3 / 32769 * 10000
}

}  // namespace
}  // namespace vk7
