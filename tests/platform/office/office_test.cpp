// Workbooks and documents written in-process and read back, by us and by a real office
// program headless.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "platform/office/word_document.h"
#include "platform/office/zip_package.h"
#include "platform/qt/gif_image.h"
#include "tests/support/office_suite.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

std::string u8(const std::string& cp1251) { return toUtf8(cp1251); }

pugi::xml_document partXml(const fs::path& file, const std::string& part) {
    const ZipPackage p = ZipPackage::read(file);
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(p.part(part).data(), p.part(part).size(), pugi::parse_default | pugi::parse_ws_pcdata));
    return doc;
}

TEST(Workbook, TextsNumbersAndFormulasReadBack) {
    test::TempDir dir;
    Workbook book;
    Sheet s = book.sheet(1);
    s.setText(1, 1, RU("Высота"));
    s.setText(2, 3, "   -9.091");
    s.setNumber(3, 1, 3.75);
    s.setNumber(3, 2, -1e-7);
    s.setFormula(4, 1, "=SUM(A3:B3)");
    s.setText(1048576, 16384, "last");
    s.setText(7, 2, std::string("a\x01\x02") + "b\tc");  // control codes other than tab dropped
    // Cells written out of order land in order.
    s.setText(2, 1, "A2");
    s.setText(1, 28, "AB1");
    book.saveAs(dir / "b.xlsx");

    Workbook back = Workbook::fromBlank(dir / "b.xlsx");
    Sheet r = back.sheet(1);
    EXPECT_EQ(r.text(1, 1), RU("Высота"));
    EXPECT_EQ(r.text(2, 3), "   -9.091");
    EXPECT_EQ(r.text(2, 1), "A2");
    EXPECT_EQ(r.text(1, 28), "AB1");
    EXPECT_DOUBLE_EQ(r.value(3, 1), 3.75);
    EXPECT_DOUBLE_EQ(r.value(3, 2), -1e-7);
    EXPECT_TRUE(r.hasFormula(4, 1));
    EXPECT_EQ(r.formula(4, 1), "SUM(A3:B3)");
    EXPECT_EQ(r.text(4, 1), "");  // no stored value: computed when opened
    EXPECT_EQ(r.text(1048576, 16384), "last");
    EXPECT_EQ(r.text(7, 2), "ab\tc");
    EXPECT_EQ(r.text(5, 5), "");
    EXPECT_EQ(r.value(5, 5), 0);

    EXPECT_EQ(cellReference(1, 1), "A1");
    EXPECT_EQ(cellReference(12, 27), "AA12");
    EXPECT_EQ(cellReference(1048576, 16384), "XFD1048576");
    for (auto [row, column] : {std::pair{0, 1}, {1048577, 1}, {1, 0}, {1, 16385}}) {
        EXPECT_THROW(r.text(row, column), ConversionError);
        EXPECT_THROW(r.setText(row, column, "x"), ConversionError);
    }
}

TEST(Workbook, AnOverwrittenCellKeepsItsStyle) {
    test::TempDir dir;
    Workbook book;
    Sheet s = book.sheet(1);
    s.setText(1, 1, "title");
    s.setBold(1, 1);
    book.saveAs(dir / "blank.xlsx");

    Workbook filled = Workbook::fromBlank(dir / "blank.xlsx");
    filled.sheet(1).setText(1, 1, "new title");
    filled.sheet(1).setNumber(1, 1, 5);
    filled.saveAs(dir / "out.xlsx");
    const auto doc = partXml(dir / "out.xlsx", "xl/worksheets/sheet1.xml");
    const pugi::xml_node c = doc.select_node("//c[@r='A1']").node();
    EXPECT_STREQ(c.attribute("s").value(), "1");
    EXPECT_STREQ(c.child_value("v"), "5");
}

