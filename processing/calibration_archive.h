// The calibration archive: the text formats of a .grd archive, of stt.dat and of the
// calibration points (grad.dat), and the in-memory archive that the archive window edits.
//
// An archive is a sequence of tables followed by the end line "#". A table is a header line
// (a chromatogram key; its first 48 characters identify the conditions) and one component
// line per substance: time in seconds (columns 1-5), S (6-22) and C (23-39) in the
// 17-character exponent form, " 1  0.00" (40-47), the name from column 48, and a trailing
// '-' when the component is switched off. The first component of a table is its standard.
//
// All texts are Windows-1251. Tables and lines have no fixed limit. A table the user did
// not change is written back byte for byte; in a changed table every value the user did
// not change keeps the exact text it was read with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vk7 {

// Columns of a component line (0-based offsets and widths).
inline constexpr size_t kCalTimeWidth = 5;
inline constexpr size_t kCalAreaOffset = 5;
inline constexpr size_t kCalConcOffset = 22;
inline constexpr size_t kCalValueWidth = 17;
inline constexpr size_t kCalFillerOffset = 39;
inline constexpr size_t kCalNameOffset = 47;
inline constexpr size_t kCalNameMax = 32;
// The constant text of columns 40-47.
inline constexpr std::string_view kCalFiller = " 1  0.00";

// Characters of a key that identify the conditions.
inline constexpr size_t kKeyIdentityLength = 48;
// Length of a header built from a chromatogram; only such headers are edited field by field.
inline constexpr size_t kCalHeaderLength = 67;

// A line that begins with '#' and is shorter than 4 characters ends the archive.
bool isCalibrationEndLine(std::string_view line);
// A line that begins with '#' and is not an end line starts a table.
bool isCalibrationHeaderLine(std::string_view line);
// Whether a header (or any key) identifies the same conditions as `key`: their first 48
// characters are equal. A text shorter than 48 characters never matches.
bool sameConditions(std::string_view header, std::string_view key);

// One component line read into numbers.
struct CalibrationComponent {
    double timeSec = 0;  // columns 1-5
    double area = 0;     // S, columns 6-22
    double conc = 0;     // C, columns 23-39
    std::string name;    // from column 48, without the trailing '-'
    bool switchedOff = false;
};
CalibrationComponent parseCalibrationLine(std::string_view line);
// The component line of freshly computed values: round(time) right-aligned in 5, S and C in
// the 17-character exponent form, " 1  0.00", the name and '-' when switched off.
std::string formatCalibrationLine(const CalibrationComponent& c);

// The calibration-points line (grad.dat) of a component line: columns 1-5 as read, S in the
// 23-character exponent form, then columns 23 to the end as read.
std::string calibrationPointLine(std::string_view componentLine);

// One line of grad.dat read back: time from columns 1-5, S from 6-28, C from 29-45 and the
// name from column 54 to the end (readers cut it to the length they use).
struct CalibrationPoint {
    double timeSec = 0;
    double area = 0;
    double conc = 0;
    std::string name;
};
CalibrationPoint parseCalibrationPoint(std::string_view gradLine);

// 1-based number of the first entry of `dictionary` equal to `text`; the number of entries
// + 1 when there is none.
int FindDictionaryIndex(const std::vector<std::string>& dictionary, std::string_view text);

// The five passport dictionaries a table header refers to.
struct CalibrationDictionaries {
    std::vector<std::string> detect, gas, kolon, temp, sm;
};

// Rows of the attribute list of a table (its header fields).
enum class CalibrationAttribute {
    Detector = 0,   // columns 2-3, line of `detect`
    Gas = 1,        // columns 4-5, line of `gas`
    Column = 2,     // columns 6-8, line of `kolon`
    Temperature = 3,// columns 9-12, line of `temp`
    // rows 4 to 9: the six numbers of columns 13-36, each a 4-character text
    Sm = 10,        // columns 45-48, line of `sm`: the table's name
};
inline constexpr int kCalAttributeCount = 11;
// Whether attribute row `row` (0..10) is a dictionary entry, and which dictionary.
bool isDictionaryAttribute(int row);
const std::vector<std::string>& dictionaryForAttribute(const CalibrationDictionaries& d, int row);
std::vector<std::string>& dictionaryForAttribute(CalibrationDictionaries& d, int row);

