#include "processing/calibration_archive.h"

#include <algorithm>
#include <utility>

#include "chromfile/dictionaries.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {
namespace {

// The part of `text` at [offset, offset + width), shorter when the text ends first.
std::string_view field(std::string_view text, size_t offset, size_t width) {
    if (offset >= text.size()) return {};
    return text.substr(offset, width);
}

// The text of a field as the line holds it: whole, or the part a short line has followed by
// `completion` from there on (blanks where none is given), so that a rebuilt line keeps
// every byte it was read with. std::nullopt when the line ends before the field.
std::optional<std::string> keptField(std::string_view line, size_t offset, size_t width,
                                     std::string_view completion = {}) {
    if (line.size() <= offset) return std::nullopt;
    std::string text(line.substr(offset, width));
    const std::string tail = text.size() < completion.size() ? std::string(completion.substr(text.size())) : "";
    return padRight(text + tail, static_cast<int>(width));
}

// A line without its trailing off mark '-'.
std::string_view withoutOffMark(std::string_view line) {
    return !line.empty() && line.back() == '-' ? line.substr(0, line.size() - 1) : line;
}

// The time field of a rebuilt line: whole seconds, held within its 5 columns.
std::string timeFieldText(double sec) {
    return intText(std::clamp<int64_t>(roundHalfEven(sec), -9999, 99999), static_cast<int>(kCalTimeWidth));
}

// Whether a name ends in '-' once its trailing blanks are left out.
bool endsInDash(std::string_view name) {
    const size_t last = name.find_last_not_of(' ');
    return last != std::string_view::npos && name[last] == '-';
}

// The name as written: on a line that is not switched off, a name that ends in '-' (before
// any trailing blanks) gets one blank more, or the line would read back as switched off
// without its '-'; the reader drops that blank again.
std::string nameAsWritten(const std::string& name, bool off) { return !off && endsInDash(name) ? name + ' ' : name; }

bool sameShown(std::string_view typed, const std::string& shown) {
    return trimBlanks(typed) == trimBlanks(shown);
}

// Column of each attribute row in the header: 0-based offset and width.
struct HeaderField {
    size_t offset, width;
};
HeaderField headerField(int row) {
    switch (row) {
        case 0: return {1, 2};
        case 1: return {3, 2};
        case 2: return {5, 3};
        case 3: return {8, 4};
        case 10: return {44, 4};
        default: return {12 + 4 * static_cast<size_t>(row - 4), 4};
    }
}

}  // namespace

bool isCalibrationEndLine(std::string_view line) { return !line.empty() && line[0] == '#' && line.size() < 4; }

bool isCalibrationHeaderLine(std::string_view line) { return !line.empty() && line[0] == '#' && line.size() >= 4; }

bool sameConditions(std::string_view header, std::string_view key) {
    return header.size() >= kKeyIdentityLength && key.size() >= kKeyIdentityLength &&
           header.substr(0, kKeyIdentityLength) == key.substr(0, kKeyIdentityLength);
}

CalibrationComponent parseCalibrationLine(std::string_view line) {
    CalibrationComponent c;
    // The off mark ends the line wherever it falls, also inside the columns before the name.
    const std::string_view body = withoutOffMark(line);
    c.switchedOff = body.size() != line.size();
    c.timeSec = parseLenient(field(body, 0, kCalTimeWidth));
    c.area = parseLenient(field(body, kCalAreaOffset, kCalValueWidth));
    c.conc = parseLenient(field(body, kCalConcOffset, kCalValueWidth));
    std::string_view name = body.size() > kCalNameOffset ? body.substr(kCalNameOffset) : std::string_view{};
    if (!c.switchedOff && !name.empty() && name.back() == ' ' && endsInDash(name)) name.remove_suffix(1);
    c.name = std::string(name);
    return c;
}

std::string formatCalibrationLine(const CalibrationComponent& c) {
    std::string line = timeFieldText(c.timeSec);
    line += expText(c.area, static_cast<int>(kCalValueWidth));
    line += expText(c.conc, static_cast<int>(kCalValueWidth));
    line += kCalFiller;
    line += nameAsWritten(c.name, c.switchedOff);
    if (c.switchedOff) line += '-';
    return line;
}

