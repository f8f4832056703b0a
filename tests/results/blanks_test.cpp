// The office blanks that install/doc/ brings: the cells the program relies on, and how the
// protocols made from them print.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <QImage>

#include <filesystem>
#include <regex>
#include <string>

#include "chromfile/passport.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"
#include "platform/qt/gif_image.h"
#include "results/office_protocols.h"
#include "results/verification.h"
#include "tests/support/office_suite.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

fs::path installed(const char* name) { return fs::path(VK7_SOURCE_DIR) / "install" / "doc" / name; }

// Every non-empty cell of the sheet as "A1=text".
std::vector<std::string> cells(Sheet s, int rows, int columns) {
    std::vector<std::string> out;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c) {
            const std::string t = s.hasFormula(r, c) ? "=" + s.formula(r, c) : s.text(r, c);
            if (!t.empty()) out.push_back(cellReference(r, c) + "=" + t);
        }
    return out;
}

TEST(InstalledBlanks, TheVerificationProtocols) {
    const struct {
        const char* file;
        std::string sheet;
        std::vector<std::string> cells;
    } blanks[] = {
        {"povx.xlsx", RU("Поверка Х"),
         {RU("A1=Протокол поверки хроматографа по методу Х"), RU("A2=Дата:"), RU("A3=Хроматограмма:"),
          RU("A4=Повторяемость высот и площадей пиков одной хроматограммы")}},
        {"povy.xlsx", RU("Поверка Y"),
         {RU("A1=Протокол поверки хроматографа по методу Y"), RU("A2=Дата:"), RU("A3=Хроматограммы:"),
          RU("A4=Повторяемость времен, высот и площадей по нескольким хроматограммам")}},
    };
    for (const auto& b : blanks) {
        Workbook book = Workbook::fromBlank(installed(b.file));
        ASSERT_EQ(book.sheetCount(), 1);
        EXPECT_EQ(book.sheet(1).name(), b.sheet);
        EXPECT_EQ(cells(book.sheet(1), 64, 20), b.cells) << b.file;
        const ZipPackage p = ZipPackage::read(installed(b.file));
        const std::string sheet = p.part("xl/worksheets/sheet1.xml");
        EXPECT_NE(sheet.find("paperSize=\"9\" orientation=\"portrait\""), std::string::npos);
        EXPECT_NE(sheet.find(toUtf8(RU("Поверитель ______________"))), std::string::npos);
    }
}

TEST(InstalledBlanks, TheAnalysisProtocolWorkbookAndItsLayout) {
    Workbook book = Workbook::fromBlank(installed("prot.xlsx"));
    ASSERT_EQ(book.sheetCount(), 2);
    EXPECT_EQ(book.sheet(1).name(), RU("Протокол"));
    EXPECT_EQ(book.sheet(2).name(), RU("Разметка"));
    EXPECT_EQ(cells(book.sheet(1), 64, 20),
              (std::vector<std::string>{RU("A1=Протокол хроматографического анализа №"), RU("A2=Дата анализа:"),
                                        RU("A3=Сумма концентраций:")}));
    EXPECT_EQ(cells(book.sheet(2), 10, 20),
              (std::vector<std::string>{"A1=4", "B1=1", "C1=1", "D1=1", "E1=1", "F1=1", "G1=1", "H1=1", "J1=1", "K1=6",
                                        "L1=2", "M1=3", RU("N1=Оператор: "), "D3==SUM(A3:A257)", "E3=3", "F3=4"}));
}

TEST(InstalledBlanks, TheAnalysisProtocolDocument) {
    const ZipPackage p = ZipPackage::read(installed("pr.docx"));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(p.part("word/document.xml").c_str()));
    const pugi::xml_node body = doc.child("w:document").child("w:body");
    EXPECT_EQ(std::string(body.child("w:p").child("w:r").child_value("w:t")), toUtf8(RU("Анализ выполнил: ______________")));
    EXPECT_STREQ(body.child("w:sectPr").child("w:pgSz").attribute("w:w").value(), "11906");
    EXPECT_STREQ(body.child("w:sectPr").child("w:pgMar").attribute("w:left").value(), "1134");
    const std::string styles = p.part("word/styles.xml");
    EXPECT_NE(styles.find("<w:sz w:val=\"18\"/>"), std::string::npos);
    EXPECT_NE(styles.find("w:after=\"0\""), std::string::npos);
}

// --- How the protocols made from them print -------------------------------------------------

std::string u8(const std::string& cp1251) { return toUtf8(cp1251); }

// A peak table of n identified peaks as the grid shows it: numbers of the usual lengths, one
// area in exponent form, a missing concentration now and then, substance names of up to 19
// letters.
std::vector<std::vector<std::string>> peakGrid(int n) {
    const char* const names[] = {"Метан",    "Этан",      "Этилен",    "Пропан",     "Пропилен",
                                 "изо-Бутан", "н-Бутан",  "Бутен-1",   "изо-Пентан", "н-Пентан",
                                 "Бензол",   "Толуол",    "Этилбензол", "м-Ксилол",  "о-Ксилол",
                                 "Стирол",   "Ацетон",    "1,2-Дихлорэтан", "Тетрахлорэтилен", "Хлороформ"};
    std::vector<std::vector<std::string>> g;
    g.push_back({"N", RU("t, мин"), RU("h, мВ"), RU("b, с"), RU("K асс"), RU("S, мВ.с"), RU("S, %"), RU("C, мг/м3"),
                 RU("d, %"), RU("Вещество"), RU("Статус")});
    for (int i = 1; i <= n; ++i)
        g.push_back({intText(i), fixedText(0.8 + i * 0.77, 0, 2), fixedText(9.4 + i * 13.37, 0, 3), fixedText(8.6 + i * 0.1, 0, 1),
                     "1.0", i == n ? "1.2346E+5" : fixedText(33.4 + i * 213.7, 0, 3), fixedText(100.0 / n, 0, 2),
                     i % 4 == 0 ? "-" : fixedText(0.017 * i * i, 0, 3), "-", toCp1251(names[(i - 1) % 20]), RU("Расчет")});
    return g;
}