enum class AttributeEdit {
    Unchanged,        // the text equals what the row shows; the header keeps its index
    Changed,
    ReadOnly,         // the header is not a 67-character key and is kept as it is
    NotInDictionary,  // the typed text is no entry of the row's dictionary
    DoesNotFit,       // the index or number is wider than its column
};

enum class RowEdit {
    Unchanged,
    Changed,
    DoesNotFit,      // a time wider than its 5 columns
    NameEndsInDash,  // a name ending in '-' would read back as a switched-off line
};

// One component row as it is edited. Every value remembers the exact text it was read with
// until it is changed, so that writing the row back never rounds what the user left alone.
class CalibrationRow {
public:
    CalibrationRow() = default;
    // A row read from a component line.
    explicit CalibrationRow(std::string line);

    double timeSec() const { return timeSec_; }
    double area() const { return area_; }
    double conc() const { return conc_; }
    const std::string& name() const { return name_; }
    bool switchedOff() const { return off_; }
    bool deleted() const { return deleted_; }

    // The cell texts of the table view: t in minutes (7 wide, 2 decimals), S (16, 4), C (12, 3).
    std::string timeText() const;
    std::string areaText() const;
    std::string concText() const;

    // Setters from cell texts. A text equal to the one shown (blanks aside) changes nothing.
    RowEdit setTimeText(std::string_view minutes);
    RowEdit setAreaText(std::string_view text);
    RowEdit setConcText(std::string_view text);
    RowEdit setNameText(std::string_view text);

    // Setters from computed values.
    void setArea(double v);
    void setConc(double v);
    void setSwitchedOff(bool off) { off_ = off; }
    void setDeleted(bool del) { deleted_ = del; }

    // S and C of another row, with the exact texts they were read with.
    void copyValuesFrom(const CalibrationRow& other);
    // A new row made from this one: the same time, S, C and name, switched on.
    CalibrationRow copyAsNewRow() const;

    // The component line of the row: the line as read when nothing changed, otherwise the
    // line rebuilt, each unchanged field in the exact text it was read with.
    std::string line() const;

private:
    std::string source_;  // the line the row was read from
    bool pristine_ = false;  // nothing changed since it was read
    double timeSec_ = 0, area_ = 0, conc_ = 0;
    // Exact field texts as read; empty once the value changed (then it is formatted anew).
    std::optional<std::string> timeField_, areaField_, concField_, fillerField_;
    std::string name_;
    bool off_ = false, sourceOff_ = false;
    bool deleted_ = false;
};

// One calibration table of an archive.
class CalibrationTable {
public:
    CalibrationTable() = default;
    CalibrationTable(std::string header, std::vector<std::string> lines);