// A blank as an office program saves it: formulas with their stored values and a calculation
// chain.
fs::path blankWithStoredValues(const fs::path& dir) {
    Workbook book;
    Sheet s = book.sheet(1);
    s.setNumber(1, 1, 1);
    s.setNumber(2, 1, 2);
    s.setFormula(3, 1, "SUM(A1:A2)");
    Sheet second = book.addSheet(RU("Разметка"));
    second.setFormula(1, 1, RU("CONCATENATE(\"Итого \",'Лист1'!A3)"));
    ZipPackage p = ZipPackage::fromBytes(book.bytes());
    auto withValue = [](std::string xml, const std::string& formulaEnd, const std::string& value) {
        const size_t at = xml.find(formulaEnd);
        return xml.insert(at + formulaEnd.size(), value);
    };
    p.setPart("xl/worksheets/sheet1.xml", withValue(p.part("xl/worksheets/sheet1.xml"), "</f>", "<v>3</v>"));
    std::string second2 = withValue(p.part("xl/worksheets/sheet2.xml"), "</f>", "<v>" + u8(RU("Итого 3")) + "</v>");
    second2.replace(second2.find("<c r=\"A1\""), 9, "<c r=\"A1\" t=\"str\"");
    p.setPart("xl/worksheets/sheet2.xml", second2);
    p.setPart("xl/calcChain.xml",
              "<?xml version=\"1.0\"?><calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<c r=\"A3\" i=\"1\"/></calcChain>");
    std::string types = p.part("[Content_Types].xml");
    types.insert(types.find("</Types>"),
                 "<Override PartName=\"/xl/calcChain.xml\" "
                 "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>");
    p.setPart("[Content_Types].xml", types);
    std::string rels = p.part("xl/_rels/workbook.xml.rels");
    rels.insert(rels.find("</Relationships>"),
                "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "calcChain\" Target=\"calcChain.xml\"/>");
    p.setPart("xl/_rels/workbook.xml.rels", rels);
    std::string wb = p.part("xl/workbook.xml");
    wb.erase(wb.find("<calcPr"), wb.find("</workbook>") - wb.find("<calcPr"));
    p.setPart("xl/workbook.xml", wb);
    p.save(dir / "stored.xlsx");
    return dir / "stored.xlsx";
}

