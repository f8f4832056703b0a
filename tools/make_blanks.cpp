// Writes the office blanks that the processing program fills: the protocols of the two
// repeatability checks (povx.xlsx, povy.xlsx), the analysis protocol workbook with its
// layout sheet (prot.xlsx) and the analysis protocol document (pr.docx).
//
//   make_blanks <folder>     (normally install/doc)
//
// The blanks are made to print as a lab's protocol: an A4 portrait page, columns wide enough
// for the texts the program writes into them, thin borders around the result tables, a
// signature line and page numbers in the footer. The program writes its cells without any
// look of their own, so the look comes from the blank:
// - a cell the program fills at a fixed address (the protocol number, the date, the sum) is
//   already in the blank with its style, which the program keeps;
// - the result tables move with the length of what comes before them, so their borders are
//   conditional formats over the columns of the table: a row whose column B holds text is a
//   table row (column B stays empty in every other line the program writes), and the first
//   such row of a block is its caption row, set in bold;
// - a table wider than the page (a long substance name, many chromatograms side by side) is
//   scaled down to the page width instead of being split over pages.
// The layout sheet of prot.xlsx is hidden: it steers the program and is no part of the printout.
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"

namespace fs = std::filesystem;
using namespace vk7;

namespace {

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// A Windows-1251 text as XML character data (UTF-8, markup characters escaped).
std::string xml(const std::string& cp1251) {
    std::string out;
    for (char c : toUtf8(cp1251)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// --- Workbooks -------------------------------------------------------------------------------

// Cell styles of every workbook blank (indexes into the cellXfs that styles() writes).
enum Style {
    Plain = 0,    // Arial 10: everything the program writes into a new cell
    Title = 1,    // Arial 11 bold
    TitleRight,   // Arial 11 bold, flush right (the title in front of the protocol number)
    TitleNumber,  // Arial 11 bold, flush left with a small indent (the number after "№")
    Left,         // Arial 10, flush left (a date or a number that follows its label)
};
// Differential styles for the conditional formats.
enum Dxf { TableRow = 0, TableCaption = 1, Heading = 2 };

// `right`: numbers and the texts the program pads with blanks line up on the right (the
// verification tables); otherwise new cells are flush left as the office program would
// show a text (the analysis protocol, whose passport captions run on to the right).
std::string styles(bool right) {
    const std::string plainAlign = right ? "<alignment horizontal=\"right\"/>" : "";
    const std::string border = "<border><left style=\"thin\"><color auto=\"1\"/></left><right style=\"thin\"><color "
                               "auto=\"1\"/></right><top style=\"thin\"><color auto=\"1\"/></top><bottom "
                               "style=\"thin\"><color auto=\"1\"/></bottom><diagonal/></border>";
    return kHead +
           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<fonts count=\"2\">"
           "<font><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/><charset val=\"204\"/></font>"
           "<font><b/><sz val=\"11\"/><name val=\"Arial\"/><family val=\"2\"/><charset val=\"204\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"" +
           (right ? " applyAlignment=\"1\">" + plainAlign + "</xf>" : "/>") + "</cellStyleXfs>"
           "<cellXfs count=\"5\">"
           "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"" +
           (right ? " applyAlignment=\"1\">" + plainAlign + "</xf>" : "/>") +
           "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" applyAlignment=\"1\">"
           "<alignment horizontal=\"left\"/></xf>"
           "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" applyAlignment=\"1\">"
           "<alignment horizontal=\"right\"/></xf>"
           "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" applyAlignment=\"1\">"
           "<alignment horizontal=\"left\" indent=\"1\"/></xf>"
           "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyAlignment=\"1\">"
           "<alignment horizontal=\"left\"/></xf></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "<dxfs count=\"3\"><dxf>" +
           border + "</dxf><dxf><font><b/></font>" + border + "</dxf><dxf><font><b/></font></dxf></dxfs></styleSheet>";
}

struct Cell {
    std::string text;  // Windows-1251; a formula when `formula`
    bool number = false;
    bool formula = false;
    int style = Plain;
};

// One worksheet of a blank and how it prints.
struct SheetBlank {
    std::string name;
    bool hidden = false;
    std::map<int, std::map<int, Cell>> cells;  // row, column
    std::vector<std::pair<int, double>> widths;  // column, width in characters
    std::vector<std::string> merges;               // "A1:E1"
    int tableFirstRow = 0, tableLastColumn = 0;    // the conditional table formats, when set
    std::string headingText;                        // a line set in bold wherever it is written
    int repeatRow = 0;                              // printed again on top of every further page
    std::string footer;                             // header/footer codes, Windows-1251

    void text(int row, int column, const std::string& cp1251, int style = Plain) {
        cells[row][column] = {cp1251, false, false, style};
    }
    void number(int row, int column, double v) { cells[row][column] = {roundTripText(v), true, false, Plain}; }
    void formula(int row, int column, const std::string& f) { cells[row][column] = {f, false, true, Plain}; }
    // An empty cell that keeps its style for what the program writes there.
    void styled(int row, int column, int style) { cells[row][column] = {"", false, false, style}; }

    std::string xmlPart() const;
};

std::string SheetBlank::xmlPart() const {
    std::string out = kHead +
                      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (!hidden) out += "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>";
    if (!widths.empty()) {
        out += "<cols>";
        for (const auto& [column, width] : widths)
            out += "<col min=\"" + intText(column) + "\" max=\"" + intText(column) + "\" width=\"" + roundTripText(width) +
                   "\" customWidth=\"1\"/>";
        out += "</cols>";
    }
    out += "<sheetData>";
    for (const auto& [row, columns] : cells) {
        out += "<row r=\"" + intText(row) + "\">";
        for (const auto& [column, c] : columns) {
            out += "<c r=\"" + cellReference(row, column) + "\"";
            if (c.style != Plain) out += " s=\"" + intText(c.style) + "\"";
            if (c.formula)
                out += "><f>" + xml(c.text) + "</f></c>";
            else if (c.number)
                out += "><v>" + c.text + "</v></c>";
            else if (!c.text.empty())
                out += " t=\"inlineStr\"><is><t xml:space=\"preserve\">" + xml(c.text) + "</t></is></c>";
            else
                out += "/>";
        }
        out += "</row>";
    }
    out += "</sheetData>";
    if (!merges.empty()) {
        out += "<mergeCells count=\"" + intText(static_cast<int>(merges.size())) + "\">";
        for (const std::string& m : merges) out += "<mergeCell ref=\"" + m + "\"/>";
        out += "</mergeCells>";
    }
    if (tableFirstRow > 0) {
        // Rules in priority order; an office program that applies only the first true rule of a
        // range still draws the caption row's borders. A table row is bordered up to its last
        // filled cell, so that a shorter block (the statistics under the peaks) gets no empty
        // bordered cells on its right.
        const std::string first = intText(tableFirstRow);
        std::string last = cellReference(1, tableLastColumn);
        last.pop_back();  // the column's letters
        const std::string tableRow = "$B" + first + "<>\"\",COUNTA(A" + first + ":$" + last + first + ")>0";
        const std::pair<Dxf, std::string> rules[] = {
            {TableCaption, "AND(" + tableRow + ",$B" + intText(tableFirstRow - 1) + "=\"\")"},
            {TableRow, "AND(" + tableRow + ")"},
            {Heading, headingText.empty() ? std::string() : "$A" + first + "=\"" + headingText + "\""},
        };
        out += "<conditionalFormatting sqref=\"A" + first + ":" + last + "1000\">";
        int priority = 0;
        for (const auto& [dxf, formula] : rules)
            if (!formula.empty())
                out += "<cfRule type=\"expression\" dxfId=\"" + intText(dxf) + "\" priority=\"" + intText(++priority) +
                       "\"><formula>" + xml(formula) + "</formula></cfRule>";
        out += "</conditionalFormatting>";
    }
    if (!hidden) {
        // Margins in inches: 2 cm on the left for the binding, 1 cm on the right.
        out += "<pageMargins left=\"0.79\" right=\"0.39\" top=\"0.59\" bottom=\"0.79\" header=\"0.3\" footer=\"0.3\"/>"
               "<pageSetup paperSize=\"9\" orientation=\"portrait\" fitToWidth=\"1\" fitToHeight=\"0\"/>";
        if (!footer.empty()) out += "<headerFooter><oddFooter>" + xml(footer) + "</oddFooter></headerFooter>";
    } else {
        out += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
    }
    return out + "</worksheet>";
}

void saveWorkbook(const fs::path& file, const std::vector<SheetBlank>& sheets, bool rightAligned) {
    const std::string worksheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
    std::string types = kHead +
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                        "<Override PartName=\"/xl/workbook.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                        "<Override PartName=\"/xl/styles.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    std::string rels = kHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::string list, names;
    ZipPackage p;
    for (size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = intText(static_cast<int>(i) + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n + ".xml\" ContentType=\"" + worksheetType + "\"/>";
        rels += "<Relationship Id=\"rId" + n +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                "Target=\"worksheets/sheet" + n + ".xml\"/>";
        list += "<sheet name=\"" + xml(sheets[i].name) + "\" sheetId=\"" + n + "\"" +
                (sheets[i].hidden ? " state=\"hidden\"" : "") + " r:id=\"rId" + n + "\"/>";
        p.setPart("xl/worksheets/sheet" + n + ".xml", sheets[i].xmlPart());
        if (const int row = sheets[i].repeatRow; row > 0)
            names += "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"" + intText(static_cast<int>(i)) + "\">" +
                     xml("'" + sheets[i].name + "'!$" + intText(row) + ":$" + intText(row)) + "</definedName>";
    }
    const std::string stylesId = "rId" + intText(static_cast<int>(sheets.size()) + 1);
    rels += "<Relationship Id=\"" + stylesId +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
            "Target=\"styles.xml\"/></Relationships>";
    p.setPart("[Content_Types].xml", types + "</Types>");
    p.setPart("_rels/.rels",
              kHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    p.setPart("xl/workbook.xml",
              kHead + "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                      "<bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>" +
                  list + "</sheets>" + (names.empty() ? "" : "<definedNames>" + names + "</definedNames>") +
                  "</workbook>");
    p.setPart("xl/_rels/workbook.xml.rels", rels);
    p.setPart("xl/styles.xml", styles(rightAligned));
    p.save(file);
}

const std::string kVerifier = RU("Поверитель ______________");
const std::string kPageOfPages = RU("&RСтраница &P из &N");

// The protocol of a check: the program writes the date into B2, the chromatogram names into
// row 3 from C3 on, and its two tables from the first empty row of column A (row 5) on.
// `widths`: the table's columns from A; the columns after them take chromatogram names only.
void verificationBlank(const fs::path& file, const std::string& sheetName, const std::string& title,
                       const std::string& namesCaption, const std::string& subject, const std::vector<double>& widths) {
    SheetBlank s;
    s.name = sheetName;
    s.text(1, 1, title, Title);
    s.text(2, 1, RU("Дата:"), Left);
    s.styled(2, 2, Left);
    s.text(3, 1, namesCaption, Left);
    s.text(4, 1, subject, Left);
    const int columns = static_cast<int>(widths.size());
    for (int c = 1; c <= columns; ++c) s.widths.push_back({c, widths[static_cast<size_t>(c - 1)]});
    for (int c = columns + 1; c <= columns + 16; ++c) s.widths.push_back({c, 7});
    s.tableFirstRow = 5;
    s.repeatRow = 5;  // the caption row of the peaks
    s.tableLastColumn = columns;
    s.footer = "&L" + kVerifier + kPageOfPages;
    saveWorkbook(file, {s}, true);
}

// The analysis protocol. The layout sheet puts the number after "№" at F1, the date at C2,
// the sum of the concentrations at D3, and the flowing blocks from row 4 on: the chromatogram
// and comment lines, the passport (captions in A running on over B and C, values in D), the
// peak table in A to J and the operator line.
void protocolWorkbook(const fs::path& file) {
    SheetBlank p;
    p.name = RU("Протокол");
    p.text(1, 1, RU("Протокол хроматографического анализа №"), TitleRight);
    p.merges.push_back("A1:E1");
    p.styled(1, 6, TitleNumber);
    p.text(2, 1, RU("Дата анализа:"));
    p.styled(2, 3, Left);
    p.text(3, 1, RU("Сумма концентраций:"));
    p.styled(3, 4, Left);
    // N, t, h, b, K асс, S, S %, C, d %, substance: room for the peak table's longest numbers
    // (exponent forms such as "1.2346E+5" in h, S and C) and a substance name of about 20
    // letters; A to C hold the longest passport caption, A to E the title.
    const double widths[] = {5, 10, 13, 8, 8, 11, 6, 11, 6, 20};
    for (int c = 1; c <= 10; ++c) p.widths.push_back({c, widths[c - 1]});
    p.tableFirstRow = 4;
    p.tableLastColumn = 10;
    p.headingText = RU("Результаты анализа");
    p.repeatRow = 24;  // the peak table's caption row with every part of the protocol written
    p.footer = RU("&LПодпись ______________") + kPageOfPages;

    SheetBlank layout;
    layout.name = RU("Разметка");
    layout.hidden = true;
    layout.number(1, 1, 4);                                  // first row of the blocks
    for (int c = 2; c <= 8; ++c) layout.text(1, c, "1");     // every part of the protocol
    layout.number(1, 10, 1);                                 // the number at F1
    layout.number(1, 11, 6);
    layout.number(1, 12, 2);                                 // the date at C2
    layout.number(1, 13, 3);
    layout.text(1, 14, RU("Оператор: "));
    layout.formula(3, 4, "SUM(A3:A257)");                    // the sum of the concentrations at D3
    layout.number(3, 5, 3);
    layout.number(3, 6, 4);
    saveWorkbook(file, {p, layout}, false);
}

// --- The document ----------------------------------------------------------------------------

// Tab stops, in characters of the 9-point monospaced font (108 twips each), at which the peak
// table's caption line (two tabs after "h, мВ" and "S, мВ.с") and its rows of fixed-width
// cells (8, 9, 5, 9, 8, 9, 6 characters, each followed by a tab) start their columns together.
std::string tabStops() {
    std::string out;
    for (int column : {9, 16, 19, 25, 33, 35, 44, 54, 61})
        out += "<w:tab w:val=\"left\" w:pos=\"" + std::to_string(column * 108) + "\"/>";
    return out;
}

// An A4 page with 2 cm on the left for the binding, 1.5 cm on the right and 1 cm above and
// below: room for the title, the passport, a plot picture of the usual proportions (the
// document scales it to the text width) and a table of 20 peaks. The 17.5 cm line holds the
// table's fixed columns and a substance name of 30 characters.
void protocolDocument(const fs::path& file) {
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    ZipPackage p;
    p.setPart("[Content_Types].xml",
              kHead + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                      "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
                      "<Override PartName=\"/word/settings.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/></Types>");
    p.setPart("_rels/.rels",
              kHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    p.setPart("word/_rels/document.xml.rels",
              kHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/styles\" Target=\"styles.xml\"/>"
                      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/settings\" Target=\"settings.xml\"/></Relationships>");
    // A monospaced 9-point default paragraph without spacing, so that the table's columns line up.
    p.setPart("word/styles.xml",
              kHead + "<w:styles " + w +
                  "><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\" "
                  "w:cs=\"Courier New\" w:eastAsia=\"Courier New\"/><w:sz w:val=\"18\"/><w:szCs w:val=\"18\"/>"
                  "<w:lang w:val=\"ru-RU\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:before=\"0\" "
                  "w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
                  "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
                  "<w:qFormat/><w:pPr><w:tabs>" + tabStops() + "</w:tabs></w:pPr></w:style></w:styles>");
    p.setPart("word/settings.xml", kHead + "<w:settings " + w + "><w:defaultTabStop w:val=\"720\"/></w:settings>");
    p.setPart("word/document.xml",
              kHead + "<w:document " + w +
                  " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>"
                  "<w:p><w:r><w:t xml:space=\"preserve\">" +
                  xml(RU("Анализ выполнил: ______________")) +
                  "</w:t></w:r></w:p>"
                  "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"567\" w:right=\"851\" "
                  "w:bottom=\"567\" w:left=\"1134\" w:header=\"284\" w:footer=\"284\" w:gutter=\"0\"/></w:sectPr>"
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
    // N пика, b or t, h, S, dh, dS (, dt): numbers padded to 10 characters, areas to 12.
    verificationBlank(dir / "povx.xlsx", RU("Поверка Х"), RU("Протокол поверки хроматографа по методу Х"),
                      RU("Хроматограмма:"), RU("Повторяемость высот и площадей пиков одной хроматограммы"),
                      {9, 9, 11, 12, 11, 11});
    verificationBlank(dir / "povy.xlsx", RU("Поверка Y"), RU("Протокол поверки хроматографа по методу Y"),
                      RU("Хроматограммы:"), RU("Повторяемость времен, высот и площадей по нескольким хроматограммам"),
                      {9, 9, 11, 12, 11, 11, 11});
    protocolWorkbook(dir / "prot.xlsx");
    protocolDocument(dir / "pr.docx");
    return 0;
}
