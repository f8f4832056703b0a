#include "platform/office/workbook.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/number_text.h"
#include "platform/office/office_xml.h"

namespace vk7 {

namespace {

using office::serialize;

const char* const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kWorksheetType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
const char* const kWorksheetContent = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

// The order of a worksheet's children and of a workbook's, as the schema wants them.
const std::vector<std::string> kWorksheetOrder = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr", "sheetProtection",
    "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions", "pageMargins",
    "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors",
    "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "picture", "oleObjects", "controls",
    "webPublishItems", "tableParts", "extLst"};
const std::vector<std::string> kWorkbookOrder = {
    "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets", "functionGroups",
    "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews", "pivotCaches", "smartTagPr",
    "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"};

BlankError brokenBook(const std::filesystem::path& file) {
    return BlankError(blankMessage(file, OfficeKind::Workbook, false));
}

void checkAddress(int row, int column) {
    if (row < 1 || row > kMaxSheetRow) throw ConversionError(intText(row), "row");
    if (column < 1 || column > kMaxSheetColumn) throw ConversionError(intText(column), "column");
}

// "AB12" -> (12, 28); (0, 0) when it is no reference.
std::pair<int, int> parseReference(const char* ref) {
    int column = 0, row = 0;
    const char* p = ref;
    while ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) {
        column = column * 26 + ((*p | 0x20) - 'a' + 1);
        if (column > kMaxSheetColumn) return {0, 0};
        ++p;
    }
    while (*p >= '0' && *p <= '9') {
        row = row * 10 + (*p - '0');
        if (row > kMaxSheetRow) return {0, 0};
        ++p;
    }
    if (*p != '\0') return {0, 0};
    return {row, column};
}

std::string nodeText(pugi::xml_node n) { return n.text().get(); }

// The text of a string item of the shared strings or an inline string: its plain text or
// the texts of its runs (phonetic runs left out).
std::string stringItemText(pugi::xml_node item) {
    if (pugi::xml_node t = item.child("t")) return nodeText(t);
    std::string out;
    for (pugi::xml_node r : item.children("r")) out += nodeText(r.child("t"));
    return out;
}

const char* const kEmptyStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Arial\"/><family val=\"2\"/><charset val=\"204\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

const char* const kEmptySheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheetData/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
    "</worksheet>";

}  // namespace

std::string cellReference(int row, int column) {
    checkAddress(row, column);
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + intText(row);
}

// --- The sheet ------------------------------------------------------------------------------

struct Sheet::Impl {
    Workbook::Impl* book = nullptr;
    std::string part;
    pugi::xml_node entry;  // <sheet> of workbook.xml
    pugi::xml_document doc;
    bool loaded = false;
    std::map<int, pugi::xml_node> rows;  // <row> by number

    void load(const BlankError& broken);
    pugi::xml_node sheetData() { return doc.child("worksheet").child("sheetData"); }
    pugi::xml_node findCell(int row, int column) const;
    pugi::xml_node cell(int row, int column);  // created when missing
    const std::vector<std::string>& sharedStrings() const;
};

struct Workbook::Impl {
    ZipPackage package;
    std::filesystem::path source;  // for messages
    std::string workbookPart;
    pugi::xml_document workbook;
    std::vector<std::unique_ptr<Sheet::Impl>> sheets;
    std::vector<std::string> shared;

    BlankError broken() const { return brokenBook(source); }
    void openSheets();
};

void Sheet::Impl::load(const BlankError& broken) {
    if (loaded) return;
    office::parsePart(book->package, part, doc, broken);
    pugi::xml_node ws = doc.child("worksheet");
    if (!ws) throw broken;
    pugi::xml_node data = ws.child("sheetData");
    if (!data) data = office::insertInOrder(ws, "sheetData", kWorksheetOrder);
    // Rows and cells without their numbers take the next ones; every one gets its number.
    int lastRow = 0;
    for (pugi::xml_node r : data.children("row")) {
        int number = r.attribute("r").as_int(0);
        if (number <= lastRow || number > kMaxSheetRow) number = lastRow + 1;
        if (number > kMaxSheetRow) throw broken;
        lastRow = number;
        if (!r.attribute("r")) r.append_attribute("r");
        r.attribute("r") = intText(number).c_str();
        rows[number] = r;
        int lastColumn = 0;
        for (pugi::xml_node c : r.children("c")) {
            auto [cr, cc] = parseReference(c.attribute("r").value());
            if (cr != number || cc <= lastColumn) cc = lastColumn + 1;
            if (cc > kMaxSheetColumn) throw broken;
            lastColumn = cc;
            if (!c.attribute("r")) c.append_attribute("r");
            c.attribute("r") = cellReference(number, cc).c_str();
        }
    }
    loaded = true;
}

