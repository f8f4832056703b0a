// The analysis protocol as a document (\doc\pr.docx filled and saved as \results\prot.docx)
// and as a workbook (the blank named in \space\protex.dat, steered by its second sheet, saved
// as \results\prot.xlsx), their settings, and the export of the points of the open
// chromatogram to \results\points.xlsx.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "common/paths.h"

namespace vk7 {

// --- Settings of the workbook protocol (\space\protex.dat) -----------------------------------

struct ExcelProtocolSettings {
    std::string BlankName = "prot.xlsx";  // a file in \doc\, at most 32 characters
    int Number = 1;                       // 0..65535
    std::string Operator;                 // at most 64 characters
};
inline constexpr size_t kMaxBlankNameChars = 32;
inline constexpr size_t kMaxOperatorChars = 64;

std::filesystem::path excelProtocolSettingsPath(const StartFolder& start);
// The three lines; a missing file gives the defaults. `strict`: a number that is not plain
// digits up to 65535 throws ConversionError; otherwise it reads leniently (0 when unreadable).
// Throws IoError when the file cannot be read.
ExcelProtocolSettings LoadExcelProtocolSettings(const StartFolder& start, bool strict);
void SaveExcelProtocolSettings(const StartFolder& start, const ExcelProtocolSettings& settings);
// The number after `number`: 65535 is followed by 0.
int nextProtocolNumber(int number);

// A blank chosen in the file dialog: its name when it lies directly in the start folder's
// \doc\, else the refusal ("Бланк должен лежать в папке \doc\", "Имя бланка длиннее 32 символов").
struct BlankChoice {
    std::string Name;
    std::string Refusal;
};
BlankChoice chooseExcelBlank(const StartFolder& start, const std::filesystem::path& chosen);

// --- The protocols -----------------------------------------------------------------------------

// What the protocols take from the program: the peak table's grid as shown (row 0 the
// captions, then one row per table row, columns N .. Статус), the number of marked peaks of
// the open chromatogram and the passport grid.
struct AnalysisProtocolInput {
    std::string FileName;
    std::string Comment;
    std::vector<std::vector<std::string>> Grid;
    int PeakCount = 0;
    std::array<std::pair<std::string, std::string>, 14> Passport;  // caption, value of rows 0..13
};

// The texts inserted for the table: the caption line and one line for each of the grid rows 1
// to `peakCount` (fewer when the grid has fewer), each ending with CR; the cells padded with
// blanks on the right to their widths or cut to their last characters.
std::vector<std::string> wordTableTexts(const std::vector<std::vector<std::string>>& grid, int peakCount);

// Fills \doc\pr.docx and saves \results\prot.docx. Returns the message for a missing or
// unusable blank (nothing written), else "". Throws IoError (pasp.txt, fig.gif, the save).
std::string WriteWordProtocol(const StartFolder& start, const AnalysisProtocolInput& input);

// Fills the blank of protex.dat and saves \results\prot.xlsx, then advances the number in
// protex.dat. Returns the message for a missing or unusable blank or a layout cell that must
// hold a row or column number (nothing written, the number kept), else "". Throws
// ConversionError for a protocol number that is no whole number, IoError.
struct ExcelProtocolOutcome {
    std::string Message;
    int NewNumber = 0;  // after a protocol was written
};
ExcelProtocolOutcome WriteExcelProtocol(const StartFolder& start, const AnalysisProtocolInput& input);

std::filesystem::path wordProtocolPath(const StartFolder& start);   // \results\prot.docx
std::filesystem::path excelProtocolPath(const StartFolder& start);  // \results\prot.xlsx

// --- Export of points --------------------------------------------------------------------------

std::filesystem::path pointsExportPath(const StartFolder& start);  // \results\points.xlsx

// The rows of an export of about `requested` points: step = count div requested; rows
// i = 1, 2, ... while i * step <= count, each the point at (i - 1) * step (0-based) with its
// time in seconds (index * samples per point / rate) and voltage in millivolts (the point /
// 32769 * full scale * 1000 * 10^unit code).
struct ExportedPoint {
    double TimeSec = 0;
    double Millivolts = 0;
};
std::vector<ExportedPoint> exportedPoints(const OpenChromatogram& chrom, double fullScaleV, int requested);

// Reads N from the typed text: a whole number 1..count, else the message
// "Введите число точек от 1 до <count>" (nothing written). Otherwise writes the rows into a new
// workbook saved as \results\points.xlsx; `progress` gets 0..100 after each row.
std::string ExportPointsToExcel(const StartFolder& start, const OpenChromatogram& chrom, double fullScaleV,
                                const std::string& typedCount, const std::function<void(int)>& progress);

}  // namespace vk7
