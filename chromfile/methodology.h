// Methodologies: twelve of the processing settings saved under a name as \space\<name>.trp,
// and the editing of the settings in the processing-parameters window (its grid rows, its
// lists and the values typed into it).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chromfile/processing_settings.h"
#include "common/paths.h"

namespace vk7 {

inline constexpr int kMethodologyLines = 12;
inline constexpr size_t kMethodologyNameMax = 12;

// The 12 lines: Тф, tolerance, markup mode, threshold, ident mode, reference peak, quant
// method, C st 1, reference substance, standard peak, area method, C st 2; integers as plain
// text, reals in the 23-character exponent form.
std::vector<std::string> formatMethodology(const ProcessingSettings& settings);
// `settings` with the values of the lines (numbers read leniently and held in their fields,
// codes clamped, peak numbers 0 read as 1, the substance cut to 32 characters); none when
// there are fewer than 12 lines.
std::optional<ProcessingSettings> parseMethodology(const std::vector<std::string>& lines, ProcessingSettings settings);

// The name of a methodology file chosen in a dialog: it must lie directly in \space\; the name
// is the file name less a final ".trp" (any case), 1 .. 12 characters. Refusal holds the
// Russian message otherwise.
struct MethodologyChoice {
    std::string Name;
    std::string Refusal;
    bool ok() const { return Refusal.empty(); }
};
MethodologyChoice methodologyNameOf(const StartFolder& start, const std::filesystem::path& chosen);

// \space\<name>.trp (an existing file found without regard to case).
std::filesystem::path methodologyPath(const StartFolder& start, std::string_view name);

// Reads settings.MethodologyName's file into `settings`. Returns the Russian message when it
// is missing, unreadable or has fewer than 12 lines ("Нет файла методики " + name, "Файл
// методики " + name + " испорчен"); `settings` is then unchanged.
std::string LoadMethodology(const StartFolder& start, ProcessingSettings& settings);
// Writes the file of settings.MethodologyName (creating \space when needed). Throws IoError.
void SaveMethodology(const StartFolder& start, const ProcessingSettings& settings);
// "Методикa " + file name + " уже есть. Переписать?"
std::string OverwriteMethodologyQuestion(std::string_view name);

// --- The parameter grid ---

inline constexpr int kParameterRows = 12;
struct ParameterRow {
    std::string Caption;
    std::string Value;
};
// The 12 rows as the grid shows them; rows 5-6 are empty unless IdentMode is 1, rows 8-9
// unless QuantMethod is 1.
std::vector<ParameterRow> parameterGridRows(const ProcessingSettings& settings);
// The choices of the list rows (2, 3, 7, 10) in the order of their codes; empty for others.
std::vector<std::string> parameterChoices(int row);
// A choice of a list row: its code into the setting; the methodology becomes "?".
void SetParameterChoice(ProcessingSettings& settings, int row, int index);
// A text typed into a value cell: rows 0, 1, 4, 5, 8 as numbers held in their fields, row 6
// the substance, row 9 the two standard concentrations (a half whose text equals that half
// of `shownRow9` keeps its value). The methodology becomes "?". Other rows change nothing.
void SetTypedParameter(ProcessingSettings& settings, int row, std::string_view text, std::string_view shownRow9 = {});
// Row 9's text: C st 1 right-aligned in 7 with 2 decimals, "/", C st 2 in 7 with 3.
std::string standardConcText(double conc1, double conc2);
// Whether a change of the row asks for the chromatogram to be read again (not row 9).
bool rowAsksReread(int row);

}  // namespace vk7
