#include "processing/table_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

constexpr std::array<ColumnSpan, kTableColumnCount> kSpans{{
    {1, 3},    // N
    {4, 8},    // t
    {12, 10},  // h
    {22, 7},   // b
    {29, 8},   // K
    {37, 10},  // S
    {47, 8},   // S%
    {55, 10},  // C
    {65, 10},  // d%
    {75, kTableNameMax},
}};

}  // namespace

std::string tableFieldText(double v, int valueWidth, int groupWidth, int decimals, bool expForLarge) {
    if (!std::isfinite(v)) v = 0;
    if (expForLarge && std::fabs(v) >= 100000.0 && groupWidth >= 10) return padLeft(expTextWithin(v, groupWidth), groupWidth);
    for (int width : {valueWidth, groupWidth})
        for (int d = decimals; d >= 0; --d) {
            std::string text = fixedText(v, 0, d);
            if (text.size() <= static_cast<size_t>(width)) return padLeft(text, groupWidth);
        }
    const std::string exp = expTextWithin(v, groupWidth);
    if (exp.size() <= static_cast<size_t>(groupWidth)) return padLeft(exp, groupWidth);
    // Too wide for the group in every form: the largest whole number the group holds, so
    // that no later column shifts.
    return v < 0 ? "-" + std::string(static_cast<size_t>(groupWidth - 1), '9')
                 : std::string(static_cast<size_t>(groupWidth), '9');
}

ColumnSpan columnSpan(TableColumn column) { return kSpans[static_cast<size_t>(column)]; }

std::string_view columnText(std::string_view line, TableColumn column) {
    const ColumnSpan span = columnSpan(column);
    const size_t at = span.first - 1;
    if (line.size() <= at) return {};
    return line.substr(at, span.width);
}

std::string_view trimTrailingBlanks(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

double columnValue(std::string_view line, TableColumn column) { return parseLenient(columnText(line, column)); }

TableRow readTableRow(std::string_view line) {
    TableRow row;
    row.Number = static_cast<int>(parseLenientInt(columnText(line, TableColumn::Number)));
    row.Time = columnValue(line, TableColumn::Time);
    row.Height = columnValue(line, TableColumn::Height);
    row.Width = columnValue(line, TableColumn::Width);
    row.Asymmetry = columnValue(line, TableColumn::Asymmetry);
    row.Area = columnValue(line, TableColumn::Area);
    row.Share = columnValue(line, TableColumn::Share);
    row.Conc = columnValue(line, TableColumn::Conc);
    row.Deviation = std::string(columnText(line, TableColumn::Deviation));
    row.Name = std::string(columnText(line, TableColumn::Name));
    return row;
}

TableText splitTableText(std::vector<std::string> lines) {
    TableText text;
    const size_t head = std::min(lines.size(), static_cast<size_t>(kTableHeadLines));
    text.Head.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.begin() + head));
    text.Rows.assign(std::make_move_iterator(lines.begin() + head), std::make_move_iterator(lines.end()));
    return text;
}

TableText readTableText(const std::filesystem::path& file) { return splitTableText(readLines(file)); }

}  // namespace vk7
