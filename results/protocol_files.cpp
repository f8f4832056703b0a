#include "results/protocol_files.h"

#include <algorithm>
#include <cmath>

#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

const std::string& line(const std::vector<std::string>& lines, size_t i) {
    static const std::string empty;
    return i < lines.size() ? lines[i] : empty;
}

// The blank's file name: at most 32 characters, without the blanks at its end, which a cut
// may leave and the next read would drop.
std::string blankName(std::string_view text) { return std::string(trimTrailingBlanks(cutText(text, kBlankNameMax))); }

}  // namespace

// ---- prot.dat ----

HtmlProtocolSettings parseHtmlProtocolSettings(const std::vector<std::string>& lines) {
    HtmlProtocolSettings s;
    s.Medium = cutText(line(lines, 1), kMediumMax);
    s.Blank = blankName(line(lines, 2));
    const int64_t number = parseLenientInt(line(lines, 3));
    s.ProtocolNumber = static_cast<uint16_t>(static_cast<uint64_t>(number) & 0xFFFFu);
    s.Operator = cutText(line(lines, 4), kOperatorMax);
    return s;
}

std::vector<std::string> htmlProtocolSettingsLines(const HtmlProtocolSettings& s) {
    return {"v", cutText(s.Medium, kMediumMax), blankName(s.Blank), intText(s.ProtocolNumber),
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
    if (name.empty()) return std::nullopt;
    auto normOf = [k](const Substance& s) { return k < s.Norms.size() ? s.Norms[k] : std::nullopt; };
    for (const Substance& s : Substances)
        if (s.Name == name) return normOf(s);
    // A name that holds a blank ("Бензол чистый") is the substance of its first word.
    for (const Substance& s : Substances) {
        const std::string_view full = trimBlanks(s.Name);
        if (full.substr(0, full.find(' ')) == name) return normOf(s);
    }
    return std::nullopt;
}

NormsTable parseNormsTable(const std::vector<std::string>& lines) {
    NormsTable table;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].size() > 1 && lines[i][1] == '-') break;
        table.Media.push_back(lines[i]);
    }
    const size_t normChars = kNormFieldWidth * table.Media.size();
    // Whether the fields from column 25 on are each blank or one number.
    auto fieldsAreNorms = [&table](std::string_view l) {
        for (size_t k = 0; k < table.Media.size(); ++k) {
            const size_t at = kNormNameWidth + kNormFieldWidth * k;
            const std::string_view field = trimBlanks(l.size() > at ? l.substr(at, kNormFieldWidth) : "");
            if (!field.empty() && !parseStrictReal(field)) return false;
        }
        return true;
    };
    for (++i; i < lines.size(); ++i) {
        const std::string_view l = lines[i];
        // The norms start at column 25, or after a longer name written whole. A padded name
        // before a norm wider than its field (older files wrote 1000000.000) is no longer
        // name: its blank in column 24 and the numbers from column 25 tell it.
        size_t normsAt = kNormNameWidth;
        if (l.size() > kNormNameWidth + normChars &&
            trimTrailingBlanks(l.substr(0, l.size() - normChars)).size() > kNormNameWidth &&
            !(l[kNormNameWidth - 1] == ' ' && fieldsAreNorms(l)))
            normsAt = l.size() - normChars;
        NormsTable::Substance s;
        s.Name = std::string(trimTrailingBlanks(l.substr(0, std::min(normsAt, l.size()))));
        bool anyNorm = false;
        for (size_t k = 0; k < table.Media.size(); ++k) {
            const size_t at = normsAt + kNormFieldWidth * k;
            const std::string_view field = l.size() > at ? l.substr(at, kNormFieldWidth) : "";
            const double v = parseLenient(field);
            s.Norms.push_back(v == 0 ? std::nullopt : std::optional<double>(v));
            anyNorm = anyNorm || v != 0;
        }
        if (trimBlanks(s.Name).empty() && !anyNorm) continue;
        table.Substances.push_back(std::move(s));
    }
    return table;
}

std::string normText(std::optional<double> norm) {
    if (!norm || *norm == 0 || !std::isfinite(*norm)) return std::string(kNormFieldWidth, ' ');
    const double v = *norm;
    const int width = static_cast<int>(kNormFieldWidth);
    // Three decimals keep four significant digits from 1 on; below 1 only a value they hold
    // whole (0.1, 0.25) keeps them, 0.0015 would read back as 0.002.
    const std::string fixed = fixedText(v, width, 3);
    if (fixed.size() <= kNormFieldWidth && (std::fabs(v) >= 1 || parseLenient(fixed) == v)) return fixed;
    return padLeft(expTextWithin(v, width), width);
}

std::vector<std::string> normsTableLines(const NormsTable& table) {
    std::vector<std::string> lines = table.Media;
    lines.emplace_back("-------------");
    for (const NormsTable::Substance& s : table.Substances) {
        // A line of blanks would be no substance when read again.
        if (trimBlanks(s.Name).empty() && std::none_of(s.Norms.begin(), s.Norms.end(), [](const auto& n) { return n && *n != 0; }))
            continue;
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
