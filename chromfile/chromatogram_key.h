// The chromatogram key: the text line that describes the recording conditions of a
// chromatogram. Its first 48 characters identify the conditions wherever keys are compared
// (the markup store, stt.dat, calibration tables); columns 49-67 carry R, the unit code and
// the signal multiplier that the calibration archive keeps beside them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "chromfile/chromatogram_file.h"

namespace vk7 {

// Characters of a key that identify the conditions.
inline constexpr size_t kKeyConditionChars = 48;

// The key of an open chromatogram, normally 67 characters:
//   1 "#", 2-3 detector, 4-5 gas, 6-8 column (dictionary line numbers), 9-36 the seven
//   passport numbers (4 each), 37-44 "   0   0", 45-48 "sm" entry, 49-58 R in the exponent
//   form, 59-60 " 4", 61-62 unit code, 63-67 signal multiplier.
// Every number is right-aligned in its field and never cut: a wider value shifts the
// columns after it.
std::string BuildChromatogramKey(const OpenChromatogram& chrom);

// Whether `line` names the same conditions as `key`: both have at least 48 characters and
// the first 48 are equal (exactly: case and blanks count).
bool sameKeyConditions(std::string_view line, std::string_view key);

}  // namespace vk7
