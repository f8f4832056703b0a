#include "processing/peak_table.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "chromfile/markup_store.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

constexpr size_t kCommentMax = 128;
constexpr size_t kTitleMax = 128;

// The cell of a column group: its text without the separating blanks (as many of the
// `separators` leading blanks as it has).
std::string cellText(std::string field, int separators) {
    int drop = 0;
    while (drop < separators && drop < static_cast<int>(field.size()) && field[static_cast<size_t>(drop)] == ' ')
        ++drop;
    return field.substr(static_cast<size_t>(drop));
}

std::string cellFor(double v, int valueWidth, int fieldWidth, int decimals, bool expForLarge) {
    return cellText(tableFieldText(v, valueWidth, fieldWidth, decimals, expForLarge), fieldWidth - valueWidth);
}

bool isGroupMember(char type) { return type == 'B' || type == 'G' || type == 'E'; }

int clampDecimals(int d) { return d < 0 ? 0 : (d > 5 ? 5 : d); }

// The settings the table is computed with: an internal standard whose peak does not exist
// gives the table of the absolute calibration.
ProcessingSettings effectiveSettings(const PeakMarkup& markup, const ProcessingSettings& settings, bool& invalid) {
    ProcessingSettings s = settings;
    invalid = s.QuantMethod == 1 && !markup.Peaks.valid(s.StandardPeakNo);
    if (invalid) s.QuantMethod = 0;
    return s;
}

}  // namespace

// ---- rows ----

std::string peakTableLine(const std::array<std::string, kPeakTableRowCells>& c) {
    std::string line;
    line += c[CellNumber];
    line += c[CellTime];
    line += padLeft(c[CellHeight], 10);
    line += padLeft(c[CellWidth], 7);
    line += padLeft(c[CellAsymmetry], 8);
    line += padLeft(c[CellArea], 10);
    line += padLeft(c[CellShare], 8);
    line += padLeft(c[CellConc], 10);
    line += padRight(c[CellDeviation], 10);
    line += c[CellName];
    return line;
}

std::string concCellText(double conc, int decimals) { return cellFor(conc, 9, 10, clampDecimals(decimals), true); }

std::vector<std::string> peakTableGridCells(const PeakTableRow& row, bool summary) {
    std::vector<std::string> cells(row.Cells.begin(), row.Cells.end());
    cells[CellNumber] = intText(row.Peak, summary ? 3 : 4);
    cells.push_back(CalculatedStatusText());
    return cells;
}

PeakTable BuildPeakTable(const OpenChromatogram& chrom, const PeakMarkup& markup, const ProcessingSettings& settings) {
    PeakTable table;
    const ProcessingSettings s = effectiveSettings(markup, settings, table.StandardPeakInvalid);
    table.InternalStandard = s.QuantMethod == 1;
    if (table.InternalStandard) table.StandardFactor = InternalStandardFactor(markup, s);

    const double secPerPoint = chrom.SamplingRate > 0 ? chrom.SamplesPerPoint / chrom.SamplingRate : 0;
    const double mvPerCount = 10000.0 / 32768.0 / 64.0 * chrom.SignalMultiplier * std::pow(10.0, chrom.UnitCode);
    const int n = markup.PeakCount();

    // Relative times need an existing reference peak with a time; otherwise minutes.
    double referenceSec = 0;
    if (s.IdentMode == 1 && markup.Peaks.valid(s.ReferencePeakNo))
        referenceSec = markup.Peaks[s.ReferencePeakNo].Apex * secPerPoint;
    const bool relative = referenceSec > 0;

    double shareBase = 1;
    if (table.InternalStandard) {
        const double standardArea = markup.Peaks[s.StandardPeakNo].Area;
        shareBase = standardArea == 0 ? 1 : standardArea;
    } else {
        shareBase = markup.TotalArea == 0 ? 1 : markup.TotalArea;
    }

    const int decimals = clampDecimals(s.Decimals);
    for (int i = 1; i <= n; ++i) {
        const Peak& p = markup.Peaks[i];
        PeakTableRow row;
        row.Peak = i;
        row.TimeSec = p.Apex * secPerPoint;
        row.HeightMv = p.Height * mvPerCount;
        row.WidthSec = (p.End - p.Start) * secPerPoint;
        if (!isGroupMember(p.Type)) {
            const int rise = p.Apex - p.Start;
            const double k = static_cast<double>(p.End - p.Apex) / (rise == 0 ? 1 : rise);
            row.Asymmetry = static_cast<double>(roundHalfEven(k * 10)) / 10;
        }
        row.AreaMvs = p.Area * secPerPoint * mvPerCount;
        row.SharePct = p.Area * 100 / shareBase;
        row.Conc = ReportedConcentration(markup, i, s, table.StandardFactor);

        auto& c = row.Cells;
        c[CellNumber] = intText(i, 3);
        c[CellTime] = relative ? cellFor(row.TimeSec / referenceSec, 8, 8, 3, false)
                               : cellFor(row.TimeSec / 60, 8, 8, 2, false);
        c[CellHeight] = cellFor(row.HeightMv, 9, 10, 3, true);
        c[CellWidth] = cellFor(row.WidthSec, 5, 7, 1, false);
        c[CellAsymmetry] = row.Asymmetry ? cellFor(*row.Asymmetry, 8, 8, 1, false) : std::string("   -    ");
        c[CellArea] = cellFor(row.AreaMvs, 9, 10, 3, true);
        c[CellShare] = cellFor(row.SharePct, 8, 8, 2, true);
        c[CellConc] = row.Conc ? concCellText(*row.Conc, decimals) : std::string("    - ");
        c[CellDeviation] = " -";
        c[CellName] = cutText(p.Name, 32);
        table.Rows.push_back(std::move(row));
    }
    return table;
}

