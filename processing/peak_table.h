// The peak table of the open chromatogram: one row per peak with its retention time, height,
// width, asymmetry, area, area share, concentration and substance name; the text files
// \results\tabl.txt (the last single table) and \results\tabsum.txt (the summary of the
// several-files mode); the internal standard recorded at the end of the comment; and the
// Enter sequence that builds it all, for the peak-table window to show.
//
// Row layout (columns counted from 1, see table_rows.h): number 1-3, t 4-11 (minutes with 2
// decimals, or the ratio to the reference peak with 3), h 13-21 (3 decimals), b 24-28
// (1 decimal), K 29-36 (1 decimal, "-" for members of a group), S 38-46 (3 decimals), S% 47-54
// (2 decimals), C 56-64 (`Decimals` decimals, "-" for a peak that is not named), d% 65-74
// (" -"), the name from column 75. Every value stays inside the columns the readers take it
// from: a height, area or concentration of 100000 or more is written in the 10-character
// exponent form over its separating blank (columns 12-21, 37-46, 55-64), and a value too wide
// for its columns loses decimals first (a share of 100000 or more among them).
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "chromfile/peak_markup.h"
#include "chromfile/processing_settings.h"
#include "common/paths.h"
#include "processing/areas.h"
#include "processing/processing_state.h"