pugi::xml_node Sheet::Impl::findCell(int row, int column) const {
    auto it = rows.find(row);
    if (it == rows.end()) return {};
    const std::string ref = cellReference(row, column);
    for (pugi::xml_node c : it->second.children("c"))
        if (ref == c.attribute("r").value()) return c;
    return {};
}

pugi::xml_node Sheet::Impl::cell(int row, int column) {
    pugi::xml_node r;
    auto it = rows.lower_bound(row);
    if (it != rows.end() && it->first == row) {
        r = it->second;
    } else {
        r = it == rows.end() ? sheetData().append_child("row") : sheetData().insert_child_before("row", it->second);
        r.append_attribute("r") = intText(row).c_str();
        rows[row] = r;
    }
    // Cells in column order; the common case appends at the end.
    pugi::xml_node last = r.last_child();
    while (last && std::string(last.name()) != "c") last = last.previous_sibling();
    const std::string ref = cellReference(row, column);
    auto columnOf = [](pugi::xml_node c) { return parseReference(c.attribute("r").value()).second; };
    if (!last || columnOf(last) < column) {
        pugi::xml_node c = last ? r.insert_child_after("c", last) : r.prepend_child("c");
        c.append_attribute("r") = ref.c_str();
        return c;
    }
    for (pugi::xml_node c : r.children("c")) {
        const int cc = columnOf(c);
        if (cc == column) return c;
        if (cc > column) {
            pugi::xml_node n = r.insert_child_before("c", c);
            n.append_attribute("r") = ref.c_str();
            return n;
        }
    }
    pugi::xml_node c = r.append_child("c");
    c.append_attribute("r") = ref.c_str();
    return c;
}

const std::vector<std::string>& Sheet::Impl::sharedStrings() const { return book->shared; }

std::string Sheet::name() const { return toCp1251(impl_->entry.attribute("name").value()); }

std::string Sheet::text(int row, int column) const {
    checkAddress(row, column);
    pugi::xml_node c = impl_->findCell(row, column);
    if (!c) return {};
    const std::string type = c.attribute("t").value();
    if (type == "s") {
        const auto& shared = impl_->sharedStrings();
        const int64_t i = parseStrictInt(nodeText(c.child("v"))).value_or(-1);
        return i >= 0 && static_cast<size_t>(i) < shared.size() ? toCp1251(shared[static_cast<size_t>(i)]) : std::string();
    }
    if (type == "inlineStr") return toCp1251(stringItemText(c.child("is")));
    return toCp1251(nodeText(c.child("v")));
}

double Sheet::value(int row, int column) const { return parseLenient(text(row, column)); }

bool Sheet::hasFormula(int row, int column) const {
    checkAddress(row, column);
    return static_cast<bool>(impl_->findCell(row, column).child("f"));
}

std::string Sheet::formula(int row, int column) const {
    checkAddress(row, column);
    return toCp1251(nodeText(impl_->findCell(row, column).child("f")));
}

namespace {

// The cell emptied of its value, its style kept.
void clearCell(pugi::xml_node c) {
    while (c.first_child()) c.remove_child(c.first_child());
    c.remove_attribute("t");
}

}  // namespace

void Sheet::setText(int row, int column, const std::string& cp1251) {
    checkAddress(row, column);
    pugi::xml_node c = impl_->cell(row, column);
    clearCell(c);
    c.append_attribute("t") = "inlineStr";
    pugi::xml_node t = c.append_child("is").append_child("t");
    t.append_attribute("xml:space") = "preserve";
    t.text() = office::xmlText(cp1251).c_str();
}

void Sheet::setNumber(int row, int column, double value) {
    checkAddress(row, column);
    pugi::xml_node c = impl_->cell(row, column);
    clearCell(c);
    c.append_child("v").text() = roundTripText(value).c_str();
}

void Sheet::setFormula(int row, int column, const std::string& cp1251) {
    checkAddress(row, column);
    pugi::xml_node c = impl_->cell(row, column);
    clearCell(c);
    std::string f = cp1251;
    if (!f.empty() && f[0] == '=') f.erase(0, 1);
    c.append_child("f").text() = office::xmlText(f).c_str();
}