// The pages of a PDF as poppler counts them.
int pageCount(const fs::path& pdf) {
    std::smatch m;
    const std::string info = test::commandOutput("pdfinfo " + test::shellQuoted(pdf));
    return std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(m[1]) : 0;
}

TEST(InstalledBlanks, ProtocolsMadeFromThemPrintOnTheirPages) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    for (const char* f : {"doc", "space", "results", "print"}) fs::create_directories(dir / f);
    for (const char* f : {"prot.xlsx", "pr.docx", "povx.xlsx", "povy.xlsx"}) fs::copy_file(installed(f), dir / "doc" / f);
    SaveExcelProtocolSettings(start, {"prot.xlsx", 17, RU("Иванова М.П.")});
    // The passport with the captions of the installation and the plot picture of the main
    // window at its first size.
    const auto captions = passportCaptions(readLines(fs::path(VK7_SOURCE_DIR) / "install" / "space" / "regn.txt"));
    AnalysisProtocolInput in;
    in.FileName = "h12a.hrm";
    in.Comment = RU("10.12.2025 14:05 проба воздуха рабочей зоны, цех 3");
    std::vector<std::string> pasp;
    for (size_t i = 0; i < in.Passport.size(); ++i) {
        const std::string caption = i <= 12 ? captions[i] : captions[13];
        in.Passport[i] = {caption, "12.5"};
        pasp.push_back(padRight(caption, 32) + "12.5");
    }
    writeLines(dir / "results" / "pasp.txt", pasp);
    QImage plot(975, 554, QImage::Format_RGB32);
    plot.fill(Qt::white);
    saveGif(plot, dir / "results" / "fig.gif");

    // Each protocol as the program writes it, kept under a name of its own.
    auto keep = [&](const char* written, const std::string& name) {
        fs::copy_file(dir / "results" / written, dir / "print" / name);
    };
    for (int peaks : {20, 60}) {
        in.Grid = peakGrid(peaks);
        in.PeakCount = peaks;
        ASSERT_EQ(WriteExcelProtocol(start, in).Message, "");
        keep("prot.xlsx", "analysis" + intText(peaks) + ".xlsx");
    }
    in.Grid = peakGrid(20);
    in.PeakCount = 20;
    ASSERT_EQ(WriteWordProtocol(start, in), "");
    keep("prot.docx", "document20.docx");
    std::vector<VerificationInput> rows;
    for (int i = 1; i <= 20; ++i)
        rows.push_back({fixedText(5 + 0.01 * (i % 3), 0, 2), fixedText(11 + 0.1 * (i % 5), 0, 3), "4.5",
                        fixedText(100 + 0.7 * (i % 4), 0, 3)});
    ASSERT_EQ(WriteVerificationProtocol(start, VerificationMethod::X, "10.12.2025", {"h12a.hrm"}, ComputeVerificationX(rows)), "");
    keep("povxr.xlsx", "checkX20.xlsx");
    rows.resize(6);
    ASSERT_EQ(WriteVerificationProtocol(start, VerificationMethod::Y, "10.12.2025",
                                        {"h12a", "h13a", "h14a", "h15a", "h16a", "h17a"}, ComputeVerificationY(rows)),
              "");
    keep("povyr.xlsx", "checkY6.xlsx");

    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir / "print")) files.push_back(e.path());
    const auto pdfs = test::convertWithOfficeSuite(files, "pdf", dir / "pdf");
    ASSERT_EQ(pdfs.size(), files.size());
    const struct {
        const char* pdf;
        int pages;
    } expected[] = {
        {"analysis20.pdf", 1},  // the layout sheet stays out, the table fits the page's width
        {"analysis60.pdf", 2},
        {"document20.pdf", 1},  // the passport, a plot picture and 20 rows
        {"checkX20.pdf", 1},
        {"checkY6.pdf", 1},
    };
    for (const auto& e : expected) {
        const fs::path pdf = dir / "pdf" / e.pdf;
        EXPECT_EQ(pageCount(pdf), e.pages) << e.pdf;
        const std::string info = test::commandOutput("pdfinfo " + test::shellQuoted(pdf));
        EXPECT_TRUE(std::regex_search(info, std::regex(R"(Page size:\s+595\.\d* x 841\.\d*)"))) << e.pdf << info;
    }
    // The number (the second protocol's) follows the sign in the workbook's title; a page after
    // the first starts with the table's caption row.
    const std::string workbook = test::commandOutput("pdftotext -layout " + test::shellQuoted(dir / "pdf" / "analysis60.pdf") + " -");
    EXPECT_TRUE(std::regex_search(workbook, std::regex(u8(RU("анализа №")) + " +18\n"))) << workbook;
    const size_t secondPage = workbook.find('\f');
    ASSERT_NE(secondPage, std::string::npos);
    EXPECT_TRUE(std::regex_search(workbook.substr(secondPage + 1), std::regex("^ *N +t, ")))
        << workbook.substr(secondPage + 1, 200);
}

}  // namespace
}  // namespace vk7