namespace vk7 {

// Cells of a row as the grid of the peak-table window shows them, and the grid's status
// column after them.
enum PeakTableCell : int {
    CellNumber = 0,
    CellTime,
    CellHeight,
    CellWidth,
    CellAsymmetry,
    CellArea,
    CellShare,
    CellConc,
    CellDeviation,
    CellName,
    CellStatus,
};
inline constexpr int kPeakTableRowCells = 10;  // number .. name
inline constexpr int kPeakTableGridColumns = 11;

// One row of the peak table.
struct PeakTableRow {
    int Peak = 0;  // the peak's number in its chromatogram
    // Cell texts without the separating blanks: the number right-aligned in 3, t (8), h (9),
    // b (5), K (8), S (9), S% (8), C (9, or "    - "), d% (" -"), the name. A value in the
    // exponent form or with a minus sign before a wide number may take its separating blank.
    std::array<std::string, kPeakTableRowCells> Cells;
    // The values behind the texts.
    double TimeSec = 0;
    double HeightMv = 0;
    double WidthSec = 0;
    std::optional<double> Asymmetry;  // none for members of a group
    double AreaMvs = 0;
    double SharePct = 0;
    std::optional<double> Conc;  // none for a peak that is not named
};

// The row line of tabl.txt and tabsum.txt from the cells: cells 0 and 1 as they stand, cell 2
// right-aligned to 10, 3 to 7, 4 to 8, 5 to 10, 6 to 8, 7 to 10, cell 8 left-aligned to 10,
// the name unchanged; a cell longer than its width is written unchanged.
std::string peakTableLine(const std::array<std::string, kPeakTableRowCells>& cells);

// The text of a concentration cell: right-aligned in 9 with `decimals` (0 to 5), a value of
// 100000 or more in the exponent form (" 1.2346E+5" without its separating blank).
std::string concCellText(double conc, int decimals);

// The grid cells of a row: its cells (the number right-aligned in 4 in the table of one
// chromatogram, in 3 in the summary) and the status "Расчет".
std::vector<std::string> peakTableGridCells(const PeakTableRow& row, bool summary);

// The rows of every peak of the open chromatogram.
struct PeakTable {
    std::vector<PeakTableRow> Rows;
    // QuantMethod 1 with a standard peak among the peaks: shares relative to the standard
    // peak's area, concentrations scaled by StandardFactor.
    bool InternalStandard = false;
    // QuantMethod 1 with StandardPeakNo 0 or beyond the peaks: the table is that of QuantMethod 0.
    bool StandardPeakInvalid = false;
    double StandardFactor = 1;
};
PeakTable BuildPeakTable(const OpenChromatogram& chrom, const PeakMarkup& markup, const ProcessingSettings& settings);

// The head lines of the tables.
const std::string& PeakTableColumnLine();  // line 3, 82 characters
// Line 1 of tabl.txt: "Хроматограмма " + file name + " " + comment.
std::string peakTableTitle(std::string_view fileName, std::string_view comment);
// Line 1 of tabsum.txt and the summary window's caption: "Суммарная таблица " and each file
// name followed by a blank, at most 128 characters.
std::string summaryTableTitle(const std::vector<std::string>& fileNames);
// The four head lines and one line per row.
std::vector<std::string> peakTableLines(std::string_view title, const std::vector<PeakTableRow>& rows);

std::filesystem::path peakTablePath(const StartFolder& start);    // \results\tabl.txt
std::filesystem::path summaryTablePath(const StartFolder& start); // \results\tabsum.txt
// Rewrite \results\tabl.txt or tabsum.txt, creating \results when needed. Throw IoError.
void WritePeakTableText(const StartFolder& start, std::string_view title, const std::vector<PeakTableRow>& rows);
void WriteSummaryTableText(const StartFolder& start, std::string_view title, const std::vector<PeakTableRow>& rows);

// The internal standard recorded in the comment: " Cst=" + StandardConc1 + "/" + StandardConc2,
// each right-aligned in 7 with 3 decimals.
std::string standardCommentTail(double conc1, double conc2);
// The comment cut before its first " Cst=" with the tail appended. The comment keeps at most
// 128 characters: the text before the tail is shortened so that the tail stays whole.
std::string commentWithStandardTail(std::string_view comment, double conc1, double conc2);

// The substance picker's items: the names of the calibration points (grad.dat lines), each
// once and in file order, empty names left out, then "?".
std::vector<std::string> substanceNames(const std::vector<std::string>& gradLines);
// The same from \space\grad.dat; a missing file gives only "?". Throws IoError on a failed read.
std::vector<std::string> LoadSubstanceNames(const StartFolder& start);

// What the peak-table window shows, kept between the Enters of the several-files mode.
struct PeakTableContent {
    std::string Caption;           // the window's caption
    std::string Title;             // line 1 of tabl.txt
    std::vector<PeakTableRow> Table;  // the table of the open chromatogram (tabl.txt)
    double StandardFactor = 1;
    // Several-files mode: the rows collected so far, numbered from 1 for each file, and the
    // file each block of rows came from.
    struct SummaryBlock {
        int FirstRow = 0;  // 0-based index of its first row in Summary
        std::string FileName;
    };
    std::vector<PeakTableRow> Summary;
    std::vector<SummaryBlock> SummaryFiles;
    bool SummaryShown = false;  // the grid shows the summary (the substance picker is off)
    bool NormalisedShown = false;
    std::vector<std::string> SubstanceNames;  // the picker's items
};

// The window's callbacks of the Enter sequence; an empty one is skipped.
struct PeakTableOutputs {
    std::function<void()> SaveFigureGif;      // the plot as shown, to \results\fig.gif
    std::function<void()> WritePassportText;  // the passport to \results\pasp.txt
};

enum class PeakTableOutcome {
    AlreadyShown,  // the table was computed already: show the window where it stands
    NoPeaks,       // "Нет отмеченных пиков.": nothing was written
    TableShown,    // one chromatogram: show Content.Table
    NextFile,      // several files: open NextFileIndex; the window is not shown
    SummaryShown,  // several files, the last one done: show Content.Summary
};

struct PeakTableResult {
    PeakTableOutcome Outcome = PeakTableOutcome::AlreadyShown;
    std::vector<std::string> Notices;  // Russian texts for information boxes, in order
    int NextFileIndex = -1;
    ClippedCompletion Clipped;
};

// The question of the Enter sequence, "Достраивать зашкаленные пики ?", is asked when the
// table will be computed and some peak is flagged as clipped.
bool AsksToCompleteClippedPeaks(const ProcessingState& state);
const std::string& CompleteClippedPeaksQuestion();
const std::string& NoMarkedPeaksText();        // "Нет отмеченных пиков."
const std::string& InvalidStandardPeakText();  // the table is computed without the standard
const std::string& PeakTableCaption();         // "Таблица пиков"
const std::string& CalculatedStatusText();     // "Расчет"

// Enter (or "Таблица пиков"): in mode 4 only AlreadyShown. With no peaks NoPeaks. Otherwise
// the groups are closed and the markup saved into the file and the store, the plot saved
// (SaveFigureGif), the base line subtracted, the passport written (WritePassportText), the
// clipped peaks completed when `completeClipped` (the user's answer), areas and
// concentrations computed, the internal standard recorded in the comment (QuantMethod 1 with
// a valid standard peak), tabl.txt written and the substance names loaded. In the
// several-files mode the rows are appended to the summary; unless the file was the last one
// the window opens file NextFileIndex next (the list's index is not changed here), else
// tabsum.txt is written. The point array, the markup and mode 4 are committed only when every
// step succeeded; a file written before a failure stays. Throws IoError, InvalidChromatogram.
PeakTableResult ShowPeakTable(ProcessingState& state, PeakTableContent& content, bool completeClipped,
                              const PeakTableOutputs& outputs);

// Ends the several-files mode's collection: the caption names the files collected,
// tabsum.txt is written and the summary is to be shown. Called by ShowPeakTable after the
// last file, and by the window when the next file of the list cannot be opened.
void CompleteSummary(const ProcessingState& state, PeakTableContent& content);

// The substance picker: peak `peak` gets `name` (cut to 32 characters), the concentrations
// are computed again and tabl.txt rewritten; the caller repaints the plot and saves fig.gif.
// False (nothing changed) while the summary is shown or when there is no such peak.
bool AssignSubstance(ProcessingState& state, PeakTableContent& content, int peak, std::string_view name);

// The table of `markup` as it stands, its areas kept: the concentrations from grad.dat, the
// rows, tabl.txt rewritten under the table's title; then the markup and the rows are
// committed. Used after a substance is picked and after modelled areas replace a group's.
// Throws IoError (nothing committed).
void RewritePeakTable(ProcessingState& state, PeakTableContent& content, PeakMarkup markup);

}  // namespace vk7
