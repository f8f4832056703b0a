// Normalisation and recalculation of the concentration column of the result tables:
// normalisation writes the concentrations as percentages of their sum to \results\tablr.txt;
// the recalculation to normal conditions (0 °C, 101.3 kPa) and the recalculation by
// C' = a*C/b rewrite tabl.txt through tablr.txt. Their parameters are kept in
// \space\klimat.dat (P in kPa, t in °C) and \space\modif.dat (a, b), two lines each in the
// 23-character exponent form.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"

namespace vk7 {

std::filesystem::path normalisedTablePath(const StartFolder& start);  // \results\tablr.txt

// A row line with its concentration (columns 55-64) replaced by `conc`, right-aligned in 10
// with `decimals` (fewer when it would not fit); columns 1-54 and the text from column 65
// are kept. A row whose concentration column holds no number ("-" of an unnamed peak) is
// returned unchanged.
std::string rowWithConc(const std::string& line, double conc, int decimals);

// The normalised table from the lines of tabl.txt or tabsum.txt: the title followed by
// " (нормализация)", the C heading "C, %", every concentration as a percentage of their sum
// (a sum of 0 taken as 1).
std::vector<std::string> normaliseLines(const std::vector<std::string>& lines, int decimals);
// Normalises tabsum.txt in the several-files mode (`listMode`), else tabl.txt, into
// tablr.txt; tabl.txt stays. Throws IoError (a missing source among them).
void NormaliseTable(const StartFolder& start, bool listMode, int decimals);

// The table with every concentration multiplied by `factor` and `suffix` after the title.
std::vector<std::string> recalculatedLines(const std::vector<std::string>& lines, double factor,
                                           std::string_view suffix, int decimals);

struct ClimateValues {
    double Pressure = 101.3;   // kPa
    double Temperature = 20;   // °C
};
struct FormulaCoefficients {
    double A = 1;
    double B = 1;
};
// klimat.dat / modif.dat; a missing file gives the defaults above, unreadable lines 0.
ClimateValues LoadClimate(const StartFolder& start);
void SaveClimate(const StartFolder& start, const ClimateValues& values);
FormulaCoefficients LoadFormulaCoefficients(const StartFolder& start);
// A b of 0 is stored (and used) as 0.001. Returns the coefficients as stored.
FormulaCoefficients SaveFormulaCoefficients(const StartFolder& start, FormulaCoefficients values);

// Why the laboratory conditions cannot be used: "Давление должно быть больше нуля",
// "Температура должна быть выше -273 C"; nothing when they can.
std::optional<std::string> ClimateRefusal(const ClimateValues& values);
// C' = C * 101.3 * (273 + t) / (273 * P)
double NormalConditionsFactor(const ClimateValues& values);

// Title suffixes of the recalculations.
const std::string& NormalConditionsSuffix();  // ". НУ."
const std::string& FormulaSuffix();           // ". Форм."

// Writes `lines` as tablr.txt and renames it over tabl.txt. Throws IoError.
void ReplaceTablThroughTablr(const StartFolder& start, const std::vector<std::string>& lines);

// Rewrite tabl.txt through tablr.txt with the recalculated concentrations. The first returns
// the refusal of the conditions (nothing written) or nothing. Throw IoError.
std::optional<std::string> RecalcNormalConditions(const StartFolder& start, const ClimateValues& values, int decimals);
void RecalcFormula(const StartFolder& start, const FormulaCoefficients& values, int decimals);

}  // namespace vk7