std::string calibrationPointLine(std::string_view componentLine) {
    std::string out = padRight(field(componentLine, 0, kCalTimeWidth), static_cast<int>(kCalTimeWidth));
    out += expText(parseLenient(field(componentLine, kCalAreaOffset, kCalValueWidth)), 23);
    if (componentLine.size() > kCalConcOffset) out += componentLine.substr(kCalConcOffset);
    return out;
}

CalibrationPoint parseCalibrationPoint(std::string_view gradLine) {
    CalibrationPoint p;
    p.timeSec = parseLenient(field(gradLine, 0, 5));
    p.area = parseLenient(field(gradLine, 5, 23));
    p.conc = parseLenient(field(gradLine, 28, 17));
    if (gradLine.size() > 53) p.name = std::string(gradLine.substr(53));
    return p;
}

int FindDictionaryIndex(const std::vector<std::string>& dictionary, std::string_view text) {
    for (size_t i = 0; i < dictionary.size(); ++i)
        if (dictionary[i] == text) return static_cast<int>(i) + 1;
    return static_cast<int>(dictionary.size()) + 1;
}

bool isDictionaryAttribute(int row) { return (row >= 0 && row <= 3) || row == 10; }

const std::vector<std::string>& dictionaryForAttribute(const CalibrationDictionaries& d, int row) {
    switch (row) {
        case 0: return d.detect;
        case 1: return d.gas;
        case 2: return d.kolon;
        case 3: return d.temp;
        default: return d.sm;
    }
}

std::vector<std::string>& dictionaryForAttribute(CalibrationDictionaries& d, int row) {
    return const_cast<std::vector<std::string>&>(dictionaryForAttribute(std::as_const(d), row));
}

// ---------------------------------------------------------------- rows

CalibrationRow::CalibrationRow(std::string line) : source_(std::move(line)), pristine_(true) {
    CalibrationComponent c = parseCalibrationLine(source_);
    timeSec_ = c.timeSec;
    area_ = c.area;
    conc_ = c.conc;
    name_ = std::move(c.name);
    off_ = sourceOff_ = c.switchedOff;
    const std::string_view body = withoutOffMark(source_);
    timeField_ = keptField(body, 0, kCalTimeWidth);
    areaField_ = keptField(body, kCalAreaOffset, kCalValueWidth);
    concField_ = keptField(body, kCalConcOffset, kCalValueWidth);
    fillerField_ = keptField(body, kCalFillerOffset, kCalFiller.size(), kCalFiller);
}

std::string CalibrationRow::timeText() const { return fixedText(timeSec_ / 60.0, 7, 2); }
std::string CalibrationRow::areaText() const { return fixedText(area_, 16, 4); }
std::string CalibrationRow::concText() const { return fixedText(conc_, 12, 3); }

RowEdit CalibrationRow::setTimeText(std::string_view minutes) {
    if (sameShown(minutes, timeText())) return RowEdit::Unchanged;
    const int64_t sec = roundHalfEven(parseLenient(minutes) * 60.0);
    if (intText(sec, 0).size() > kCalTimeWidth) return RowEdit::DoesNotFit;
    timeSec_ = static_cast<double>(sec);
    timeField_.reset();
    pristine_ = false;
    return RowEdit::Changed;
}

RowEdit CalibrationRow::setAreaText(std::string_view text) {
    if (sameShown(text, areaText())) return RowEdit::Unchanged;
    setArea(parseLenient(text));
    return RowEdit::Changed;
}

RowEdit CalibrationRow::setConcText(std::string_view text) {
    if (sameShown(text, concText())) return RowEdit::Unchanged;
    setConc(parseLenient(text));
    return RowEdit::Changed;
}

RowEdit CalibrationRow::setNameText(std::string_view text) {
    if (text == name_) return RowEdit::Unchanged;
    std::string name = cutText(text, kCalNameMax);
    if (!name.empty() && name.back() == '-') return RowEdit::NameEndsInDash;
    if (name == name_) return RowEdit::Unchanged;
    name_ = std::move(name);
    pristine_ = false;
    return RowEdit::Changed;
}

