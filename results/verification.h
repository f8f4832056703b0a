// The two repeatability checks of the instrument: "Поверка по методу Х" takes the peaks of
// one chromatogram as repeated measurements, "Поверка по методу Y" the rows of the summary
// table of several chromatograms. For heights, areas (and, in Y, retention times) they give
// each value's deviation from the mean and the mean, standard deviation, coefficient of
// variation and relative confidence half-width; the protocols put them into a blank workbook.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "common/paths.h"

namespace vk7 {

enum class VerificationMethod { X, Y };

// The texts of one peak-table row that a check takes, as the table shows them.
struct VerificationInput {
    std::string time;    // t, min (Y)
    std::string height;  // h, mV
    std::string width;   // b, s (X)
    std::string area;    // S, mV*s
};

struct VerificationTable {
    // Rows 1..n of `Grid`: X: number, b, h, S, dh%, dS%; Y: number, t, h, S, dh%, dS%, dt%.
    std::vector<std::vector<std::string>> Grid;
    // Rows 1.. of `Grid2` (heights, areas and in Y times): mean, deviation, V%, d%.
    std::vector<std::array<std::string, 4>> Grid2;
    // Fewer than 3 values: the deviation columns and Grid2 stay empty.
    bool TooFew = false;
};

// Captions of row 0 of Grid and Grid2, and of column 0 of Grid2's rows.
const std::vector<std::string>& verificationGridCaptions(VerificationMethod method);
const std::array<std::string, 5>& verificationGrid2Captions();
const std::vector<std::string>& verificationGrid2RowCaptions(VerificationMethod method);

// "Мало пиков" / "Мало хроматограмм".
std::string tooFewMessage(VerificationMethod method);

// The statistics. Numbers right-aligned with 3 decimals: deviations in 10 characters, means of
// heights in 8 and of areas and times in 10, deviations, V and d in 8; every value is read
// back from its text, the half-width from the deviation's text. A mean of 0 gives "-" for its
// deviations, V and d.
VerificationTable ComputeVerificationX(const std::vector<VerificationInput>& rows);
VerificationTable ComputeVerificationY(const std::vector<VerificationInput>& rows);

// \doc\povx.xlsx / povy.xlsx and \results\povxr.xlsx / povyr.xlsx.
std::filesystem::path verificationBlankPath(const StartFolder& start, VerificationMethod method);
std::filesystem::path verificationResultPath(const StartFolder& start, VerificationMethod method);
// "\doc\povx.xlsx", "\results\povxr.xlsx" for messages.
std::string verificationBlankName(VerificationMethod method);
std::string verificationResultName(VerificationMethod method);

// The chromatogram's name in the Y protocol: cut before ".hrm" in any case.
std::string chromatogramStem(const std::string& fileName);

// Writes the protocol from the blank: `date` at (2,2), the names from (3,3) rightwards, then
// from the first row R0 of 1..64 whose first cell is empty (65 when none is) `Grid` with its
// captions and, after one empty row, `Grid2` with its captions, every cell as text. Returns the
// message for the user when the blank is missing or unusable (nothing is written), else "".
// Throws IoError when the protocol cannot be saved.
std::string WriteVerificationProtocol(const StartFolder& start, VerificationMethod method, const std::string& date,
                                      const std::vector<std::string>& names, const VerificationTable& table);

}  // namespace vk7
