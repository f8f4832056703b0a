#include "results/normalisation.h"

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

constexpr size_t kTitleMax = 128;
constexpr size_t kBeforeConc = 54;  // columns 1-54 are kept
constexpr size_t kAfterConc = 64;   // the text from column 65 on, at most 64 characters
constexpr int kParameterWidth = 23;  // " 1.01300000000000E+0002"

// The concentration of a row, or nothing where its column holds no number.
std::optional<double> rowConc(std::string_view line) {
    return parseStrictReal(trimBlanks(columnText(line, TableColumn::Conc)));
}

std::string withSuffix(const std::vector<std::string>& lines, std::string_view suffix) {
    return cutText((lines.empty() ? std::string() : lines[0]) + std::string(suffix), kTitleMax);
}

std::vector<double> loadPair(const StartFolder& start, std::string_view name, double first, double second) {
    const auto lines = readLinesIfExists(start.file("space", name));
    if (!lines) return {first, second};
    return {lines->size() > 0 ? parseLenient((*lines)[0]) : 0.0, lines->size() > 1 ? parseLenient((*lines)[1]) : 0.0};
}

void savePair(const StartFolder& start, std::string_view name, double first, double second) {
    writeLines(findNoCase(start.ensureFolder("space"), name),
               {expText(first, kParameterWidth), expText(second, kParameterWidth)});
}

}  // namespace

void ReplaceTablThroughTablr(const StartFolder& start, const std::vector<std::string>& lines) {
    const std::filesystem::path results = start.ensureFolder("results");
    const std::filesystem::path recalculated = findNoCase(results, "tablr.txt");
    writeLines(recalculated, lines);
    renameOver(recalculated, findNoCase(results, "tabl.txt"));
}

std::filesystem::path normalisedTablePath(const StartFolder& start) { return start.file("results", "tablr.txt"); }

std::string rowWithConc(const std::string& line, double conc, int decimals) {
    if (!rowConc(line)) return line;
    std::string out = padRight(cutText(line, kBeforeConc), static_cast<int>(kBeforeConc));
    out += tableFieldText(conc, 10, 10, decimals, false);
    if (line.size() > kBeforeConc + 10) out += cutText(std::string_view(line).substr(kBeforeConc + 10), kAfterConc);
    return out;
}

std::vector<std::string> normaliseLines(const std::vector<std::string>& lines, int decimals) {
    const TableText text = splitTableText(lines);
    double sum = 0;
    for (const std::string& row : text.Rows) sum += rowConc(row).value_or(0.0);
    if (sum == 0) sum = 1;

    std::vector<std::string> out;
    out.push_back(withSuffix(lines, RU(" (нормализация)")));
    out.push_back(text.Head.size() > 1 ? text.Head[1] : "");
    const std::string heading = text.Head.size() > 2 ? text.Head[2] : "";
    std::string newHeading = padRight(cutText(heading, kBeforeConc), static_cast<int>(kBeforeConc)) + RU("      C, % ");
    if (heading.size() > 65) newHeading += cutText(std::string_view(heading).substr(65), 32);
    out.push_back(std::move(newHeading));
    out.push_back(text.Head.size() > 3 ? text.Head[3] : "");
    for (const std::string& row : text.Rows) out.push_back(rowWithConc(row, rowConc(row).value_or(0.0) / sum * 100.0, decimals));
    return out;
}

void NormaliseTable(const StartFolder& start, bool listMode, int decimals) {
    const std::vector<std::string> source = readLines(start.file("results", listMode ? "tabsum.txt" : "tabl.txt"));
    writeLines(findNoCase(start.ensureFolder("results"), "tablr.txt"), normaliseLines(source, decimals));
}

std::vector<std::string> recalculatedLines(const std::vector<std::string>& lines, double factor,
                                           std::string_view suffix, int decimals) {
    std::vector<std::string> out;
    out.push_back(withSuffix(lines, suffix));
    for (size_t i = 1; i < lines.size(); ++i) {
        if (i < static_cast<size_t>(kTableHeadLines)) {
            out.push_back(lines[i]);
            continue;
        }
        out.push_back(rowWithConc(lines[i], rowConc(lines[i]).value_or(0.0) * factor, decimals));
    }
    while (out.size() < static_cast<size_t>(kTableHeadLines)) out.emplace_back();
    return out;
}

ClimateValues LoadClimate(const StartFolder& start) {
    const ClimateValues defaults;
    const auto v = loadPair(start, "klimat.dat", defaults.Pressure, defaults.Temperature);
    return {v[0], v[1]};
}

void SaveClimate(const StartFolder& start, const ClimateValues& values) {
    savePair(start, "klimat.dat", values.Pressure, values.Temperature);
}

FormulaCoefficients LoadFormulaCoefficients(const StartFolder& start) {
    const FormulaCoefficients defaults;
    const auto v = loadPair(start, "modif.dat", defaults.A, defaults.B);
    return {v[0], v[1]};
}

FormulaCoefficients SaveFormulaCoefficients(const StartFolder& start, FormulaCoefficients values) {
    if (values.B == 0) values.B = 0.001;
    savePair(start, "modif.dat", values.A, values.B);
    return values;
}

std::optional<std::string> ClimateRefusal(const ClimateValues& values) {
    if (!(values.Pressure > 0)) return RU("Давление должно быть больше нуля");
    if (!(values.Temperature > -273)) return RU("Температура должна быть выше -273 C");
    return std::nullopt;
}

double NormalConditionsFactor(const ClimateValues& values) {
    return 101.3 * (273.0 + values.Temperature) / (273.0 * values.Pressure);
}

const std::string& NormalConditionsSuffix() { return RU(". НУ."); }
const std::string& FormulaSuffix() { return RU(". Форм."); }

std::optional<std::string> RecalcNormalConditions(const StartFolder& start, const ClimateValues& values, int decimals) {
    if (auto refusal = ClimateRefusal(values)) return refusal;
    const std::vector<std::string> table = readLines(start.file("results", "tabl.txt"));
    ReplaceTablThroughTablr(start, recalculatedLines(table, NormalConditionsFactor(values), NormalConditionsSuffix(), decimals));
    return std::nullopt;
}

void RecalcFormula(const StartFolder& start, const FormulaCoefficients& values, int decimals) {
    const double b = values.B == 0 ? 0.001 : values.B;
    const std::vector<std::string> table = readLines(start.file("results", "tabl.txt"));
    ReplaceTablThroughTablr(start, recalculatedLines(table, values.A / b, FormulaSuffix(), decimals));
}

}  // namespace vk7
