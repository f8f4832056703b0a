// Topics: the results of repeated analyses of one object of observation over time, one
// column per substance and one row per analysis. A topic lives in \space\<topic>.db; the
// active topic and the defaults of a new one in \space\base.dat.
//
// Topic file, Windows-1251 lines: the kind (0 "Простой" from tabl.txt, 1 "Сложный" from
// tabsum.txt, 2 "Модифицированный" from tablr.txt), the time unit (first character 'd', 'h',
// 'm' or 'n'), a real carried along (5 wide, 1 decimal), the substance keys, a separator of
// 19 '-', then one row per analysis: the file number right-aligned in 5 and a blank (6), the
// date dd.mm.yyyy, " 12:00", and 8 characters per substance.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"

namespace vk7 {

namespace fs = std::filesystem;

inline constexpr int kThemeKinds = 3;
inline constexpr int kThemeMaxSubstances = 13;
inline constexpr size_t kThemeNameMax = 16;
inline constexpr size_t kThemeRowMax = 128;
inline constexpr size_t kThemeKeyMax = 32;
inline constexpr size_t kThemeValueWidth = 8;

// "Простой", "Сложный", "Модифицированный".
const std::string& themeKindName(int kind);
// The kind's table in \results\, the head lines skipped before its rows, the key column.
struct ThemeKindTable {
    std::string FileName;
    int SkippedLines = 0;
    size_t KeyColumn = 0;  // counted from 1
};
ThemeKindTable themeKindTable(int kind);

// \space\base.dat: the active topic and what a new topic gets.
struct ThemeBase {
    int Kind = 0;
    std::string Name;
    std::string TimeUnit = "d";
    double Real = 0;
    bool operator==(const ThemeBase&) const = default;
};
// A missing file gives the defaults above. Throws IoError.
ThemeBase LoadThemeBase(const StartFolder& start);
void SaveThemeBase(const StartFolder& start, const ThemeBase& base);

struct ThemeRow {
    std::string Key;   // columns 1-6
    std::string Date;  // columns 7-16
    std::string Time;  // columns 17-22
    std::vector<std::string> Values;  // 8 characters each
    bool Active = true;  // false: marked, dropped by the next save
};

struct ThemeFile {
    int Kind = 0;
    std::string TimeUnit = "d";
    double Real = 0;
    std::vector<std::string> Substances;
    std::vector<ThemeRow> Rows;
};

ThemeFile parseThemeFile(const std::vector<std::string>& lines);
// The file's lines; rows marked deleted are left out.
std::vector<std::string> formatThemeFile(const ThemeFile& file);
std::string themeRowLine(const ThemeRow& row);

fs::path themeFilePath(const StartFolder& start, std::string_view name);  // \space\<name>.db
// nullopt when the file does not exist. Throws IoError.
std::optional<ThemeFile> LoadThemeFile(const StartFolder& start, std::string_view name);
void SaveThemeFile(const StartFolder& start, std::string_view name, const ThemeFile& file);

// A topic name: 1-16 characters without '.', '/' or '\'.
bool validThemeName(std::string_view name);
const std::string& badThemeNameText();  // "Имя темы: от 1 до 16 символов, без точки и косой черты"

// Days since 1.1.1970 of the date dd.mm.yyyy at the start of `text`, or nullopt.
std::optional<int64_t> dayNumber(std::string_view text);
// The date of a day number, "d.m.yyyy" (no leading zeros).
std::string dateOfDayNumber(int64_t day);

// The analysis date of a chromatogram from the start of its comment: dd.mm. stay, the next
// four characters are the year (below 1999: + 2000); nullopt when that is no valid date.
std::optional<std::string> analysisDate(std::string_view comment);
const std::string& noAnalysisDateText();  // "Нет даты анализа в комментарии"

// The row key of a chromatogram file h<N><letter>.hrm: N right-aligned in 5 and a blank.
// nullopt when N has more than 5 digits.
std::optional<std::string> themeRowKey(std::string_view fileName);
const std::string& fileNumberTooLongText();  // "Номер файла длиннее 5 цифр"
// The file whose number the new row takes: the first name after "Хроматограмма " in line 1
// of tabl.txt when it has one, else `openFileName`.
std::string resultFileName(const std::vector<std::string>& tablLines, std::string_view openFileName);

// The substance key of a table row: at most 32 characters from the kind's key column, read
// as if the d% columns 65-74 held the plain " -"; empty when the line is shorter.
std::string substanceKey(std::string_view line, size_t keyColumn);
// A quantity in 8 characters: 3 decimals, fewer when wider; beyond every fixed form the
// exponent form with four significant digits ("1.235E+8"); nullopt when 8 characters hold
// no form of four significant digits (a negative value beyond -9999999, one of 1E+10 or more).
std::optional<std::string> themeValueText(double value);
const std::string& valueTooWideText();  // "Значение не помещается в 8 знаков"

// The rows of a kind's table after its skipped head lines. Throws IoError (a missing table).
std::vector<std::string> readKindTableRows(const StartFolder& start, int kind);

// What the current result is: whether the tables of kinds 1 and 2 belong to it.
struct CurrentResult {
    std::string FileName;      // the open chromatogram's
    std::string Comment;       // its comment
    bool SummaryWritten = false;  // tabsum.txt was written for it (several-files mode)
    bool NormalisedShown = false; // tablr.txt is its normalised table
};
// The refusal when the kind's table is not the current result's, else empty.
std::string kindTableRefusal(int kind, const CurrentResult& current);

struct AddOutcome {
    bool Added = false;
    std::string Label5;   // "Совпадений" + N (3) + " из" + M (3) + " веществ", when matched
    std::string Message;  // the box to show, when any
};
// Adds the current result as the last row of the topic `name` when its table holds the
// topic's substances in order. Throws IoError.
AddOutcome AddResultToTheme(const StartFolder& start, std::string_view name, const CurrentResult& current);

// ---- new topics ----

struct SelectionRow {
    std::string Key;
    std::string Shown;  // columns 57-64
    double Value = 0;   // columns 55-64
    bool Active = true;
};
// The rows a new topic of `kind` can take from its table ("?" rows left out, and rows whose
// key begins with '-', which the topic file cannot hold).
std::vector<SelectionRow> SelectionRows(const StartFolder& start, int kind);
const std::string& tooManySubstancesText();  // "В теме может быть не более 13 веществ"

struct CreateOutcome {
    bool Created = false;
    std::string Message;
};
// Creates \space\<name>.db from the active selection rows with one first row, and makes it the
// active topic in `base` (base.dat rewritten). Refusals leave every file untouched.
CreateOutcome CreateTheme(const StartFolder& start, ThemeBase& base, std::string_view name, int kind,
                          const std::vector<SelectionRow>& rows, const CurrentResult& current);

// ---- marks ----

// "DEL " + date for a marked row.
std::string markedDateText(const ThemeRow& row);

}  // namespace vk7