// ---- texts and files ----

const std::string& PeakTableColumnLine() {
    return RU(" N     t,мин    h,мВ    b,с     K асс     S,мВ.с   S,%   C, 1/см3 d, %    Вещество");
}

std::string peakTableTitle(std::string_view fileName, std::string_view comment) {
    return RU("Хроматограмма ") + std::string(fileName) + " " + std::string(comment);
}

std::string summaryTableTitle(const std::vector<std::string>& fileNames) {
    std::string title = RU("Суммарная таблица ");
    for (const std::string& name : fileNames) title += name + " ";
    return cutText(title, kTitleMax);
}

std::vector<std::string> peakTableLines(std::string_view title, const std::vector<PeakTableRow>& rows) {
    std::vector<std::string> lines{blankControls(title), "", PeakTableColumnLine(), ""};
    for (const PeakTableRow& row : rows) lines.push_back(peakTableLine(row.Cells));
    return lines;
}

std::filesystem::path peakTablePath(const StartFolder& start) { return start.file("results", "tabl.txt"); }
std::filesystem::path summaryTablePath(const StartFolder& start) { return start.file("results", "tabsum.txt"); }

void WritePeakTableText(const StartFolder& start, std::string_view title, const std::vector<PeakTableRow>& rows) {
    writeLines(findNoCase(start.ensureFolder("results"), "tabl.txt"), peakTableLines(title, rows));
}

void WriteSummaryTableText(const StartFolder& start, std::string_view title, const std::vector<PeakTableRow>& rows) {
    writeLines(findNoCase(start.ensureFolder("results"), "tabsum.txt"), peakTableLines(title, rows));
}

std::string standardCommentTail(double conc1, double conc2) {
    return " Cst=" + fixedText(conc1, 7, 3) + "/" + fixedText(conc2, 7, 3);
}

std::string commentWithStandardTail(std::string_view comment, double conc1, double conc2) {
    const std::string tail = standardCommentTail(conc1, conc2);
    std::string_view before = comment.substr(0, std::min(comment.find(" Cst="), comment.size()));
    if (tail.size() >= kCommentMax) return cutText(tail, kCommentMax);
    return cutText(before, kCommentMax - tail.size()) + tail;
}

