// Chromatogram models: an artificial chromatogram given by its length, its point interval, a
// title, a noise amplitude and a list of bi-Gaussian peaks; its model file \space\<name>.mod,
// the file mod.dat naming the current model, the peak grid's texts and edits, and the
// synthesis of the curve in 16-bit counts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/numbered_array.h"
#include "common/paths.h"

namespace vk7 {

constexpr double kModelFullScale = 0.15625;  // volts of 32768 counts (gain code 4)
constexpr int kMaxChromatogramModelPeaks = 255;
constexpr int kMaxModelPoints = 32768;
constexpr int kMaxModelLengthSec = 32767;
constexpr int kMaxOversampling = 255;
constexpr size_t kMaxModelNameChars = 80;

// Columns 1 to 4 of a peak row of the grid, as texts: retention time t in minutes, width W
// in seconds, asymmetry A (right half-width / left half-width), height H in millivolts.
using ModelRow = std::array<std::string, 4>;
namespace model_col {
constexpr int T = 0, W = 1, A = 2, H = 3;
}

// A row's numbers, read leniently from its texts.
struct ModelPeakValues {
    double t = 0, W = 0, A = 0, H = 0;
};
ModelPeakValues peakValues(const ModelRow& row);

struct ChromatogramModel {
    int ModelLength = 0;            // seconds
    int ModelPointInterval = 250;   // milliseconds as shown and stored (62, 125, 188, 250, ...)
    int OversamplingFactor = 4;     // samples per model point at 16 samples per second
    int ModelPointCount = 0;        // N
    std::string ModelTitle;         // at most 80 characters, kept and written back
    double ModelNoise = 0;          // millivolts
    std::vector<ModelRow> Rows;     // the peak rows in grid order
    NumberedArray<int16_t> ModelCurve;  // points 1 to N
    std::string ModelName;          // file name in \space\ (Windows-1251)
    bool ModelModified = false;

    int ModelPeakCount() const { return static_cast<int>(Rows.size()); }
    // The interval the synthesis uses: the factor's exact 1/16 s steps (62.5 ms for 1).
    double exactIntervalMs() const { return OversamplingFactor * 62.5; }
};

// A number the program puts into the grid: right-aligned in 12 with 3 decimals.
std::string modelCellText(double v);
// Column 0 of row r (from 1): r right-aligned in 6, " База" when W > 0.2 x length.
std::string modelRowLabel(int r, const ModelRow& row, int lengthSec);

// Factor from the interval (Round(interval x 16 / 1000), 1 when below 1), then the interval
// from the factor, then N. Does not synthesise.
void SetupModelInterval(ChromatogramModel& m);
// SetupModelInterval and SynthesizeModel: what follows every load.
void SetupModel(ChromatogramModel& m);

// The first row (from 1) that the check refuses: a t, W, A or H that reads as zero, a
// negative t, W or A, or one that does not show whole in its 12 characters (t, W, A or H of
// 100000000 or more, H of -10000000 or less); nullopt when every row is fine.
std::optional<int> CheckModelGrid(const std::vector<ModelRow>& rows);
// "Исправьте строку " + r + " таблицы".
std::string modelRowMessage(int row);

// ModelCurve from the rows: each bi-Gaussian added within four rounded widths of its apex,
// only on points 1 to N, limited to 16 bits; rows the check refuses add nothing.
void SynthesizeModel(ChromatogramModel& m);

// The longest length in seconds the interval allows (at most 32768 points, at most 32767 s).
int maxModelLength(const ChromatogramModel& m);
// "Длина модели должна быть от 1 с до " + limit in minutes + " мин" when `seconds` is
// outside 1 .. maxModelLength; nullopt when it is fine.
std::optional<std::string> modelLengthProblem(const ChromatogramModel& m, int64_t seconds);
// The change of length: every row's t and W scaled by new / old length, the length set,
// ModelModified set. Refused (nothing changed) with the message above.
std::optional<std::string> ChangeModelLength(ChromatogramModel& m, double minutes);

// Row edits of the table view (index from 0). A delete out of range does nothing; an
// insert copies the selected row's texts (at the end when `index` is past the rows) and is
// refused with "В модели не может быть больше 255 пиков" when the model is full.
void DeleteModelRow(ChromatogramModel& m, int index);
std::optional<std::string> InsertModelRow(ChromatogramModel& m, int index);
// A new peak placed before the first row with a later t (after the last when none).
std::optional<std::string> InsertModelPeak(ChromatogramModel& m, const ModelPeakValues& peak);
std::string tooManyPeaksMessage();
// The row (from 0) whose t is nearest to `minutes` (ties to the earlier row), -1 when none.
int nearestModelRow(const ChromatogramModel& m, double minutes);

// A real of the model file: the shortest digits that read back as exactly `v`, in the
// exponent form of 23 characters (sign or blank, digit, point, 14 digits, "E", sign, four
// exponent digits) where they fit, else in at most 23 characters.
std::string modelRealText(double v);
// The model file's lines: length, interval, title, noise, then x, a, b, H per row.
std::vector<std::string> modelFileLines(const ChromatogramModel& m);

// A model file read into a new model (ModelName set, the rows' texts as the grid shows
// them, not yet set up). Refusals are messages for an information box: ModelName +
// " отсутствует" for a missing file, ModelName + " испорчен: " + reason for a length or
// interval the model cannot hold or more than 255 peaks.
struct ModelLoad {
    std::optional<ChromatogramModel> Model;
    std::string Refusal;
};
ModelLoad LoadModelFile(const StartFolder& start, const std::string& modelName);
// Writes \space\<ModelName> through the safe rewrite and clears ModelModified.
void SaveModelFile(const StartFolder& start, ChromatogramModel& m);

// The model name of a path chosen in the save or open dialog: the whole file name with
// ".mod" appended unless it ends so in any case. Refusals: "Файл модели должен находиться в
// папке space" and "Имя файла модели должно содержать от 1 до 80 знаков".
struct ModelNameChoice {
    std::string Name;
    std::string Refusal;
};
ModelNameChoice modelNameFromChosenPath(const StartFolder& start, const fs::path& chosen);

// Line 1 of \space\mod.dat (at most 80 characters); empty when the file is missing.
std::string readCurrentModelName(const StartFolder& start);
void writeCurrentModelName(const StartFolder& start, const std::string& name);

}  // namespace vk7
