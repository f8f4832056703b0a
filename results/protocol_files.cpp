#include "results/protocol_files.h"

#include <algorithm>

#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

const std::string& line(const std::vector<std::string>& lines, size_t i) {
    static const std::string empty;
    return i < lines.size() ? lines[i] : empty;
}

}  // namespace

// ---- prot.dat ----

HtmlProtocolSettings parseHtmlProtocolSettings(const std::vector<std::string>& lines) {
    HtmlProtocolSettings s;
    s.Medium = cutText(line(lines, 1), kMediumMax);
    s.Blank = cutText(trimTrailingBlanks(line(lines, 2)), kBlankNameMax);
    const int64_t number = parseLenientInt(line(lines, 3));
    s.ProtocolNumber = static_cast<uint16_t>(static_cast<uint64_t>(number) & 0xFFFFu);
    s.Operator = cutText(line(lines, 4), kOperatorMax);
    return s;
}

std::vector<std::string> htmlProtocolSettingsLines(const HtmlProtocolSettings& s) {
    return {"v", cutText(s.Medium, kMediumMax), cutText(s.Blank, kBlankNameMax), intText(s.ProtocolNumber),
            cutText(s.Operator, kOperatorMax)};
}

HtmlProtocolSettings LoadHtmlProtocolSettings(const StartFolder& start) {
    const auto lines = readLinesIfExists(start.file("space", "prot.dat"));
    return lines ? parseHtmlProtocolSettings(*lines) : HtmlProtocolSettings{};
}

void SaveHtmlProtocolSettings(const StartFolder& start, const HtmlProtocolSettings& settings) {
    writeLines(findNoCase(start.ensureFolder("space"), "prot.dat"), htmlProtocolSettingsLines(settings));
}

// ---- komp.dat ----

std::optional<size_t> NormsTable::mediumIndex(std::string_view medium) const {
    for (size_t k = 0; k < Media.size(); ++k)
        if (Media[k] == medium) return k;
    return std::nullopt;
}

std::optional<double> NormsTable::norm(std::string_view substance, size_t k) const {
    const std::string_view name = trimTrailingBlanks(substance);
    for (const Substance& s : Substances)
        if (s.Name == name) return k < s.Norms.size() ? s.Norms[k] : std::nullopt;
    return std::nullopt;
}

NormsTable parseNormsTable(const std::vector<std::string>& lines) {
    NormsTable table;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].size() > 1 && lines[i][1] == '-') break;
        table.Media.push_back(lines[i]);
    }
    for (++i; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        NormsTable::Substance s;
        s.Name = std::string(trimTrailingBlanks(cutText(l, kNormNameWidth)));
        if (s.Name.empty() && trimBlanks(l).empty()) continue;
        for (size_t k = 0; k < table.Media.size(); ++k) {
            const size_t at = kNormNameWidth + kNormFieldWidth * k;
            const std::string_view field = l.size() > at ? std::string_view(l).substr(at, kNormFieldWidth) : "";
            const double v = parseLenient(field);
            s.Norms.push_back(v == 0 ? std::nullopt : std::optional<double>(v));
        }
        table.Substances.push_back(std::move(s));
    }
    return table;
}

std::string normText(std::optional<double> norm) {
    if (!norm || *norm == 0) return std::string(kNormFieldWidth, ' ');
    const std::string fixed = fixedText(*norm, static_cast<int>(kNormFieldWidth), 3);
    if (parseLenient(fixed) == 0) return expText(*norm, static_cast<int>(kNormFieldWidth));
    return fixed;
}

std::vector<std::string> normsTableLines(const NormsTable& table) {
    std::vector<std::string> lines = table.Media;
    lines.emplace_back("-------------");
    for (const NormsTable::Substance& s : table.Substances) {
        std::string l = padRight(s.Name, static_cast<int>(kNormNameWidth));
        for (size_t k = 0; k < table.Media.size(); ++k) l += normText(k < s.Norms.size() ? s.Norms[k] : std::nullopt);
        lines.push_back(cutText(l, kNormsLineMax));
    }
    return lines;
}

NormsTable LoadNormsTable(const StartFolder& start) {
    const auto lines = readLinesIfExists(start.file("space", "komp.dat"));
    return lines ? parseNormsTable(*lines) : NormsTable{};
}

void SaveNormsTable(const StartFolder& start, const NormsTable& table) {
    writeLines(findNoCase(start.ensureFolder("space"), "komp.dat"), normsTableLines(table));
}

// ---- mask.dat ----

std::vector<std::string> parseSumsMask(const std::vector<std::string>& lines) {
    std::vector<std::string> mask(kSumsMaskRows, std::string(kGroupSums, '0'));
    for (size_t r = 0; r < mask.size() && r < lines.size(); ++r)
        for (size_t k = 0; k < static_cast<size_t>(kGroupSums) && k < lines[r].size(); ++k)
            mask[r][k] = lines[r][k] == '1' ? '1' : '0';
    return mask;
}

std::vector<std::string> LoadSumsMask(const StartFolder& start) {
    const auto lines = readLinesIfExists(start.file("space", "mask.dat"));
    return parseSumsMask(lines ? *lines : std::vector<std::string>{});
}

void SaveSumsMask(const StartFolder& start, const std::vector<std::string>& mask) {
    writeLines(findNoCase(start.ensureFolder("space"), "mask.dat"), parseSumsMask(mask));
}

}  // namespace vk7