void Sheet::setBold(int row, int column) {
    checkAddress(row, column);
    ZipPackage& package = impl_->book->package;
    const std::string stylesPart = "xl/styles.xml";
    pugi::xml_document styles;
    office::parsePart(package, stylesPart, styles, impl_->book->broken());
    pugi::xml_node sheet = styles.child("styleSheet");
    pugi::xml_node fonts = sheet.child("fonts");
    pugi::xml_node xfs = sheet.child("cellXfs");
    pugi::xml_node c = impl_->cell(row, column);
    const int current = c.attribute("s").as_int(0);
    pugi::xml_node baseXf = xfs.first_child();
    for (int i = 0; i < current && baseXf; ++i) baseXf = baseXf.next_sibling();
    if (!baseXf) baseXf = xfs.first_child();
    pugi::xml_node baseFont = fonts.first_child();
    for (int i = 0; i < baseXf.attribute("fontId").as_int(0) && baseFont; ++i) baseFont = baseFont.next_sibling();
    pugi::xml_node font = fonts.append_copy(baseFont ? baseFont : fonts.first_child());
    if (!font.child("b")) font.prepend_child("b");
    const int fontCount = static_cast<int>(std::distance(fonts.begin(), fonts.end()));
    fonts.attribute("count") = intText(fontCount).c_str();
    pugi::xml_node xf = xfs.append_copy(baseXf);
    if (!xf.attribute("fontId")) xf.append_attribute("fontId");
    xf.attribute("fontId") = intText(fontCount - 1).c_str();
    if (!xf.attribute("applyFont")) xf.append_attribute("applyFont");
    xf.attribute("applyFont") = "1";
    const int xfCount = static_cast<int>(std::distance(xfs.begin(), xfs.end()));
    xfs.attribute("count") = intText(xfCount).c_str();
    if (!c.attribute("s")) c.append_attribute("s");
    c.attribute("s") = intText(xfCount - 1).c_str();
    package.setPart(stylesPart, serialize(styles));
}

void Sheet::setColumnWidth(int firstColumn, int lastColumn, double characters) {
    checkAddress(1, firstColumn);
    checkAddress(1, lastColumn);
    pugi::xml_node ws = impl_->doc.child("worksheet");
    pugi::xml_node cols = ws.child("cols");
    if (!cols) cols = office::insertInOrder(ws, "cols", kWorksheetOrder);
    pugi::xml_node col = cols.append_child("col");
    col.append_attribute("min") = intText(firstColumn).c_str();
    col.append_attribute("max") = intText(lastColumn).c_str();
    col.append_attribute("width") = roundTripText(characters).c_str();
    col.append_attribute("customWidth") = "1";
}

void Sheet::setPageA4Portrait() {
    pugi::xml_node ws = impl_->doc.child("worksheet");
    pugi::xml_node setup = ws.child("pageSetup");
    if (!setup) setup = office::insertInOrder(ws, "pageSetup", kWorksheetOrder);
    for (const char* a : {"paperSize", "orientation"})
        if (!setup.attribute(a)) setup.append_attribute(a);
    setup.attribute("paperSize") = "9";
    setup.attribute("orientation") = "portrait";
}

void Sheet::setFooter(const std::string& cp1251) {
    pugi::xml_node ws = impl_->doc.child("worksheet");
    pugi::xml_node hf = ws.child("headerFooter");
    if (!hf) hf = office::insertInOrder(ws, "headerFooter", kWorksheetOrder);
    pugi::xml_node footer = hf.child("oddFooter");
    if (!footer) footer = hf.append_child("oddFooter");
    footer.text() = ("&L" + office::xmlText(cp1251)).c_str();
}

// --- The workbook ---------------------------------------------------------------------------

void Workbook::Impl::openSheets() {
    const BlankError bad = broken();
    if (!workbook.load_buffer(package.part(workbookPart).data(), package.part(workbookPart).size(),
                              pugi::parse_default | pugi::parse_declaration))
        throw bad;
    pugi::xml_node sheetList = workbook.child("workbook").child("sheets");
    if (!sheetList) throw bad;
    const auto rels = office::relationships(package, workbookPart, bad);
    std::set<std::string> targets;
    for (pugi::xml_node s : sheetList.children("sheet")) {
        const std::string id = s.attribute("r:id").value();
        std::string target;
        for (const auto& r : rels)
            if (r.id == id) target = r.target;
        if (target.empty() || !package.has(target)) throw bad;
        // Two sheets of one part would each be saved over the other: what was written into
        // the first would be lost.
        if (!targets.insert(target).second) throw bad;
        auto sheet = std::make_unique<Sheet::Impl>();
        sheet->book = this;
        sheet->part = target;
        sheet->entry = s;
        sheets.push_back(std::move(sheet));
    }
    if (sheets.empty()) throw bad;
    for (const auto& r : rels) {
        if (!r.type.ends_with("/sharedStrings") || !package.has(r.target)) continue;
        pugi::xml_document doc;
        office::parsePart(package, r.target, doc, bad);
        for (pugi::xml_node si : doc.child("sst").children("si")) shared.push_back(stringItemText(si));
    }
}