void CalibrationRow::setArea(double v) {
    area_ = v;
    areaField_.reset();
    pristine_ = false;
}

void CalibrationRow::setConc(double v) {
    conc_ = v;
    concField_.reset();
    pristine_ = false;
}

void CalibrationRow::copyValuesFrom(const CalibrationRow& other) {
    area_ = other.area_;
    areaField_ = other.areaField_;
    conc_ = other.conc_;
    concField_ = other.concField_;
    pristine_ = false;
}

CalibrationRow CalibrationRow::copyAsNewRow() const {
    CalibrationRow r = *this;
    r.pristine_ = false;
    r.off_ = false;
    r.deleted_ = false;
    return r;
}

std::string CalibrationRow::line() const {
    if (pristine_ && off_ == sourceOff_) return source_;
    std::string out = timeField_ ? *timeField_ : timeFieldText(timeSec_);
    out += areaField_ ? *areaField_ : expText(area_, static_cast<int>(kCalValueWidth));
    out += concField_ ? *concField_ : expText(conc_, static_cast<int>(kCalValueWidth));
    std::string filler = fillerField_ ? *fillerField_ : std::string(kCalFiller);
    // Without a name the filler ends the line, where a '-' it was read with would read as
    // the off mark: a switched-on row gets the filler's own text.
    if (!off_ && name_.empty() && filler.back() == '-') filler = kCalFiller;
    out += filler;
    out += nameAsWritten(name_, off_);
    // A row read as nothing but blanks and its off mark stays a row when switched on.
    if (trimBlanks(out).empty()) out.replace(0, kCalTimeWidth, timeFieldText(timeSec_));
    if (off_) out += '-';
    return out;
}

// ---------------------------------------------------------------- tables

CalibrationTable::CalibrationTable(std::string header, std::vector<std::string> lines)
    : header_(std::move(header)), lines_(std::move(lines)) {
    for (const auto& l : lines_)
        if (!trimBlanks(l).empty()) rows_.emplace_back(l);
}

void CalibrationTable::setStandardRow(int r) {
    if (r >= 0 && r < rowCount()) standardRow_ = r;
}

std::string CalibrationTable::statusText(int r) const {
    const CalibrationRow& row = this->row(r);
    std::string s;
    if (row.deleted()) s = "Del";
    else if (row.switchedOff()) s = RU("Выкл");
    if (r != standardRow_) return s;
    return s.empty() ? std::string("St") : "St " + s;
}

std::string CalibrationTable::attributeText(int row, const CalibrationDictionaries& d) const {
    if (isDictionaryAttribute(row)) return dictionaryEntry(dictionaryForAttribute(d, row), attributeIndex(row));
    HeaderField f = headerField(row);
    return std::string(field(header_, f.offset, f.width));
}

int CalibrationTable::attributeIndex(int row) const {
    HeaderField f = headerField(row);
    return static_cast<int>(parseLenientInt(field(header_, f.offset, f.width)));
}

std::string CalibrationTable::name(const CalibrationDictionaries& d) const { return attributeText(10, d); }

AttributeEdit CalibrationTable::setHeaderField(int row, std::string text) {
    HeaderField f = headerField(row);
    if (text.size() > f.width) return AttributeEdit::DoesNotFit;
    text = padLeft(text, static_cast<int>(f.width));
    if (header_.compare(f.offset, f.width, text) == 0) return AttributeEdit::Unchanged;
    header_.replace(f.offset, f.width, text);
    modified_ = true;
    return AttributeEdit::Changed;
}

AttributeEdit CalibrationTable::setAttributeText(int row, std::string_view text, const CalibrationDictionaries& d) {
    if (row < 0 || row >= kCalAttributeCount) return AttributeEdit::ReadOnly;
    if (!headerEditable()) return AttributeEdit::ReadOnly;
    if (isDictionaryAttribute(row)) {
        if (text == attributeText(row, d)) return AttributeEdit::Unchanged;
        const auto& dict = dictionaryForAttribute(d, row);
        int index = FindDictionaryIndex(dict, text);
        if (static_cast<size_t>(index) > dict.size()) return AttributeEdit::NotInDictionary;
        return setHeaderField(row, intText(index, 0));
    }
    if (sameShown(text, attributeText(row, d))) return AttributeEdit::Unchanged;
    return setHeaderField(row, intText(parseLenientInt(text), 0));
}

