// The fixed columns of the result tables \results\tabl.txt, tabsum.txt and tablr.txt, and the
// one reader of their rows that every consumer uses (the peak-table window, averaging,
// normalisation and recalculation, protocols, topics).
//
// A table is four head lines (the title, an empty line, the column line, an empty line) and
// one row per peak in fixed columns counted from 1:
//   1-3 N, 4-11 t, 12-21 h, 22-28 b, 29-36 K, 37-46 S, 47-54 S%, 55-64 C, 65-74 d%,
//   75.. the substance name (at most 32 characters).
// The writers keep every value inside its columns, so a column's text is read on its own.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vk7 {

enum class TableColumn : int { Number, Time, Height, Width, Asymmetry, Area, Share, Conc, Deviation, Name };
inline constexpr int kTableColumnCount = 10;

struct ColumnSpan {
    size_t first;  // first column, counted from 1
    size_t width;
};
// The span of a column; the name's width is its longest length.
ColumnSpan columnSpan(TableColumn column);

inline constexpr int kTableHeadLines = 4;
inline constexpr size_t kTableNameMax = 32;

// The text of a column of a row line as it stands, blanks included; shorter when the line
// ends inside the column, empty when it ends before it.
std::string_view columnText(std::string_view line, TableColumn column);
// The text without the blanks at its end (names are padded in the tables and in komp.dat).
std::string_view trimTrailingBlanks(std::string_view text);
// The number in a column, read leniently (an empty or unreadable column gives 0).
double columnValue(std::string_view line, TableColumn column);

// A value in its column group, the text `groupWidth` characters wide: right-aligned in
// `valueWidth` with `decimals` (the blanks before it up to `groupWidth` separate it from the
// previous value). With `expForLarge` a value of 100000 or more takes the exponent form of the
// whole group (" 1.2346E+5" in 10 columns); a value too wide for its columns loses decimals,
// then may take the separating blanks, and only then takes the exponent form. The exponent
// form keeps four significant digits wherever the group holds them (a positive value gives
// its leading blank to them: "1.235E+8" in 8 columns), else as many as fit. A value too wide
// for the group in every form (only in groups narrower than 8) is written as the largest
// whole number the group holds. Every writer of the result tables builds its columns with
// this, so that columnText reads each value whole and no later column shifts.
std::string tableFieldText(double v, int valueWidth, int groupWidth, int decimals, bool expForLarge);

// One row line read into values.
struct TableRow {
    int Number = 0;
    double Time = 0;       // minutes, or the ratio to the reference peak
    double Height = 0;     // mV
    double Width = 0;      // s
    double Asymmetry = 0;  // 0 where the row shows "-"
    double Area = 0;       // mV x s
    double Share = 0;      // %
    double Conc = 0;       // 0 where the row shows "-"
    std::string Deviation; // the d% column as it stands
    std::string Name;      // from column 75, at most 32 characters
};
TableRow readTableRow(std::string_view line);

// A table file split into its head lines (fewer when the file is shorter) and its row lines.
struct TableText {
    std::vector<std::string> Head;
    std::vector<std::string> Rows;
};
TableText splitTableText(std::vector<std::string> lines);
// Reads a table file. Throws IoError when it cannot be read.
TableText readTableText(const std::filesystem::path& file);

}  // namespace vk7