Workbook::Workbook() : impl_(std::make_unique<Impl>()) {
    ZipPackage& p = impl_->package;
    p.setPart("[Content_Types].xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
              "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"" +
                  std::string(kWorksheetContent) +
                  "\"/>"
                  "<Override PartName=\"/xl/styles.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                  "</Types>");
    p.setPart("_rels/.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
              "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    p.setPart("xl/workbook.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<sheets><sheet name=\"" +
                  toUtf8(RU("Лист1")) + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    p.setPart("xl/_rels/workbook.xml.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"" +
                  std::string(kWorksheetType) +
                  "\" Target=\"worksheets/sheet1.xml\"/>"
                  "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                  "relationships/styles\" Target=\"styles.xml\"/></Relationships>");
    p.setPart("xl/styles.xml", kEmptyStyles);
    p.setPart("xl/worksheets/sheet1.xml", kEmptySheet);
    impl_->workbookPart = "xl/workbook.xml";
    impl_->openSheets();
}

Workbook Workbook::fromBlank(const std::filesystem::path& file) {
    Workbook book;
    auto impl = std::make_unique<Impl>();
    impl->source = file;
    try {
        impl->package = ZipPackage::read(file);
    } catch (const PackageError& e) {
        throw BlankError(office::packageMessage(file, OfficeKind::Workbook, e));
    }
    try {
        impl->workbookPart = office::mainPart(impl->package, impl->broken());
        if (!impl->package.has(impl->workbookPart)) throw impl->broken();
        impl->openSheets();
        // Every sheet is read now, so that a broken one is the blank's error when it is
        // opened, not when a sheet is used or the book saved.
        for (auto& sheet : impl->sheets) sheet->load(impl->broken());
    } catch (const PackageError& e) {
        throw BlankError(office::packageMessage(file, OfficeKind::Workbook, e));
    }
    book.impl_ = std::move(impl);
    return book;
}

Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

int Workbook::sheetCount() const { return static_cast<int>(impl_->sheets.size()); }

Sheet Workbook::sheet(int i) {
    if (i < 1 || i > sheetCount())
        throw BlankError(RU("В книге ") + textFromPath(impl_->source.filename()) + RU(" нет листа ") + intText(i));
    Sheet::Impl* s = impl_->sheets[static_cast<size_t>(i - 1)].get();
    s->load(impl_->broken());
    return Sheet(s);
}

void Workbook::setSheetName(int i, const std::string& cp1251) {
    sheet(i).impl_->entry.attribute("name") = office::xmlText(cp1251).c_str();
}

Sheet Workbook::addSheet(const std::string& cp1251) {
    ZipPackage& p = impl_->package;
    int n = 1;
    while (p.has("xl/worksheets/sheet" + intText(n) + ".xml")) ++n;
    const std::string part = "xl/worksheets/sheet" + intText(n) + ".xml";
    p.setPart(part, kEmptySheet);
    office::setOverride(p, part, kWorksheetContent);
    const std::string id = office::addRelationship(p, impl_->workbookPart, kWorksheetType,
                                                   "worksheets/sheet" + intText(n) + ".xml");
    pugi::xml_node sheets = impl_->workbook.child("workbook").child("sheets");
    int maxId = 0;
    for (pugi::xml_node s : sheets.children("sheet")) maxId = std::max(maxId, s.attribute("sheetId").as_int(0));
    pugi::xml_node s = sheets.append_child("sheet");
    s.append_attribute("name") = office::xmlText(cp1251).c_str();
    s.append_attribute("sheetId") = intText(maxId + 1).c_str();
    s.append_attribute("r:id") = id.c_str();
    auto sheet = std::make_unique<Sheet::Impl>();
    sheet->book = impl_.get();
    sheet->part = part;
    sheet->entry = s;
    impl_->sheets.push_back(std::move(sheet));
    return this->sheet(sheetCount());
}

std::string Workbook::bytes() {
    ZipPackage& p = impl_->package;
    const BlankError bad = impl_->broken();
    // Every formula is computed again by the program that opens the book.
    for (auto& s : impl_->sheets) {
        s->load(bad);
        for (pugi::xml_node row : s->sheetData().children("row"))
            for (pugi::xml_node c : row.children("c"))
                if (c.child("f")) {
                    c.remove_child("v");
                    c.remove_attribute("t");
                }
        p.setPart(s->part, serialize(s->doc));
    }
    for (const auto& r : office::relationships(p, impl_->workbookPart, bad))
        if (r.type.ends_with("/calcChain")) {
            p.removePart(r.target);
            office::removeOverride(p, r.target);
        }
    office::removeRelationships(p, impl_->workbookPart, "/calcChain");
    pugi::xml_node wb = impl_->workbook.child("workbook");
    pugi::xml_node calc = wb.child("calcPr");
    if (!calc) calc = office::insertInOrder(wb, "calcPr", kWorkbookOrder);
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad") = "1";
    p.setPart(impl_->workbookPart, serialize(impl_->workbook));
    return p.bytes();
}

void Workbook::saveAs(const std::filesystem::path& file) { safeRewrite(file, bytes()); }

}  // namespace vk7
