// Averaging of repeated analyses: the summary table \results\tabsum.txt of the several-files
// mode holds one block of rows per analysis, each numbered from 1; the averaged table has
// one row per row number with the mean of every column and, for the concentration, the
// confidence half-width d% = k(n) * s / sqrt(n) * 100 / mean C. It is written as
// \results\tablr.txt, which then takes the name tabl.txt.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"

namespace vk7 {

// The averaged table from the lines of a summary table: the refusal ("Некорректные данные: "
// and the reason) with the four head lines of the averaged table when the blocks do not make
// a set of repeated analyses of the same substances, else the lines of the averaged table.
// Whole blank lines are ignored. The reasons, the first that applies: "однократный анализ",
// "много строк (>32)", "некратное число строк" (blocks of unequal length), "нарушена
// нумерация строк", "разные вещества в строке N".
struct AveragedTable {
    std::optional<std::string> Refusal;
    std::vector<std::string> Lines;
};
AveragedTable averageSummaryLines(const std::vector<std::string>& summaryLines, int decimals);

// Reads tabsum.txt, writes tablr.txt and renames it over tabl.txt. Returns the refusal text,
// or nothing when the averaged table now is tabl.txt; after a refusal tablr.txt holds the
// four head lines and tabl.txt is unchanged. Throws IoError (a missing tabsum.txt among them).
std::optional<std::string> AverageAnalyses(const StartFolder& start, int decimals);

}  // namespace vk7
