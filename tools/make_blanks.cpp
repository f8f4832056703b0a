// Writes the office blanks that the processing program fills: the protocols of the two
// repeatability checks (povx.xlsx, povy.xlsx), the analysis protocol workbook with its
// layout sheet (prot.xlsx) and the analysis protocol document (pr.docx).
//
//   make_blanks <folder>     (normally install/doc)
#include <filesystem>
#include <iostream>
#include <string>

#include "common/cp1251.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"

namespace fs = std::filesystem;
using namespace vk7;

namespace {

const std::string kVerifier = RU("Поверитель ______________");

void verificationBlank(const fs::path& file, const std::string& sheetName, const std::string& title,
                       const std::string& namesCaption, const std::string& subject, int columns) {
    Workbook book;
    book.setSheetName(1, sheetName);
    Sheet s = book.sheet(1);
    s.setText(1, 1, title);
    s.setBold(1, 1);
    s.setText(2, 1, RU("Дата:"));
    s.setText(3, 1, namesCaption);
    s.setText(4, 1, subject);
    s.setColumnWidth(1, columns, 11);
    s.setPageA4Portrait();
    s.setFooter(kVerifier);
    book.saveAs(file);
}

void protocolWorkbook(const fs::path& file) {
    Workbook book;
    book.setSheetName(1, RU("Протокол"));
    Sheet p = book.sheet(1);
    p.setText(1, 1, RU("Протокол хроматографического анализа №"));
    p.setBold(1, 1);
    p.setText(2, 1, RU("Дата анализа:"));
    p.setText(3, 1, RU("Сумма концентраций:"));
    p.setColumnWidth(1, 1, 16);
    p.setPageA4Portrait();

    Sheet layout = book.addSheet(RU("Разметка"));
    layout.setNumber(1, 1, 4);                                  // first row of the blocks
    for (int c = 2; c <= 8; ++c) layout.setText(1, c, "1");     // every part of the protocol
    layout.setNumber(1, 10, 1);                                 // the number at F1
    layout.setNumber(1, 11, 6);
    layout.setNumber(1, 12, 2);                                 // the date at C2
    layout.setNumber(1, 13, 3);
    layout.setText(1, 14, RU("Оператор: "));
    layout.setFormula(3, 4, "SUM(A3:A257)");                    // the sum of the concentrations at D3
    layout.setNumber(3, 5, 3);
    layout.setNumber(3, 6, 4);
    book.saveAs(file);
}

// Tab stops, in characters of the 9-point monospaced font (108 twips each), at which the peak
// table's caption line (two tabs after "h, мВ" and "S, мВ.с") and its rows of fixed-width
// cells (8, 9, 5, 9, 8, 9, 6 characters, each followed by a tab) start their columns together.
std::string tabStops() {
    std::string out;
    for (int column : {9, 16, 19, 25, 33, 35, 44, 54, 61})
        out += "<w:tab w:val=\"left\" w:pos=\"" + std::to_string(column * 108) + "\"/>";
    return out;
}

void protocolDocument(const fs::path& file) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    ZipPackage p;
    p.setPart("[Content_Types].xml",
              head + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                     "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                     "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                     "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
                     "<Override PartName=\"/word/settings.xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/></Types>");
    p.setPart("_rels/.rels",
              head + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    p.setPart("word/_rels/document.xml.rels",
              head + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/styles\" Target=\"styles.xml\"/>"
                     "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/settings\" Target=\"settings.xml\"/></Relationships>");
    // A monospaced 9-point default paragraph without spacing, so that the table's columns line up.
    p.setPart("word/styles.xml",
              head + "<w:styles " + w +
                  "><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\" "
                  "w:cs=\"Courier New\" w:eastAsia=\"Courier New\"/><w:sz w:val=\"18\"/><w:szCs w:val=\"18\"/>"
                  "<w:lang w:val=\"ru-RU\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:before=\"0\" "
                  "w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
                  "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
                  "<w:qFormat/><w:pPr><w:tabs>" + tabStops() + "</w:tabs></w:pPr></w:style></w:styles>");
    p.setPart("word/settings.xml", head + "<w:settings " + w + "><w:defaultTabStop w:val=\"720\"/></w:settings>");
    p.setPart("word/document.xml",
              head + "<w:document " + w +
                  " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>"
                  "<w:p><w:r><w:t xml:space=\"preserve\">" +
                  toUtf8(RU("Анализ выполнил: ______________")) +
                  "</w:t></w:r></w:p>"
                  "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1134\" w:right=\"1134\" "
                  "w:bottom=\"1134\" w:left=\"1134\" w:header=\"709\" w:footer=\"709\" w:gutter=\"0\"/></w:sectPr>"
                  "</w:body></w:document>");
    p.save(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_blanks <folder>\n";
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    verificationBlank(dir / "povx.xlsx", RU("Поверка Х"), RU("Протокол поверки хроматографа по методу Х"),
                      RU("Хроматограмма:"), RU("Повторяемость высот и площадей пиков одной хроматограммы"), 6);
    verificationBlank(dir / "povy.xlsx", RU("Поверка Y"), RU("Протокол поверки хроматографа по методу Y"),
                      RU("Хроматограммы:"), RU("Повторяемость времен, высот и площадей по нескольким хроматограммам"), 7);
    protocolWorkbook(dir / "prot.xlsx");
    protocolDocument(dir / "pr.docx");
    return 0;
}