TEST(Workbook, SavingLeavesEveryFormulaToTheOfficeProgram) {
    test::TempDir dir;
    const fs::path blank = blankWithStoredValues(dir.path());
    Workbook book = Workbook::fromBlank(blank);
    ASSERT_EQ(book.sheetCount(), 2);
    EXPECT_EQ(book.sheet(2).name(), RU("Разметка"));
    // A formula reads as the value stored with it.
    EXPECT_EQ(book.sheet(1).text(3, 1), "3");
    EXPECT_DOUBLE_EQ(book.sheet(1).value(3, 1), 3);
    EXPECT_EQ(book.sheet(2).text(1, 1), RU("Итого 3"));

    book.sheet(1).setNumber(1, 1, 10.5);
    book.sheet(1).setNumber(2, 1, 20.25);
    book.saveAs(dir / "out.xlsx");

    const ZipPackage saved = ZipPackage::read(dir / "out.xlsx");
    EXPECT_FALSE(saved.has("xl/calcChain.xml"));
    EXPECT_EQ(saved.part("[Content_Types].xml").find("calcChain"), std::string::npos);
    EXPECT_EQ(saved.part("xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
    const auto wb = partXml(dir / "out.xlsx", "xl/workbook.xml");
    EXPECT_STREQ(wb.child("workbook").child("calcPr").attribute("fullCalcOnLoad").value(), "1");
    const auto sheet2 = partXml(dir / "out.xlsx", "xl/worksheets/sheet2.xml");
    const pugi::xml_node c = sheet2.select_node("//c[@r='A1']").node();
    EXPECT_TRUE(c.child("f"));
    EXPECT_FALSE(c.child("v"));
    EXPECT_FALSE(c.attribute("t"));

    // The office program computes both formulas from the new cells.
    const auto csv = test::convertWithOfficeSuite({dir / "out.xlsx"}, test::kCsvEverySheet, dir / "csv");
    ASSERT_EQ(csv.size(), 2u);
    const auto first = test::readCsv(test::csvOfSheet(csv, u8(RU("Лист1"))));
    const auto layout = test::readCsv(test::csvOfSheet(csv, u8(RU("Разметка"))));
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[2][0], "30.75");
    ASSERT_GE(layout.size(), 1u);
    EXPECT_EQ(layout[0][0], u8(RU("Итого 30.75")));
}

TEST(Workbook, AFileThatIsNoWorkbookGetsItsMessage) {
    test::TempDir dir;
    dir.write("text.xlsx", "just text, no workbook");
    std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole += std::string(504, '\0');
    dir.write("old.xlsx", ole);
    dir.write("old.docx", ole);
    dir.write("text.docx", "no document");
    // Just over the unpacked limit, and a zip without a workbook.
    ZipPackage big;
    big.setPart("xl/big.bin", std::string(ZipPackage::kMaxUnpackedBytes + 1, '\0'));
    big.save(dir / "big.xlsx");
    ZipPackage many;
    for (size_t i = 0; i <= ZipPackage::kMaxParts; ++i) many.setPart("p" + std::to_string(i), "x");
    many.save(dir / "many.xlsx");
    ZipPackage empty;
    empty.setPart("readme.txt", "hello");
    empty.save(dir / "empty.xlsx");

    auto bookMessage = [&](const char* name) {
        try {
            Workbook::fromBlank(dir / name);
        } catch (const BlankError& e) {
            return e.message();
        }
        return std::string("no error");
    };
    auto documentMessage = [&](const char* name) {
        try {
            WordDocument::fromBlank(dir / name);
        } catch (const BlankError& e) {
            return e.message();
        }
        return std::string("no error");
    };
    for (const char* name : {"text.xlsx", "empty.xlsx"})
        EXPECT_EQ(bookMessage(name), RU("Бланк ") + name + RU(" поврежден или не является книгой .xlsx")) << name;
    // A package beyond the limits says which.
    EXPECT_EQ(bookMessage("many.xlsx"), RU("Бланк many.xlsx: в нем больше 2000 частей"));
    EXPECT_EQ(bookMessage("big.xlsx"), RU("Бланк big.xlsx: в распакованном виде он больше 64 МБ"));
    EXPECT_EQ(documentMessage("many.xlsx"), RU("Бланк many.xlsx: в нем больше 2000 частей"));
    EXPECT_EQ(bookMessage("old.xlsx"),
              RU("Бланк old.xlsx в старом двоичном формате. Откройте его в офисной программе и сохраните как .xlsx"));
    EXPECT_EQ(documentMessage("old.docx"),
              RU("Бланк old.docx в старом двоичном формате. Откройте его в офисной программе и сохраните как .docx"));
    EXPECT_EQ(documentMessage("text.docx"), RU("Бланк text.docx поврежден или не является документом .docx"));
    EXPECT_EQ(documentMessage("empty.xlsx"), RU("Бланк empty.xlsx поврежден или не является документом .docx"));
    EXPECT_THROW(Workbook::fromBlank(dir / "missing.xlsx"), IoError);
}

// A book of three sheets, its package changed by `change`.
std::string threeSheetBook(const std::function<void(ZipPackage&)>& change) {
    Workbook book;
    book.sheet(1).setText(1, 1, "page");
    book.addSheet("layout").setText(1, 1, "4");
    book.addSheet("third").setText(1, 1, "x");
    ZipPackage p = ZipPackage::fromBytes(book.bytes());
    change(p);
    return p.bytes();
}

TEST(Workbook, ABlankWhoseSheetsCannotAllBeUsedIsRefusedWhenOpened) {
    test::TempDir dir;
    const auto replaceIn = [](ZipPackage& p, const std::string& part, const std::string& from, const std::string& to) {
        std::string xml = p.part(part);
        xml.replace(xml.find(from), from.size(), to);
        p.setPart(part, xml);
    };
    const std::pair<const char*, std::function<void(ZipPackage&)>> cases[] = {
        {"no XML", [](ZipPackage& p) { p.setPart("xl/worksheets/sheet3.xml", "<worksheet"); }},
        {"no worksheet", [](ZipPackage& p) { p.setPart("xl/worksheets/sheet2.xml", "<sst/>"); }},
        {"no part", [](ZipPackage& p) { p.removePart("xl/worksheets/sheet2.xml"); }},
        // Two sheets that lead to one part would each be saved over the other.
        {"one relationship",
         [&](ZipPackage& p) {
             const std::string wb = p.part("xl/workbook.xml");
             const size_t second = wb.find("r:id=", wb.find("r:id=") + 1);
             replaceIn(p, "xl/workbook.xml", wb.substr(second, 11), wb.substr(wb.find("r:id="), 11));
         }},
        {"one target",
         [&](ZipPackage& p) { replaceIn(p, "xl/_rels/workbook.xml.rels", "worksheets/sheet3.xml", "./worksheets/sheet1.xml"); }},
    };
    for (const auto& [what, change] : cases) {
        dir.write("b.xlsx", threeSheetBook(change));
        try {
            Workbook::fromBlank(dir / "b.xlsx");
            ADD_FAILURE() << what << ": opened";
        } catch (const BlankError& e) {
            EXPECT_EQ(e.message(), RU("Бланк b.xlsx поврежден или не является книгой .xlsx")) << what;
        }
    }
    // Unchanged, every sheet keeps what was written into it.
    dir.write("b.xlsx", threeSheetBook([](ZipPackage&) {}));
    Workbook book = Workbook::fromBlank(dir / "b.xlsx");
    for (int i = 1; i <= 3; ++i) book.sheet(i).setText(2, 2, "sheet " + intText(i));
    book.saveAs(dir / "out.xlsx");
    Workbook back = Workbook::fromBlank(dir / "out.xlsx");
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(back.sheet(i).text(2, 2), "sheet " + intText(i));
}

// Entries named to lead out of the folder the package is unpacked into are no parts: they
// are neither read nor written again.
TEST(ZipPackage, EntriesOutsideThePackageAreLeftOut) {
    test::TempDir dir;
    ZipPackage p = ZipPackage::fromBytes(Workbook().bytes());
    const std::vector<std::string> outside = {"../x.xml", "xl/../../x.xml", "/x.xml", "\\x.xml", "C:/x.xml",
                                              "xl\\..\\..\\x.xml", "./x.xml", "xl/./x.xml"};
    for (const std::string& name : outside) p.setPart(name, "<x/>");
    p.setPart("xl/..x/ok..xml", "<x/>");
    p.save(dir / "b.xlsx");

    const ZipPackage read = ZipPackage::read(dir / "b.xlsx");
    for (const std::string& name : outside) EXPECT_FALSE(read.has(name)) << name;
    EXPECT_TRUE(read.has("xl/..x/ok..xml"));
    Workbook book = Workbook::fromBlank(dir / "b.xlsx");
    book.saveAs(dir / "out.xlsx");
    const std::vector<std::string> names = ZipPackage::read(dir / "out.xlsx").names();
    for (const std::string& name : outside) EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
}

TEST(WordDocument, APageOfAnySizeGivesAPictureWidth) {
    test::TempDir dir;
    QImage wide(1200, 100, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    saveGif(wide, dir / "wide.gif");
    const ZipPackage blank = ZipPackage::read(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / "pr.docx");
    const std::string xml = blank.part("word/document.xml");
    // Sizes out of every range take the defaults: A4 with 2 cm margins.
    const struct {
        const char *width, *left, *right;
        long long textWidth;
    } cases[] = {
        {"9223372036854775807", "-9223372036854775808", "-9223372036854775808", (11906 - 2 * 1134) * 635LL},
        {"-5", "99999999999999999999", "1134", (11906 - 2 * 1134) * 635LL},
        {"16838", "1000", "1000", (16838 - 2000) * 635LL},
        {"1000", "1000", "1000", 1440 * 635LL},  // at least an inch
    };
    for (const auto& c : cases) {
        std::string changed = xml;
        // The blank's own page width and margins, whatever they are, give way to the case's.
        for (const auto& [attr, value] : {std::pair{"w:w=\"", c.width}, {"w:left=\"", c.left}, {"w:right=\"", c.right}}) {
            const size_t at = changed.find(attr, changed.find("<w:sectPr"));
            ASSERT_NE(at, std::string::npos) << attr;
            const size_t from = at + std::string(attr).size();
            changed.replace(from, changed.find('"', from) - from, value);
        }
        ZipPackage p = blank;
        p.setPart("word/document.xml", changed);
        p.save(dir / "pr.docx");
        WordDocument doc = WordDocument::fromBlank(dir / "pr.docx");
        doc.insertPicture(dir / "wide.gif");
        doc.saveAs(dir / "out.docx");
        EXPECT_EQ(partXml(dir / "out.docx", "word/document.xml").select_node("//wp:extent").node().attribute("cx").as_llong(),
                  c.textWidth)
            << c.width << " " << c.left;
    }
}

TEST(WordDocument, InsertedTextAndPictureComeBeforeTheBlanksOwnLine) {
    test::TempDir dir;
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(50, 50, 300, 100, QColor(255, 0, 0));
    saveGif(picture, dir / "fig.gif");
    // Wider than the text width: scaled down.
    QImage wide(1200, 100, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    saveGif(wide, dir / "wide.gif");

    WordDocument doc = WordDocument::fromBlank(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / "pr.docx");
    doc.insert(RU("Протокол хроматографического анализа №") + "\r\r");
    doc.insert(RU("Хроматограмма h1a.hrm") + "\r");
    doc.insert(std::string("t\th\t\tb") + "\x01" + "\r");
    doc.insertPicture(dir / "fig.gif");
    doc.insert("\r");
    doc.insertPicture(dir / "wide.gif");
    doc.insert("\r\r" + RU("конец"));  // runs on into the blank's own paragraph
    doc.saveAs(dir / "prot.docx");

    const std::vector<std::string> expected = {
        u8(RU("Протокол хроматографического анализа №")), "", u8(RU("Хроматограмма h1a.hrm")), "t\th\t\tb",
        "[picture]", "[picture]", "", u8(RU("конецАнализ выполнил: ______________"))};
    EXPECT_EQ(test::docxParagraphs(dir / "prot.docx"), expected);

    const auto xml = partXml(dir / "prot.docx", "word/document.xml");
    std::vector<long long> widths;
    for (auto x : xml.select_nodes("//wp:extent")) widths.push_back(x.node().attribute("cx").as_llong());
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_EQ(widths[0], 400 * 9525);
    EXPECT_EQ(widths[1], (11906 - 1134 - 851) * 635LL);  // the text width of the blank

    // The office program lays it out: the texts in order before the blank's line, the picture
    // in red on the page.
    const auto pdf = test::convertWithOfficeSuite({dir / "prot.docx"}, "pdf", dir / "pdf");
    ASSERT_EQ(pdf.size(), 1u);
    const std::string text = test::commandOutput("pdftotext -layout " + test::shellQuoted(pdf[0]) + " -");
    const size_t title = text.find(u8(RU("Протокол хроматографического анализа №")));
    const size_t name = text.find(u8(RU("Хроматограмма h1a.hrm")));
    const size_t own = text.find(u8(RU("Анализ выполнил")));
    ASSERT_NE(title, std::string::npos);
    ASSERT_NE(name, std::string::npos);
    ASSERT_NE(own, std::string::npos);
    EXPECT_LT(title, name);
    EXPECT_LT(name, own);
    test::commandOutput("pdftoppm -r 48 -png -f 1 -l 1 " + test::shellQuoted(pdf[0]) + " " +
                        test::shellQuoted(dir / "page"));
    QImage page;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.path().filename().string().starts_with("page")) page.load(QString::fromStdString(e.path().string()));
    ASSERT_FALSE(page.isNull());
    int red = 0, blue = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
        }
    // 300 x 100 pixels at 96 per inch rendered at 48: about 150 x 50.
    EXPECT_GT(red, 5000);
    EXPECT_GT(blue, 1000);
}

}  // namespace
}  // namespace vk7