AttributeEdit CalibrationTable::chooseAttributeEntry(int row, int index) {
    if (!headerEditable() || !isDictionaryAttribute(row)) return AttributeEdit::ReadOnly;
    return setHeaderField(row, intText(index, 0));
}

CalibrationRow& CalibrationTable::editRow(int r) { return rows_.at(static_cast<size_t>(r)); }

RowEdit CalibrationTable::noteEdit(RowEdit e) {
    if (e == RowEdit::Changed) modified_ = true;
    return e;
}

RowEdit CalibrationTable::setTimeText(int r, std::string_view text) { return noteEdit(editRow(r).setTimeText(text)); }
RowEdit CalibrationTable::setAreaText(int r, std::string_view text) { return noteEdit(editRow(r).setAreaText(text)); }
RowEdit CalibrationTable::setConcText(int r, std::string_view text) { return noteEdit(editRow(r).setConcText(text)); }
RowEdit CalibrationTable::setNameText(int r, std::string_view text) { return noteEdit(editRow(r).setNameText(text)); }

void CalibrationTable::switchOff(int r) {
    CalibrationRow& row = editRow(r);
    row.setDeleted(false);
    row.setSwitchedOff(true);
    modified_ = true;
}

void CalibrationTable::switchOn(int r) {
    CalibrationRow& row = editRow(r);
    if (row.deleted() || !row.switchedOff()) return;
    row.setSwitchedOff(false);
    modified_ = true;
}

void CalibrationTable::markRowDeleted(int r) {
    editRow(r).setDeleted(true);
    modified_ = true;
}

void CalibrationTable::addRow() {
    rows_.push_back(rows_.empty() ? CalibrationRow(formatCalibrationLine({})).copyAsNewRow() : rows_.back().copyAsNewRow());
    modified_ = true;
}

void CalibrationTable::alignToStandard() {
    if (rows_.empty()) return;
    const CalibrationRow standard = row(standardRow_);
    for (size_t i = 0; i < rows_.size(); ++i)
        if (static_cast<int>(i) != standardRow_) rows_[i].copyValuesFrom(standard);
    modified_ = true;
}

void CalibrationTable::scaleArea(int r, double factor) {
    CalibrationRow& row = editRow(r);
    row.setArea(row.area() * factor);
    modified_ = true;
}

void CalibrationTable::scaleConc(int r, double factor) {
    CalibrationRow& row = editRow(r);
    row.setConc(row.conc() * factor);
    modified_ = true;
}

bool CalibrationTable::ProportionalRecount(double total) {
    double sum = 0;
    for (const auto& row : rows_)
        if (!row.deleted()) sum += row.area();
    if (sum == 0) return false;
    for (auto& row : rows_)
        if (!row.deleted()) row.setConc(row.area() / sum * total);
    modified_ = true;
    return true;
}

std::vector<std::optional<double>> CalibrationTable::ResponseFactors() const {
    std::vector<std::optional<double>> k;
    if (rows_.empty()) return k;
    const CalibrationRow& st = row(standardRow_);
    for (const auto& row : rows_) {
        if (row.area() == 0 || st.conc() == 0) k.push_back(std::nullopt);
        else k.push_back((row.conc() * st.area()) / (st.conc() * row.area()));
    }
    return k;
}

std::vector<std::string> CalibrationTable::outputLines() const {
    std::vector<std::string> out{header_};
    if (!modified_) {
        out.insert(out.end(), lines_.begin(), lines_.end());
        return out;
    }
    for (const auto& row : rows_)
        if (!row.deleted()) out.push_back(row.line());
    return out;
}

// ---------------------------------------------------------------- archive

