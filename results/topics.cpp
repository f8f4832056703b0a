#include "results/topics.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

const std::string kSeparator(19, '-');

std::string part(std::string_view line, size_t first, size_t width) {
    if (line.size() < first) return {};
    return std::string(line.substr(first - 1, width));
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int daysInMonth(int month, int64_t year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Days from 1.1.1970 of a date of the Gregorian calendar.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The kind on a line of a topic file or base.dat: its whole part, held within the kinds
// before it becomes an int (any number of digits may stand there).
int kindOfLine(std::string_view line) {
    return static_cast<int>(std::clamp<int64_t>(parseLenientInt(line), 0, kThemeKinds - 1));
}

}  // namespace

const std::string& themeKindName(int kind) {
    static const std::string names[kThemeKinds] = {RU("Простой"), RU("Сложный"), RU("Модифицированный")};
    return names[std::clamp(kind, 0, kThemeKinds - 1)];
}

ThemeKindTable themeKindTable(int kind) {
    switch (kind) {
        case 1: return {"tabsum.txt", 3, 69};
        case 2: return {"tablr.txt", 3, 65};
        default: return {"tabl.txt", 4, 69};
    }
}

// ---- base.dat ----

ThemeBase LoadThemeBase(const StartFolder& start) {
    ThemeBase base;
    auto lines = readLinesIfExists(findNoCase(start.folder("space"), "base.dat"));
    if (!lines) return base;
    lines->resize(std::max<size_t>(lines->size(), 4));
    base.Kind = kindOfLine((*lines)[0]);
    base.Name = cutText((*lines)[1], kThemeNameMax);
    base.TimeUnit = (*lines)[2].empty() ? std::string("d") : cutText((*lines)[2], 16);
    base.Real = parseLenient((*lines)[3]);
    return base;
}

void SaveThemeBase(const StartFolder& start, const ThemeBase& base) {
    writeLines(findNoCase(start.ensureFolder("space"), "base.dat"),
               {intText(base.Kind), base.Name, base.TimeUnit, fixedText(base.Real, 5, 1)});
}

// ---- the topic file ----

ThemeFile parseThemeFile(const std::vector<std::string>& lines) {
    ThemeFile f;
    auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    f.Kind = kindOfLine(line(0));
    f.TimeUnit = cutText(line(1), 16);
    f.Real = parseLenient(line(2));
    size_t i = 3;
    for (; i < lines.size() && (lines[i].empty() || lines[i][0] != '-'); ++i) f.Substances.push_back(lines[i]);
    for (++i; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        ThemeRow row;
        row.Key = part(l, 1, 6);
        row.Date = part(l, 7, 10);
        row.Time = part(l, 17, 6);
        for (size_t k = 0; k < f.Substances.size(); ++k)
            row.Values.push_back(part(l, 23 + kThemeValueWidth * k, kThemeValueWidth));
        f.Rows.push_back(std::move(row));
    }
    return f;
}

std::string themeRowLine(const ThemeRow& row) {
    std::string line = row.Key + row.Date + row.Time;
    for (const std::string& v : row.Values) line += v;
    return cutText(line, kThemeRowMax);
}

std::vector<std::string> formatThemeFile(const ThemeFile& f) {
    std::vector<std::string> lines = {intText(f.Kind), f.TimeUnit, fixedText(f.Real, 5, 1)};
    lines.insert(lines.end(), f.Substances.begin(), f.Substances.end());
    lines.push_back(kSeparator);
    for (const ThemeRow& row : f.Rows)
        if (row.Active) lines.push_back(themeRowLine(row));
    return lines;
}

fs::path themeFilePath(const StartFolder& start, std::string_view name) {
    return findNoCase(start.folder("space"), std::string(name) + ".db");
}

std::optional<ThemeFile> LoadThemeFile(const StartFolder& start, std::string_view name) {
    if (name.empty()) return std::nullopt;
    auto lines = readLinesIfExists(themeFilePath(start, name));
    if (!lines) return std::nullopt;
    return parseThemeFile(*lines);
}

void SaveThemeFile(const StartFolder& start, std::string_view name, const ThemeFile& file) {
    start.ensureFolder("space");
    writeLines(themeFilePath(start, name), formatThemeFile(file));
}

bool validThemeName(std::string_view name) {
    if (name.empty() || name.size() > kThemeNameMax) return false;
    return name.find_first_of("./\\") == std::string_view::npos;
}

const std::string& badThemeNameText() {
    static const std::string t = RU("Имя темы: от 1 до 16 символов, без точки и косой черты");
    return t;
}

// ---- dates, keys, values ----

std::optional<int64_t> dayNumber(std::string_view text) {
    if (text.size() < 10 || text[2] != '.' || text[5] != '.') return std::nullopt;
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
        if (!isDigit(text[i])) return std::nullopt;
    const int d = (text[0] - '0') * 10 + (text[1] - '0');
    const int m = (text[3] - '0') * 10 + (text[4] - '0');
    const int y = std::stoi(std::string(text.substr(6, 4)));
    if (m < 1 || m > 12 || d < 1 || d > daysInMonth(m, y) || y < 1) return std::nullopt;
    return daysFromCivil(y, m, d);
}

std::string dateOfDayNumber(int64_t day) {
    // The inverse of daysFromCivil.
    const int64_t z = day + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    return intText(d) + "." + intText(m) + "." + intText(y);
}

std::optional<std::string> analysisDate(std::string_view comment) {
    comment = comment.substr(0, std::min<size_t>(15, comment.size()));
    if (comment.size() < 7) return std::nullopt;
    // The year: the digits that begin characters 7-10 ("24" of "01.03.24 проба").
    std::string_view yearText = comment.substr(6, 4);
    while (!yearText.empty() && yearText.front() == ' ') yearText.remove_prefix(1);
    size_t digits = 0;
    while (digits < yearText.size() && isDigit(yearText[digits])) ++digits;
    if (digits == 0) return std::nullopt;
    const int64_t year = std::stoi(std::string(yearText.substr(0, digits)));
    const int64_t y = year < 1999 ? year + 2000 : year;
    std::string date = std::string(comment.substr(0, 6)) + intText(y);
    if (!dayNumber(date) || date.size() != 10) return std::nullopt;
    return date;
}

const std::string& noAnalysisDateText() {
    static const std::string t = RU("Нет даты анализа в комментарии");
    return t;
}

std::optional<std::string> themeRowKey(std::string_view fileName) {
    // h<N><letter>.hrm: the characters between the first and the letter before the extension.
    const size_t dot = fileName.find('.');
    std::string_view stem = fileName.substr(0, dot);
    std::string_view number = stem.size() >= 2 ? stem.substr(1, stem.size() - 2) : std::string_view();
    if (number.size() > 5) return std::nullopt;
    return padLeft(number, 5) + " ";
}

const std::string& fileNumberTooLongText() {
    static const std::string t = RU("Номер файла длиннее 5 цифр");
    return t;
}

std::string resultFileName(const std::vector<std::string>& tablLines, std::string_view openFileName) {
    const std::string& prefix = RU("Хроматограмма ");
    if (!tablLines.empty() && tablLines[0].rfind(prefix, 0) == 0) {
        std::string_view rest = std::string_view(tablLines[0]).substr(prefix.size());
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        const std::string_view name = rest.substr(0, rest.find(' '));
        if (!name.empty()) return std::string(name);
    }
    return std::string(openFileName);
}

std::string substanceKey(std::string_view line, size_t keyColumn) {
    std::string l(line);
    // After averaging columns 65-74 hold d%; the key is that of the plain table.
    if (l.size() >= 74) l.replace(64, 10, " -        ");
    return part(l, keyColumn, kThemeKeyMax);
}

std::optional<std::string> themeValueText(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    for (int d = 3; d >= 0; --d) {
        const std::string t = fixedText(value, 0, d);
        if (t.size() <= kThemeValueWidth) return padLeft(t, static_cast<int>(kThemeValueWidth));
    }
    // The exponent form holds four significant digits in 8 characters only without the
    // blank before a positive value; fewer digits would store a value that is not the result.
    std::string e = expText(value, static_cast<int>(kThemeValueWidth));
    if (e.size() == kThemeValueWidth + 1 && e[0] == ' ') e.erase(0, 1);
    if (e.size() <= kThemeValueWidth) return padLeft(e, static_cast<int>(kThemeValueWidth));
    return std::nullopt;
}

const std::string& valueTooWideText() {
    static const std::string t = RU("Значение не помещается в 8 знаков");
    return t;
}

std::vector<std::string> readKindTableRows(const StartFolder& start, int kind) {
    const ThemeKindTable t = themeKindTable(kind);
    std::vector<std::string> lines = readLines(findNoCase(start.folder("results"), t.FileName));
    lines.erase(lines.begin(), lines.begin() + std::min<ptrdiff_t>(t.SkippedLines, static_cast<ptrdiff_t>(lines.size())));
    return lines;
}

std::string kindTableRefusal(int kind, const CurrentResult& current) {
    if (kind == 1 && !current.SummaryWritten) return RU("Нет суммарной таблицы");
    if (kind == 2 && !current.NormalisedShown) return RU("Нет нормализованной таблицы");
    return {};
}

// The first 22 characters of a new row, or the refusal.
static std::optional<std::string> rowId(const std::string& fileName, const std::string& comment, std::string& refusal) {
    const auto date = analysisDate(comment);
    if (!date) {
        refusal = noAnalysisDateText();
        return std::nullopt;
    }
    const auto key = themeRowKey(fileName);
    if (!key) {
        refusal = fileNumberTooLongText();
        return std::nullopt;
    }
    return *key + *date + " 12:00";
}

AddOutcome AddResultToTheme(const StartFolder& start, std::string_view name, const CurrentResult& current) {
    AddOutcome out;
    const fs::path file = themeFilePath(start, name);
    auto lines = readLinesIfExists(file);
    if (name.empty() || !lines) {
        out.Message = RU("Нет файла темы ") + std::string(name);
        return out;
    }
    const ThemeFile theme = parseThemeFile(*lines);
    if (out.Message = kindTableRefusal(theme.Kind, current); !out.Message.empty()) return out;
    const auto tabl = readLines(findNoCase(start.folder("results"), "tabl.txt"));
    const auto id = rowId(resultFileName(tabl, current.FileName), current.Comment, out.Message);
    if (!id) return out;

    const ThemeKindTable kind = themeKindTable(theme.Kind);
    const size_t M = theme.Substances.size();
    std::string row = *id;
    size_t n = 0;
    std::string tooWide;
    for (const std::string& line : readKindTableRows(start, theme.Kind)) {
        if (n == M) break;
        if (substanceKey(line, kind.KeyColumn) != theme.Substances[n]) continue;
        const auto value = themeValueText(columnValue(line, TableColumn::Conc));
        if (!value) tooWide = valueTooWideText();
        else row += *value;
        ++n;
    }
    out.Label5 = RU("Совпадений") + intText(static_cast<int64_t>(n), 3) + RU(" из") +
                 intText(static_cast<int64_t>(M), 3) + RU(" веществ");
    if (n < M) {
        out.Message = RU("Объект не по теме");
        return out;
    }
    if (!tooWide.empty()) {
        out.Message = tooWide;
        return out;
    }
    lines->push_back(cutText(row, kThemeRowMax));
    writeLines(file, *lines);
    out.Added = true;
    return out;
}

// ---- new topics ----

std::vector<SelectionRow> SelectionRows(const StartFolder& start, int kind) {
    std::vector<SelectionRow> rows;
    const size_t keyColumn = themeKindTable(kind).KeyColumn;
    for (const std::string& line : readKindTableRows(start, kind)) {
        if (trimBlanks(columnText(line, TableColumn::Name)) == "?") continue;
        // A key that begins with '-' would end the topic's list of substances in its file
        // (only a table edited by hand has one).
        if (const std::string key = substanceKey(line, keyColumn); !key.empty() && key[0] == '-') continue;
        rows.push_back({substanceKey(line, keyColumn), part(line, 57, 8), columnValue(line, TableColumn::Conc), true});
    }
    return rows;
}

const std::string& tooManySubstancesText() {
    static const std::string t = RU("В теме может быть не более 13 веществ");
    return t;
}

CreateOutcome CreateTheme(const StartFolder& start, ThemeBase& base, std::string_view name, int kind,
                          const std::vector<SelectionRow>& rows, const CurrentResult& current) {
    CreateOutcome out;
    if (!validThemeName(name)) {
        out.Message = badThemeNameText();
        return out;
    }
    if (fs::exists(themeFilePath(start, name))) {
        out.Message = RU("Тема ") + std::string(name) + RU(" уже имеется");
        return out;
    }
    ThemeFile f;
    f.Kind = kind;
    f.TimeUnit = base.TimeUnit;
    f.Real = base.Real;
    const auto id = rowId(current.FileName, current.Comment, out.Message);
    if (!id) return out;
    ThemeRow row{id->substr(0, 6), id->substr(6, 10), id->substr(16), {}, true};
    for (const SelectionRow& r : rows) {
        if (!r.Active) continue;
        const auto value = themeValueText(r.Value);
        if (!value) {
            out.Message = valueTooWideText();
            return out;
        }
        f.Substances.push_back(r.Key);
        row.Values.push_back(*value);
    }
    if (f.Substances.size() > static_cast<size_t>(kThemeMaxSubstances)) {
        out.Message = tooManySubstancesText();
        return out;
    }
    f.Rows.push_back(std::move(row));
    SaveThemeFile(start, name, f);
    base.Name = std::string(name);
    base.Kind = kind;
    SaveThemeBase(start, base);
    out.Created = true;
    return out;
}

std::string markedDateText(const ThemeRow& row) { return row.Active ? row.Date : "DEL " + row.Date; }

}  // namespace vk7
