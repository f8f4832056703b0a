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
// may leave and the next read would drop. A CR or LF in it is the blank the line file writes
// for it, so it is dropped there too.
std::string blankName(std::string_view text) {
    return std::string(trimTrailingBlanks(lineAsWritten(cutText(text, kBlankNameMax))));
}

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

// Whether a name is blanks only, a CR or LF counting as the blank the line file writes for it.
static bool nothingButBlanks(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// The longest name a substance line holds with all its norms within its 128 characters (at
// least the 24 of a padded name).
static size_t longestNormName(const NormsTable& table) {
    const size_t normChars = kNormFieldWidth * table.Media.size();
    return std::max(kNormNameWidth, normChars < kNormsLineMax ? kNormsLineMax - normChars : 0);
}

// How many norm fields lie whole within a line's 128 characters after a name of `nameSize`
// (padded to 24): a norm cut short would read back as another number, so the later ones are
// none, on reading as on writing.
static size_t wholeNormFields(size_t nameSize) {
    return (kNormsLineMax - std::max(kNormNameWidth, nameSize)) / kNormFieldWidth;
}

// Whether any of the first `count` norms is one (0 is none).
static bool anyNorm(const std::vector<std::optional<double>>& norms, size_t count) {
    return std::any_of(norms.begin(), norms.begin() + std::min(count, norms.size()), [](const auto& n) { return n && *n != 0; });
}

NormsTable parseNormsTable(const std::vector<std::string>& lines) {
    NormsTable table;
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].size() > 1 && lines[i][1] == '-') break;
        table.Media.push_back(lines[i]);
    }
    const size_t normChars = kNormFieldWidth * table.Media.size();
    // The norms of a line as older versions wrote a norm too wide for its field: the name
    // padded to 24 characters, then per medium 10 blanks, or a number right-aligned in 10
    // columns, or a wider number written whole; at least one of them wider, and nothing after
    // the last. Nothing when the line is not of that kind (a long name written whole can hold
    // blanks and numbers too, but never a number wider than a field after column 24).
    auto olderWideNorms = [&table](std::string_view l) -> std::optional<std::vector<std::optional<double>>> {
        if (l.size() <= kNormNameWidth || l[kNormNameWidth - 1] != ' ') return std::nullopt;
        std::vector<std::optional<double>> norms;
        size_t at = kNormNameWidth;
        bool wide = false;
        for (size_t k = 0; k < table.Media.size(); ++k) {
            size_t blanks = 0;
            while (at + blanks < l.size() && l[at + blanks] == ' ' && blanks < kNormFieldWidth) ++blanks;
            if (blanks == kNormFieldWidth || at + blanks >= l.size()) {
                norms.emplace_back();
                at = std::min(l.size(), at + kNormFieldWidth);
                continue;
            }
            size_t end = at + blanks;
            while (end < l.size() && l[end] != ' ') ++end;
            const std::optional<double> v = parseStrictReal(l.substr(at + blanks, end - at - blanks));
            if (!v || end - at < kNormFieldWidth) return std::nullopt;
            wide = wide || end - at > kNormFieldWidth;
            norms.push_back(*v == 0 ? std::nullopt : v);
            at = end;
        }
        if (!wide || !trimBlanks(l.substr(at)).empty()) return std::nullopt;
        return norms;
    };
    for (++i; i < lines.size(); ++i) {
        const std::string_view l = lines[i];
        NormsTable::Substance s;
        if (auto older = olderWideNorms(l)) {
            s.Name = std::string(trimTrailingBlanks(l.substr(0, kNormNameWidth)));
            s.Norms = std::move(*older);
        } else {
            // The norms start at column 25, or after a longer name written whole.
            size_t normsAt = kNormNameWidth;
            if (l.size() > kNormNameWidth + normChars &&
                trimTrailingBlanks(l.substr(0, l.size() - normChars)).size() > kNormNameWidth)
                normsAt = l.size() - normChars;
            s.Name = std::string(trimTrailingBlanks(cutText(l.substr(0, std::min(normsAt, l.size())), longestNormName(table))));
            for (size_t k = 0; k < table.Media.size(); ++k) {
                const size_t at = normsAt + kNormFieldWidth * k;
                const double v = parseLenient(l.size() > at ? l.substr(at, kNormFieldWidth) : "");
                s.Norms.push_back(v == 0 ? std::nullopt : std::optional<double>(v));
            }
        }
        for (size_t k = wholeNormFields(s.Name.size()); k < s.Norms.size(); ++k) s.Norms[k] = std::nullopt;
        if (nothingButBlanks(s.Name) && !anyNorm(s.Norms, s.Norms.size())) continue;
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
    const auto fixedKeeps = [](double x, const std::string& text) {
        return text.size() <= kNormFieldWidth && (std::fabs(x) >= 1 || parseLenient(text) == x);
    };
    const std::string fixed = fixedText(v, width, 3);
    if (fixedKeeps(v, fixed)) return fixed;
    // The exponent form, unless the value it reads back as is one the 3 decimals hold whole:
    // then those, as the next save of what was read would write them.
    const std::string exp = expTextWithin(v, width);
    const double shown = parseLenient(exp);
    const std::string fixedShown = fixedText(shown, width, 3);
    if (fixedKeeps(shown, fixedShown)) return fixedShown;
    return padLeft(exp, width);
}

std::vector<std::string> normsTableLines(const NormsTable& table) {
    std::vector<std::string> lines = table.Media;
    lines.emplace_back("-------------");
    for (const NormsTable::Substance& s : table.Substances) {
        // The name as it reads back: a CR or LF in it is the blank the line file writes, and the
        // blanks at its end are not kept (they would move the norms of a long name).
        const std::string name(trimTrailingBlanks(lineAsWritten(cutText(s.Name, longestNormName(table)))));
        const size_t fields = std::min(table.Media.size(), wholeNormFields(name.size()));
        // A line of blanks would be no substance when read again.
        if (nothingButBlanks(name) && !anyNorm(s.Norms, fields)) continue;
        const auto line = [&](bool apart) {
            std::string l = padRight(name, static_cast<int>(kNormNameWidth));
            for (size_t k = 0; k < fields; ++k) {
                const std::optional<double> norm = k < s.Norms.size() ? s.Norms[k] : std::nullopt;
                std::string text = normText(norm);
                if (apart && !(norm && *norm != 0)) text = fixedText(0, static_cast<int>(kNormFieldWidth), 3);
                if (apart && k == 0 && text[0] != ' ') text = padLeft(expTextWithin(*norm, static_cast<int>(kNormFieldWidth) - 1), static_cast<int>(kNormFieldWidth));
                l += text;
            }
            return l;
        };
        std::string l = line(false);
        // A long name whose part after column 24 looks like an older line's wide norm would be
        // read as that norm. Its norms are then kept apart from it and never all blank: the
        // first starts with a blank, and empty ones are written as 0.000 (which reads as no
        // norm all the same), so the line has more than an older line's fields.
        if (name.size() > kNormNameWidth) {
            std::vector<std::string> alone = table.Media;
            alone.emplace_back("-------------");
            alone.push_back(l);
            const NormsTable back = parseNormsTable(alone);
            if (back.Substances.empty() || back.Substances[0].Name != name) l = line(true);
        }
        lines.push_back(std::move(l));
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