CalibrationArchive CalibrationArchive::parse(std::string_view bytes) {
    CalibrationArchive a;
    std::vector<std::string> lines = splitLines(bytes);
    size_t i = 0;
    while (i < lines.size() && (lines[i].empty() || lines[i][0] != '#')) a.leading_.push_back(lines[i++]);
    while (i < lines.size()) {
        if (isCalibrationEndLine(lines[i])) {
            // End lines right after the end line say nothing more: a save writes one.
            size_t after = i + 1;
            while (after < lines.size() && isCalibrationEndLine(lines[after])) ++after;
            a.trailing_.assign(lines.begin() + static_cast<long>(after), lines.end());
            break;
        }
        std::string header = lines[i++];
        std::vector<std::string> body;
        while (i < lines.size() && (lines[i].empty() || lines[i][0] != '#')) body.push_back(lines[i++]);
        a.tables_.emplace_back(std::move(header), std::move(body));
    }
    return a;
}

void CalibrationArchive::markActive(const std::optional<std::string>& identifiedKey) {
    for (auto& t : tables_) t.setActive(identifiedKey && sameConditions(t.header(), *identifiedKey));
}

int CalibrationArchive::initialTable() const {
    for (int t = tableCount() - 1; t >= 0; --t)
        if (tables_[static_cast<size_t>(t)].active()) return t;
    return tables_.empty() ? -1 : 0;
}

void CalibrationArchive::markTableDeleted(int t) {
    table(t).markDeleted();
    tableDeleted_ = true;
}

bool CalibrationArchive::hasChanges() const {
    if (tableDeleted_) return true;
    return std::any_of(tables_.begin(), tables_.end(), [](const CalibrationTable& t) { return t.modified(); });
}

std::string CalibrationArchive::format() const {
    std::vector<std::string> lines = leading_;
    for (const auto& t : tables_) {
        if (t.deleted()) continue;
        auto tl = t.outputLines();
        lines.insert(lines.end(), tl.begin(), tl.end());
    }
    lines.push_back("#");
    lines.insert(lines.end(), trailing_.begin(), trailing_.end());
    return joinLinesCrLf(lines);
}

std::vector<std::string> CalibrationArchive::matchingComponentLines(std::string_view key) const {
    std::vector<std::string> out;
    for (const auto& t : tables_) {
        if (t.deleted() || !sameConditions(t.header(), key)) continue;
        auto tl = t.outputLines();
        for (size_t i = 1; i < tl.size(); ++i)
            if (tl[i].empty() || tl[i].back() != '-') out.push_back(tl[i]);
    }
    return out;
}

// ---------------------------------------------------------------- new tables

std::vector<std::string> calibrationTableFromPeakRows(std::string_view key,
                                                      const std::vector<PeakRowForCalibration>& rows) {
    std::vector<std::string> lines{std::string(key)};
    for (const auto& r : rows) {
        if (!trimBlanks(r.status).empty()) continue;
        CalibrationComponent c;
        c.timeSec = r.retentionSec;
        c.area = parseLenient(r.areaText);
        c.conc = parseLenient(r.concText);
        c.name = r.name;
        lines.push_back(formatCalibrationLine(c));
    }
    if (lines.size() == 1) lines.clear();
    return lines;
}

std::string appendTableToArchiveBytes(std::string_view bytes, const std::vector<std::string>& tableLines) {
    // The first end line, where every reader stops: where it starts and where the line after
    // it starts. A table added after it would never be read.
    std::optional<size_t> endStart;
    size_t endNext = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        size_t stop = nl == std::string_view::npos ? bytes.size() : nl;
        std::string_view line = bytes.substr(pos, stop - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t next = nl == std::string_view::npos ? bytes.size() : nl + 1;
        if (isCalibrationEndLine(line)) {
            endStart = pos;
            endNext = next;
            break;
        }
        pos = next;
    }
    std::string table = joinLinesCrLf(tableLines) + "#\r\n";
    if (endStart) return std::string(bytes.substr(0, *endStart)) + table + std::string(bytes.substr(endNext));
    std::string out(bytes);
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    return out + table;
}

}  // namespace vk7
