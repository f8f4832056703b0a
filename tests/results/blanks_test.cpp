// The office blanks that install/doc/ brings, cell by cell.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <string>

#include "common/cp1251.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"

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
        int columns;
    } blanks[] = {
        {"povx.xlsx", RU("Поверка Х"),
         {RU("A1=Протокол поверки хроматографа по методу Х"), RU("A2=Дата:"), RU("A3=Хроматограмма:"),
          RU("A4=Повторяемость высот и площадей пиков одной хроматограммы")},
         6},
        {"povy.xlsx", RU("Поверка Y"),
         {RU("A1=Протокол поверки хроматографа по методу Y"), RU("A2=Дата:"), RU("A3=Хроматограммы:"),
          RU("A4=Повторяемость времен, высот и площадей по нескольким хроматограммам")},
         7},
    };
    for (const auto& b : blanks) {
        Workbook book = Workbook::fromBlank(installed(b.file));
        ASSERT_EQ(book.sheetCount(), 1);
        EXPECT_EQ(book.sheet(1).name(), b.sheet);
        EXPECT_EQ(cells(book.sheet(1), 64, 20), b.cells) << b.file;
        const ZipPackage p = ZipPackage::read(installed(b.file));
        const std::string sheet = p.part("xl/worksheets/sheet1.xml");
        EXPECT_NE(sheet.find("<col min=\"1\" max=\"" + std::to_string(b.columns) + "\" width=\"11\""), std::string::npos);
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

}  // namespace
}  // namespace vk7