    const std::string& header() const { return header_; }
    // The lines that followed the header in the file.
    const std::vector<std::string>& sourceLines() const { return lines_; }
    // The component rows (blank lines of the file are not rows).
    const std::vector<CalibrationRow>& rows() const { return rows_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const CalibrationRow& row(int r) const { return rows_.at(static_cast<size_t>(r)); }

    // "Акт": the header matches the key identified last.
    bool active() const { return active_; }
    void setActive(bool a) { active_ = a; }
    // "Del": the table is left out at the next save.
    bool deleted() const { return deleted_; }
    // The table differs from the lines it was read from.
    bool modified() const { return modified_; }

    // The row marked "St" (0-based), used by the alignment and the response factors. It is
    // a mark of the view: the first row stays the standard in the file.
    int standardRow() const { return standardRow_; }
    void setStandardRow(int r);

    // Status cell of a row: "St", "Выкл", "Del", or "St Выкл" / "St Del" for the standard.
    std::string statusText(int r) const;

    // Header fields.
    bool headerEditable() const { return header_.size() == kCalHeaderLength; }
    // Text of attribute row 0..10: the dictionary entry or the 4-character number.
    std::string attributeText(int row, const CalibrationDictionaries& d) const;
    // The 1-based dictionary line number a dictionary row of the header names (0 for none).
    int attributeIndex(int row) const;
    // The `sm` entry: the table's name in the table list.
    std::string name(const CalibrationDictionaries& d) const;
    // A typed attribute. A dictionary text equal to the entry the header already names keeps
    // that index (dictionaries may hold duplicates); another text takes the first equal entry.
    AttributeEdit setAttributeText(int row, std::string_view text, const CalibrationDictionaries& d);
    // An entry chosen from the picker: its 1-based index in the row's dictionary.
    AttributeEdit chooseAttributeEntry(int row, int index);

    // Row edits; each marks the table modified when it changes something.
    RowEdit setTimeText(int r, std::string_view text);
    RowEdit setAreaText(int r, std::string_view text);
    RowEdit setConcText(int r, std::string_view text);
    RowEdit setNameText(int r, std::string_view text);
    void switchOff(int r);      // "-": switched off (a "Del" mark is replaced)
    void switchOn(int r);       // "+": a switched-off row is switched on again
    void markRowDeleted(int r); // "D"
    // "I": a new last row copying time, S, C and name of the last row (zeros when there is none).
    void addRow();
    // "M": every row's S and C become those of the standard row.
    void alignToStandard();
    // "S*" and "C*": one row's S or C multiplied by a factor.
    void scaleArea(int r, double factor);
    void scaleConc(int r, double factor);
    // "R": each remaining row's C := S_i / ΣS × total, ΣS over the rows not marked "Del".
    // False (and nothing changed) when ΣS is 0.
    bool ProportionalRecount(double total);
    // "K": K_i = (C_i × S_st) / (C_st × S_i) for each row; nullopt where S_i or C_st is 0.
    // Changes nothing.
    std::vector<std::optional<double>> ResponseFactors() const;

    void markDeleted() { deleted_ = true; }

    // The lines written for this table: the header and the component lines (the lines as
    // read when the table was not changed; otherwise rebuilt, without the "Del" rows).
    std::vector<std::string> outputLines() const;

private:
    CalibrationRow& editRow(int r);
    RowEdit noteEdit(RowEdit e);
    AttributeEdit setHeaderField(int row, std::string text);

    std::string header_;
    std::vector<std::string> lines_;
    std::vector<CalibrationRow> rows_;
    bool active_ = false, deleted_ = false, modified_ = false;
    int standardRow_ = 0;
};

// A whole archive in memory.
class CalibrationArchive {
public:
    // Reads an archive from its bytes. Reading ends at the first end line; a file without
    // one ends with its last line. Lines before the first table and lines after the end
    // line are kept and written back unchanged.
    static CalibrationArchive parse(std::string_view bytes);

    std::vector<CalibrationTable>& tables() { return tables_; }
    const std::vector<CalibrationTable>& tables() const { return tables_; }
    int tableCount() const { return static_cast<int>(tables_.size()); }
    CalibrationTable& table(int t) { return tables_.at(static_cast<size_t>(t)); }
    const CalibrationTable& table(int t) const { return tables_.at(static_cast<size_t>(t)); }

    // Marks "Акт" every table whose header matches `identifiedKey` (the stt.dat line); none
    // when there is no key.
    void markActive(const std::optional<std::string>& identifiedKey);
    // The table to show first: the last one marked "Акт", else table 0 (-1 when there is none).
    int initialTable() const;

    // "D" of the table list: the table is left out at the next save.
    void markTableDeleted(int t);
    // Something differs from the file: a changed table or a table marked "Del".
    bool hasChanges() const;

    // The archive's bytes: every table not marked "Del", the end line "#", CR LF line ends.
    std::string format() const;

    // The switched-on component lines of every table that matches `key`, in file order: what
    // identification copies into the calibration points.
    std::vector<std::string> matchingComponentLines(std::string_view key) const;

private:
    std::vector<std::string> leading_;   // lines before the first header
    std::vector<CalibrationTable> tables_;
    std::vector<std::string> trailing_;  // lines after the end line
    bool tableDeleted_ = false;
};

// One row of the peak table offered for a new calibration table.
struct PeakRowForCalibration {
    double retentionSec = 0;  // apex time in seconds
    std::string areaText;     // the S cell
    std::string concText;     // the C cell
    std::string name;         // the name cell
    std::string status;       // the status cell; only rows with an empty status are taken
};

// The lines of a new table made from peak-table rows: the key as header, then one component
// line per row whose status is empty (blanks aside). Empty when no row qualifies.
std::vector<std::string> calibrationTableFromPeakRows(std::string_view key,
                                                      const std::vector<PeakRowForCalibration>& rows);

// The archive bytes with `tableLines` appended as a new last table: the final end line (and
// anything after it) is kept after the new table, everything before it stays byte for byte;
// an archive without an end line gets one.
std::string appendTableToArchiveBytes(std::string_view archiveBytes, const std::vector<std::string>& tableLines);

}  // namespace vk7