std::vector<std::string> substanceNames(const std::vector<std::string>& gradLines) {
    std::vector<std::string> names;
    for (const std::string& line : gradLines) {
        std::string name = cutText(parseCalibrationPoint(line).name, 32);
        if (name.empty()) continue;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    names.push_back("?");
    return names;
}

std::vector<std::string> LoadSubstanceNames(const StartFolder& start) {
    const auto lines = readLinesIfExists(start.file("space", "grad.dat"));
    return substanceNames(lines ? *lines : std::vector<std::string>{});
}

// ---- the Enter sequence ----

const std::string& CompleteClippedPeaksQuestion() { return RU("Достраивать зашкаленные пики ?"); }
const std::string& NoMarkedPeaksText() { return RU("Нет отмеченных пиков."); }
const std::string& InvalidStandardPeakText() {
    return RU("Неверен номер пика стандарта. Концентрации рассчитаны по абсолютной градуировке.");
}
const std::string& PeakTableCaption() { return RU("Таблица пиков"); }
const std::string& CalculatedStatusText() { return RU("Расчет"); }

bool AsksToCompleteClippedPeaks(const ProcessingState& state) {
    return state.ProgramMode != ModePeakTable && state.Markup.PeakCount() > 0 && HasOverloadedPeaks(state.Markup);
}

namespace {

void appendSummary(ProcessingState& state, PeakTableContent& content) {
    // Rows beyond the counter belong to an earlier list (the several-files open resets it).
    const int keep = std::clamp(state.SummaryRows, 0, static_cast<int>(content.Summary.size()));
    content.Summary.resize(static_cast<size_t>(keep));
    while (!content.SummaryFiles.empty() && content.SummaryFiles.back().FirstRow >= keep)
        content.SummaryFiles.pop_back();
    content.SummaryFiles.push_back({keep, state.Settings.FileName});
    content.Summary.insert(content.Summary.end(), content.Table.begin(), content.Table.end());
    state.SummaryRows = keep + static_cast<int>(content.Table.size());
}

}  // namespace

PeakTableResult ShowPeakTable(ProcessingState& state, PeakTableContent& content, bool completeClipped,
                              const PeakTableOutputs& outputs) {
    PeakTableResult result;
    if (state.ProgramMode == ModePeakTable) {
        result.Outcome = PeakTableOutcome::AlreadyShown;
        return result;
    }
    if (state.Markup.PeakCount() == 0) {
        result.Outcome = PeakTableOutcome::NoPeaks;
        result.Notices.push_back(NoMarkedPeaksText());
        return result;
    }

    const std::filesystem::path file = state.openFilePath();
    CloseGroups(state.Markup);
    // The point numbers belong to the averaging they were read at, whatever Тф was typed since.
    const int readAveragingMs = averagingForWidth(state.Chrom.SamplesPerPoint, state.Chrom.SamplingRate);
    SaveMarkup(file, state.Start, state.Chrom, state.Markup, readAveragingMs, state.View.VerticalZoom);
    if (outputs.SaveFigureGif) outputs.SaveFigureGif();

    // The computing works on a copy, committed when every step has succeeded.
    ProcessingState work = state;
    SubtractBaseline(work);
    if (outputs.WritePassportText) outputs.WritePassportText();
    content.NormalisedShown = false;
    if (completeClipped && HasOverloadedPeaks(work.Markup)) result.Clipped = ReconstructClippedPeaks(work);
    ComputePeakAreas(work);
    ComputeConcentrations(work);

    PeakTable table = BuildPeakTable(work.Chrom, work.Markup, work.Settings);
    if (table.StandardPeakInvalid) result.Notices.push_back(InvalidStandardPeakText());
    if (table.InternalStandard) {
        const std::string comment = commentWithStandardTail(state.Chrom.CommentText, state.Settings.StandardConc1,
                                                            state.Settings.StandardConc2);
        if (comment != state.Chrom.CommentText) state.Chrom.CommentText = SaveComment(file, comment);
        work.Chrom.CommentText = state.Chrom.CommentText;
    }
    const std::string title = peakTableTitle(state.Settings.FileName, state.Chrom.CommentText);
    WritePeakTableText(state.Start, title, table.Rows);
    std::vector<std::string> names = LoadSubstanceNames(state.Start);

    state.Chrom.Points = std::move(work.Chrom.Points);
    state.Chrom.UnitCode = work.Chrom.UnitCode;
    state.Markup = std::move(work.Markup);
    state.View.ZeroOffset = work.View.ZeroOffset;
    state.View.VerticalZoom = work.View.VerticalZoom;
    state.View.OverlayCount = 0;
    state.ProgramMode = ModePeakTable;

    content.Title = title;
    content.Table = std::move(table.Rows);
    content.StandardFactor = table.StandardFactor;
    content.SubstanceNames = std::move(names);

    if (state.ListMode) {
        appendSummary(state, content);
        if (state.ListIndex < state.ListCount() - 1) {
            result.Outcome = PeakTableOutcome::NextFile;
            result.NextFileIndex = state.ListIndex + 1;
            return result;
        }
        CompleteSummary(state, content);
        result.Outcome = PeakTableOutcome::SummaryShown;
        return result;
    }
    content.SummaryShown = false;
    content.Caption = PeakTableCaption();
    result.Outcome = PeakTableOutcome::TableShown;
    return result;
}

void CompleteSummary(const ProcessingState& state, PeakTableContent& content) {
    const int rows = std::clamp(state.SummaryRows, 0, static_cast<int>(content.Summary.size()));
    content.Summary.resize(static_cast<size_t>(rows));
    std::vector<std::string> names;
    for (const auto& block : content.SummaryFiles)
        if (block.FirstRow < rows) names.push_back(block.FileName);
    content.Caption = summaryTableTitle(names);
    WriteSummaryTableText(state.Start, content.Caption, content.Summary);
    content.SummaryShown = true;
}

bool AssignSubstance(ProcessingState& state, PeakTableContent& content, int peak, std::string_view name) {
    if (content.SummaryShown || !state.Markup.Peaks.valid(peak)) return false;
    PeakMarkup markup = state.Markup;
    markup.Peaks[peak].Name = cutText(name, 32);
    RewritePeakTable(state, content, std::move(markup));
    return true;
}

void RewritePeakTable(ProcessingState& state, PeakTableContent& content, PeakMarkup markup) {
    const auto gradLines = readLines(state.Start.file("space", "grad.dat"));
    const AreaScale scale{state.Chrom.UnitCode, state.Chrom.SignalMultiplier, state.Chrom.SamplesPerPoint,
                          state.Chrom.SamplingRate};
    ComputeConcentrations(markup, CalibrationSlots(gradLines), scale);
    PeakTable table = BuildPeakTable(state.Chrom, markup, state.Settings);
    WritePeakTableText(state.Start, content.Title, table.Rows);
    state.Markup = std::move(markup);
    content.Table = std::move(table.Rows);
    content.StandardFactor = table.StandardFactor;
}

}  // namespace vk7
