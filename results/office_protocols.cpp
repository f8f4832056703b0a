#include "results/office_protocols.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/office/word_document.h"
#include "platform/office/workbook.h"
#include "processing/peak_table.h"
#include "processing/plot_geometry.h"

namespace vk7 {

namespace fs = std::filesystem;

// --- Settings ------------------------------------------------------------------------------

fs::path excelProtocolSettingsPath(const StartFolder& start) { return start.file("space", "protex.dat"); }

ExcelProtocolSettings LoadExcelProtocolSettings(const StartFolder& start, bool strict) {
    ExcelProtocolSettings s;
    const auto lines = readLinesIfExists(excelProtocolSettingsPath(start));
    if (!lines) return s;
    auto line = [&](size_t i) { return i < lines->size() ? (*lines)[i] : std::string(); };
    s.BlankName = cutText(line(0), kMaxBlankNameChars);
    s.Operator = cutText(line(2), kMaxOperatorChars);
    const std::string number = line(1);
    const std::optional<int64_t> n = parseStrictInt(number);
    const bool digits = !number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (n && digits && *n <= 65535) {
        s.Number = static_cast<int>(*n);
    } else if (strict) {
        throw ConversionError(number, "protex.dat");
    } else {
        s.Number = static_cast<int>(std::clamp<int64_t>(parseLenientInt(number), 0, 65535));
    }
    return s;
}

void SaveExcelProtocolSettings(const StartFolder& start, const ExcelProtocolSettings& s) {
    start.ensureFolder("space");
    writeLines(excelProtocolSettingsPath(start),
               {cutText(s.BlankName, kMaxBlankNameChars), intText(s.Number), cutText(s.Operator, kMaxOperatorChars)});
}

int nextProtocolNumber(int number) { return (number + 1) & 0xFFFF; }

BlankChoice chooseExcelBlank(const StartFolder& start, const fs::path& chosen) {
    BlankChoice c;
    if (!isDirectlyInFolder(chosen, start.folder("doc"))) {
        c.Refusal = RU("Бланк должен лежать в папке \\doc\\");
        return c;
    }
    const std::string name = textFromPath(chosen.filename());
    if (name.size() > kMaxBlankNameChars) {
        c.Refusal = RU("Имя бланка длиннее 32 символов");
        return c;
    }
    c.Name = name;
    return c;
}

fs::path wordProtocolPath(const StartFolder& start) { return start.file("results", "prot.docx"); }
fs::path excelProtocolPath(const StartFolder& start) { return start.file("results", "prot.xlsx"); }
fs::path pointsExportPath(const StartFolder& start) { return start.file("results", "points.xlsx"); }

// --- The document --------------------------------------------------------------------------

namespace {

std::string cell(const std::vector<std::vector<std::string>>& grid, size_t row, size_t column) {
    return row < grid.size() && column < grid[row].size() ? grid[row][column] : std::string();
}

// The cell in exactly w characters: padded with blanks on the right, a longer one cut to its
// last w (the end of a number keeps its decimals).
std::string fitted(const std::string& text, int w) {
    const std::string padded = padRight(text, w);
    return padded.substr(padded.size() - static_cast<size_t>(w));
}

}  // namespace

std::vector<std::string> wordTableTexts(const std::vector<std::vector<std::string>>& grid, int peakCount) {
    std::vector<std::string> out;
    std::string head;
    const std::pair<size_t, const char*> captions[] = {{CellTime, "\t"},  {CellHeight, "\t\t"}, {CellWidth, "\t"},
                                                       {CellArea, "\t\t"}, {CellShare, "\t"},   {CellConc, "\t"},
                                                       {CellDeviation, "\t"}, {CellName, ""}};
    for (const auto& [c, tabs] : captions) head += cell(grid, 0, c) + tabs;
    out.push_back(head + "\r");
    const std::pair<size_t, int> widths[] = {{CellTime, 8}, {CellHeight, 9}, {CellWidth, 5},    {CellArea, 9},
                                             {CellShare, 8}, {CellConc, 9},  {CellDeviation, 6}};
    // The peaks of the open chromatogram, as far as the grid has rows for them: a grid that shows
    // another table (a summary, an averaged table) adds no rows of its own.
    const size_t rows = std::min(static_cast<size_t>(std::max(peakCount, 0)) + 1, grid.size());
    for (size_t r = 1; r < rows; ++r) {
        std::string line;
        for (const auto& [c, w] : widths) line += fitted(cell(grid, r, c), w) + "\t";
        out.push_back(line + cutText(cell(grid, r, CellName), 128) + "\r");
    }
    return out;
}

std::string WriteWordProtocol(const StartFolder& start, const AnalysisProtocolInput& input) {
    const fs::path blank = start.file("doc", "pr.docx");
    if (!fs::is_regular_file(blank)) return RU("Нет бланка \\doc\\pr.docx");
    std::optional<WordDocument> doc;
    try {
        doc.emplace(WordDocument::fromBlank(blank));
    } catch (const BlankError& e) {
        return e.message();
    }
    std::vector<std::string> passport = readLines(start.file("results", "pasp.txt"), 128);
    passport.resize(14);

    doc->insert(RU("Протокол хроматографического анализа №") + "\r\r");
    doc->insert(RU("Хроматограмма ") + input.FileName + "\r");
    doc->insert(input.Comment + "\r\r");
    for (const std::string& line : passport) doc->insert(line + "\r");
    doc->insert("\r\r");
    doc->insert(RU("Результаты анализа.") + "\r\r");
    doc->insertPicture(start.file("results", "fig.gif"));
    doc->insert("\r\r");
    for (const std::string& text : wordTableTexts(input.Grid, input.PeakCount)) doc->insert(text);
    start.ensureFolder("results");
    doc->saveAs(wordProtocolPath(start));
    return {};
}

// --- The workbook --------------------------------------------------------------------------

namespace {

// A layout cell that must hold a row (or column) number: a whole number in the sheet's range.
std::optional<int> layoutNumber(Sheet& layout, int row, int column, bool isRow) {
    const std::optional<double> v = parseStrictReal(layout.text(row, column));
    const int limit = isRow ? kMaxSheetRow : kMaxSheetColumn;
    if (!v || *v != std::floor(*v) || *v < 1 || *v > limit) return std::nullopt;
    return static_cast<int>(*v);
}

struct LayoutError {
    std::string message;
};

// The sheet name in a reference: quoted, inner quotes doubled.
std::string quotedSheetName(const std::string& name) {
    std::string out = "'";
    for (char c : name) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

}  // namespace

ExcelProtocolOutcome WriteExcelProtocol(const StartFolder& start, const AnalysisProtocolInput& input) {
    ExcelProtocolSettings settings = LoadExcelProtocolSettings(start, true);
    ExcelProtocolOutcome outcome;
    const fs::path found = findNoCase(start.folder("doc"), settings.BlankName);
    if (settings.BlankName.empty() || !fs::is_regular_file(found)) {
        outcome.Message = RU("Нет бланка \\doc\\") + settings.BlankName;
        return outcome;
    }
    // Every use of the blank's sheets, and the saving that reads them all, gives the blank's
    // own message when one of them is broken.
    std::optional<Workbook> book;
    std::optional<Sheet> pageSheet, layoutSheet;
    try {
        book.emplace(Workbook::fromBlank(found));
        if (book->sheetCount() < 2)
            throw BlankError(RU("Бланк ") + settings.BlankName + RU(": нет второго листа с разметкой"));
        pageSheet.emplace(book->sheet(1));
        layoutSheet.emplace(book->sheet(2));
    } catch (const BlankError& e) {
        outcome.Message = e.message();
        return outcome;
    }
    Sheet& page = *pageSheet;
    Sheet& layout = *layoutSheet;

    auto number = [&](int row, int column, bool isRow) {
        if (auto n = layoutNumber(layout, row, column, isRow)) return *n;
        throw LayoutError{RU("Бланк ") + settings.BlankName + RU(": в ячейке ") + cellReference(row, column) +
                          RU(" второго листа нужен номер ") + (isRow ? RU("строки") : RU("столбца"))};
    };
    auto flag = [&](int column) { return !layout.text(1, column).empty(); };
    auto fitsRows = [&](int64_t r) {
        if (r > kMaxSheetRow)
            throw LayoutError{RU("Бланк ") + settings.BlankName + RU(": протокол не помещается на лист")};
        return static_cast<int>(r);
    };

    try {
        // Every number the layout must give, before anything is written.
        int64_t R = number(1, 1, true);
        std::pair<int, int> numberAt{}, dateAt{};
        if (flag(2)) numberAt = {number(1, 10, true), number(1, 11, false)};
        if (flag(7)) dateAt = {number(1, 12, true), number(1, 13, false)};
        std::vector<std::pair<int, std::pair<int, int>>> values;  // layout row, target
        for (int k = 3; k <= 6; ++k)
            if (!layout.text(k, 5).empty()) values.push_back({k, {number(k, 5, true), number(k, 6, false)}});
        const int64_t tableRows = static_cast<int64_t>(input.Grid.size());
        fitsRows(R + 2 + 16 + 3 + tableRows + 1);

        if (flag(2)) page.setText(numberAt.first, numberAt.second, intText(settings.Number));
        if (flag(3)) page.setText(fitsRows(R++), 1, RU("Хроматограмма ") + input.FileName);
        if (flag(4)) page.setText(fitsRows(R++), 1, input.Comment);
        if (flag(5)) {
            ++R;
            for (int i = 0; i < 14; ++i) {
                page.setText(fitsRows(R + i), 1, input.Passport[static_cast<size_t>(i)].first);
                page.setText(fitsRows(R + i), 4, input.Passport[static_cast<size_t>(i)].second);
            }
            R += 14;
        }
        if (flag(6)) {
            ++R;
            page.setText(fitsRows(R), 1, RU("Результаты анализа"));
            R += 2;
            for (int64_t j = 0; j < tableRows; ++j)
                for (size_t k = 0; k < kPeakTableRowCells; ++k)
                    page.setText(fitsRows(R + j), static_cast<int>(k) + 1, cell(input.Grid, static_cast<size_t>(j), k));
            R += tableRows + 1;
        }
        // The concentrations and names for the blank's own formulas: numbers where they are.
        for (int64_t j = 1; j < tableRows; ++j) {
            const int row = fitsRows(j + 2);
            const std::string conc = cell(input.Grid, static_cast<size_t>(j), CellConc);
            if (const auto v = parseStrictReal(conc))
                layout.setNumber(row, 1, *v);
            else
                layout.setText(row, 1, conc);
            layout.setText(row, 2, cell(input.Grid, static_cast<size_t>(j), CellName));
        }
        if (flag(7)) {
            const size_t blankAt = input.Comment.find(' ');
            page.setText(dateAt.first, dateAt.second,
                         blankAt == std::string::npos ? std::string() : input.Comment.substr(0, blankAt));
        }
        if (flag(8)) page.setText(fitsRows(R), 1, layout.text(1, 14) + settings.Operator);
        // The values of the blank: a formula is referred to, so that the office program
        // computes it from the peak data on opening; a plain value is copied.
        for (const auto& [k, target] : values) {
            if (layout.hasFormula(k, 4))
                page.setFormula(target.first, target.second, quotedSheetName(layout.name()) + "!" + cellReference(k, 4));
            else if (const auto v = parseStrictReal(layout.text(k, 4)))
                page.setNumber(target.first, target.second, *v);
            else if (!layout.text(k, 4).empty())
                page.setText(target.first, target.second, layout.text(k, 4));
        }
    } catch (const LayoutError& e) {
        outcome.Message = e.message;
        return outcome;
    }
    start.ensureFolder("results");
    try {
        book->saveAs(excelProtocolPath(start));
    } catch (const BlankError& e) {
        outcome.Message = e.message();
        return outcome;
    }
    settings.Number = nextProtocolNumber(settings.Number);
    SaveExcelProtocolSettings(start, settings);
    outcome.NewNumber = settings.Number;
    return outcome;
}

// --- Export --------------------------------------------------------------------------------

std::vector<ExportedPoint> exportedPoints(const OpenChromatogram& chrom, double fullScaleV, int requested) {
    std::vector<ExportedPoint> out;
    const int count = chrom.PointCount();
    if (requested < 1 || requested > count) return out;
    const int step = count / requested;
    const double unit = unitFactor(chrom.UnitCode).value_or(1);
    const double secondsPerPoint = chrom.SamplingRate > 0 ? chrom.SamplesPerPoint / chrom.SamplingRate : 0;
    out.reserve(static_cast<size_t>(count / step));
    for (int i = 1; static_cast<int64_t>(i) * step <= count; ++i) {
        const int index = (i - 1) * step;
        out.push_back({index * secondsPerPoint, chrom.Points[index + 1] / 32769.0 * fullScaleV * 1000 * unit});
    }
    return out;
}

std::string ExportPointsToExcel(const StartFolder& start, const OpenChromatogram& chrom, double fullScaleV,
                                const std::string& typedCount, const std::function<void(int)>& progress) {
    const int count = chrom.PointCount();
    const std::optional<int64_t> n = parseStrictInt(typedCount);
    if (!n || *n < 1 || *n > count) return RU("Введите число точек от 1 до ") + intText(count);
    const int requested = static_cast<int>(*n);
    const std::vector<ExportedPoint> points = exportedPoints(chrom, fullScaleV, requested);
    Workbook book;
    Sheet sheet = book.sheet(1);
    int row = 0;
    for (const ExportedPoint& p : points) {
        ++row;
        sheet.setNumber(row, 1, p.TimeSec);
        sheet.setNumber(row, 2, p.Millivolts);
        if (progress) progress(static_cast<int>(std::min<int64_t>(100, roundHalfEven((row + 1) * 100.0 / requested))));
    }
    start.ensureFolder("results");
    book.saveAs(pointsExportPath(start));
    return {};
}

}  // namespace vk7
