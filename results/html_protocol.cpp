#include "results/html_protocol.h"

#include <filesystem>
#include <system_error>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/plot_pictures.h"
#include "processing/table_rows.h"

namespace vk7 {

namespace {

namespace fs = std::filesystem;

constexpr size_t kKeywordMax = 16;
constexpr size_t kKeywordsMax = 48;
constexpr size_t kFileTextMax = 64;
const std::string kNoValue = "         -";

// The codes of the values.
enum Code : int {
    CodeConc = 1, CodeRatio, CodeSum, CodeExceedances, CodeName, CodeFile, CodeComment, CodeExceedanceText,
    CodeVerdict, CodeOperator, CodeNorm, CodeMedium, CodeNumber, CodePasp1, CodePasp3, CodePasp4, CodePasp5,
    CodePasp9, CodePasp14, CodeEc1, CodeEc2, CodeEc1ByEc2, CodeEc1BySum, CodeEc2BySum, CodeConcBySum, CodeTime,
    CodeHeight, CodeArea, CodeEc3, CodeEc4, CodeEc3BySum, CodeEc4BySum, CodeEc5, CodeEc6, CodeEc5BySum,
    CodeEc6BySum, CodePasp8, CodePasp11, CodePasp7, CodePasp10, CodePasp6,
};

bool isRowCode(int code) {
    return code == CodeConc || code == CodeRatio || code == CodeName || code == CodeNorm ||
           (code >= CodeConcBySum && code <= CodeArea);
}

// Codes whose values depend on the norms of the chosen medium.
bool isNormCode(int code) {
    return code == CodeRatio || code == CodeExceedances || code == CodeExceedanceText || code == CodeVerdict ||
           code == CodeNorm;
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

bool isOutsideBlocks(std::string_view name) {
    const std::string_view n = trimBlanks(name);
    return n == "?" || n == "st";
}

// The value part of a passport line (from column 29), at most `width` characters.
std::string passportValue(const std::vector<std::string>& lines, int number, size_t width) {
    const size_t i = static_cast<size_t>(number) - 1;
    if (i >= lines.size() || lines[i].size() <= 28) return {};
    return cutText(std::string_view(lines[i]).substr(28), width);
}

bool contains(std::string_view line, std::string_view what) { return line.find(what) != std::string_view::npos; }

}  // namespace

std::string protocolFileText(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(std::move(part));
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!equalsNoCaseCp1251(parts[i], "data")) continue;
        // Written as the program writes the paths below its folders ("\results\prot.htm").
        std::string below;
        for (size_t j = i + 1; j < parts.size(); ++j) below += "\\" + parts[j];
        return cutText(RU("Файл ") + below, kFileTextMax);
    }
    return cutText(RU("Файл ") + std::string(path), kFileTextMax);
}

// ---- values ----

ProtocolValues::ProtocolValues(const HtmlProtocolInput& input) : in_(input) {
    const std::optional<size_t> medium = input.Norms.mediumIndex(input.Settings.Medium);
    const std::vector<std::string> mask = parseSumsMask(input.Mask);
    for (size_t r = 0; r < input.Rows.size(); ++r) {
        const ProtocolRow& row = input.Rows[r];
        const double c = parseLenient(row.Conc);
        conc_.push_back(c);
        norms_.push_back(medium ? input.Norms.norm(row.Name, *medium) : std::nullopt);
        sum_ += c;
        if (r < mask.size())
            for (int k = 0; k < kGroupSums; ++k)
                if (mask[r][static_cast<size_t>(k)] == '1') groups_[k] += c;
        if (norms_.back() && c > *norms_.back()) ++exceedances_;
    }
}

std::optional<std::string> ProtocolValues::firstKey(std::string_view line) {
    const size_t at = line.find('@');
    if (at == std::string_view::npos) return std::nullopt;
    const size_t end = line.find('@', at + 1);
    if (end == std::string_view::npos) return std::string();
    return std::string(line.substr(at + 1, end - at - 1));
}

int ProtocolValues::code(std::string_view key) const {
    if (key.size() > kKeywordMax) return 0;
    for (size_t i = 0; i < in_.Keywords.size() && i < kKeywordsMax; ++i)
        if (cutText(in_.Keywords[i], kKeywordMax) == key) return static_cast<int>(i) + 1;
    return 0;
}

std::string ProtocolValues::value(int code, std::optional<size_t> row) const {
    const int d = in_.Decimals;
    auto number = [d](double v) { return fixedText(v, 10, d); };
    auto quotient = [&number](double a, double b) { return b == 0 ? kNoValue : number(a / b); };
    if (isRowCode(code) && (!row || *row >= in_.Rows.size())) return {};
    const size_t r = row.value_or(0);

    switch (code) {
        case CodeConc: return number(conc_[r]);
        case CodeRatio: return norms_[r] ? fixedText(conc_[r] / *norms_[r], 10, 3) : kNoValue;
        case CodeSum: return number(sum_);
        case CodeExceedances: return intText(exceedances_, 10);
        case CodeName: return escapeHtml(in_.Rows[r].Name);
        case CodeFile: return escapeHtml(protocolFileText(in_.FilePath));
        case CodeComment: return escapeHtml(in_.Comment);
        case CodeExceedanceText: {
            const char* ending = exceedances_ == 0 ? "." : (exceedances_ == 1 ? "у." : "ам.");
            return escapeHtml(RU(" превышение предельно допустимых концентраций по ") + intText(exceedances_) +
                              RU(" веществ") + toCp1251(ending));
        }
        case CodeVerdict:
            return escapeHtml(exceedances_ > 0 ? RU(" Превышены ПДК вредных веществ. Результаты анализа отрицательны.")
                                               : RU(" ПДК вредных веществ не превышены. Результаты анализа положительны."));
        case CodeOperator: return escapeHtml(in_.Settings.Operator);
        case CodeNorm: return norms_[r] ? normText(norms_[r]) : kNoValue;
        case CodeMedium: return escapeHtml(in_.Settings.Medium);
        case CodeNumber: return intText(in_.Settings.ProtocolNumber);
        case CodePasp1: return escapeHtml(passportValue(in_.Passport, 1, 8));
        case CodePasp3: return escapeHtml(passportValue(in_.Passport, 3, 8));
        case CodePasp4: return escapeHtml(passportValue(in_.Passport, 4, 64));
        case CodePasp5: return escapeHtml(passportValue(in_.Passport, 5, 64));
        case CodePasp9: return escapeHtml(passportValue(in_.Passport, 9, 8));
        case CodePasp14: return escapeHtml(passportValue(in_.Passport, 14, 8));
        case CodeEc1: return number(groups_[0]);
        case CodeEc2: return number(groups_[1]);
        case CodeEc1ByEc2: return quotient(groups_[0], groups_[1]);
        case CodeEc1BySum: return quotient(groups_[0], sum_);
        case CodeEc2BySum: return quotient(groups_[1], sum_);
        case CodeConcBySum: return quotient(conc_[r], sum_);
        case CodeTime: return fixedText(parseLenient(in_.Rows[r].Time), 10, 2);
        case CodeHeight: return fixedText(parseLenient(in_.Rows[r].Height), 10, 1);
        case CodeArea: return fixedText(parseLenient(in_.Rows[r].Area), 10, 1);
        case CodeEc3: return number(groups_[2]);
        case CodeEc4: return number(groups_[3]);
        case CodeEc3BySum: return quotient(groups_[2], sum_);
        case CodeEc4BySum: return quotient(groups_[3], sum_);
        case CodeEc5: return number(groups_[4]);
        case CodeEc6: return number(groups_[5]);
        case CodeEc5BySum: return quotient(groups_[4], sum_);
        case CodeEc6BySum: return quotient(groups_[5], sum_);
        case CodePasp8: return escapeHtml(passportValue(in_.Passport, 8, 8));
        case CodePasp11: return escapeHtml(passportValue(in_.Passport, 11, 8));
        case CodePasp7: return escapeHtml(passportValue(in_.Passport, 7, 8));
        case CodePasp10: return escapeHtml(passportValue(in_.Passport, 10, 8));
        case CodePasp6: return escapeHtml(passportValue(in_.Passport, 6, 8));
        default: return {};
    }
}

std::string ProtocolValues::substitute(std::string_view line, std::optional<size_t> row) const {
    const size_t at = line.find('@');
    if (at == std::string_view::npos) return std::string(line);
    const size_t end = line.find('@', at + 1);
    const std::string_view key = end == std::string_view::npos ? std::string_view() : line.substr(at + 1, end - at - 1);
    const int c = code(key);
    if (c < 1 || c > CodePasp6) return std::string(line);
    const std::string_view rest = end == std::string_view::npos ? line.substr(at + 1) : line.substr(end + 1);
    return std::string(line.substr(0, at)) + value(c, row) + std::string(rest);
}

// ---- the page ----

HtmlProtocolPage BuildHtmlProtocol(const HtmlProtocolInput& input) {
    HtmlProtocolPage page;
    HtmlProtocolInput in = input;
    const std::string prefix = cutText(in.Settings.Blank, 4);
    if (prefix != "base" && prefix != "Base") in.Settings.ProtocolNumber = static_cast<uint16_t>(in.Settings.ProtocolNumber + 1);
    page.Settings = in.Settings;

    const ProtocolValues values(in);
    if (!in.Norms.mediumIndex(in.Settings.Medium))
        for (const std::string& line : in.Blank)
            if (const auto key = ProtocolValues::firstKey(line); key && isNormCode(values.code(*key))) {
                page.Refusal = RU("Среда \"") + in.Settings.Medium + RU("\" не найдена в таблице ПДК");
                return page;
            }

    std::vector<std::string> out;
    std::vector<std::string> block;
    bool open = false;
    auto writeOnce = [&] {
        for (const std::string& l : block) out.push_back(values.substitute(l, std::nullopt));
        block.clear();
        open = false;
    };
    auto complete = [&] {
        std::optional<std::string> key;
        if (block.size() > 1) key = ProtocolValues::firstKey(block[1]);
        if (key && (*key == "komp" || *key == "C" || *key == "pdk")) {
            for (size_t r = 0; r < in.Rows.size(); ++r) {
                if (isOutsideBlocks(in.Rows[r].Name)) continue;
                for (const std::string& l : block) out.push_back(values.substitute(l, r));
            }
            block.clear();
            open = false;
        } else {
            writeOnce();
        }
    };
    for (const std::string& line : in.Blank) {
        if (contains(line, "<tr>")) {
            if (open) writeOnce();  // a block left open is written as it stands
            open = true;
        }
        if (!open) {
            out.push_back(values.substitute(line, std::nullopt));
            continue;
        }
        block.push_back(line);
        if (contains(line, "</tr>")) complete();
    }
    if (open) writeOnce();

    page.Bytes = joinLinesCrLf(out);
    return page;
}

// ---- files ----

namespace {

std::string missingFile(std::string_view folder, std::string_view name) {
    return RU("Нет файла \\") + std::string(folder) + "\\" + std::string(name);
}

}  // namespace

HtmlProtocolRun WriteHtmlProtocol(const StartFolder& start, const std::vector<ProtocolRow>& rows,
                                  std::string_view filePath, std::string_view comment, int decimals) {
    HtmlProtocolRun run;
    HtmlProtocolInput in;
    const auto prot = readLinesIfExists(start.file("space", "prot.dat"));
    if (!prot) return {missingFile("space", "prot.dat"), {}};
    in.Settings = parseHtmlProtocolSettings(*prot);
    const auto blank = readLinesIfExists(start.file("doc", in.Settings.Blank));
    if (in.Settings.Blank.empty() || !blank) return {RU("Нет бланка \\doc\\") + in.Settings.Blank, {}};
    in.Blank = *blank;
    const std::pair<const char*, const char*> needed[] = {
        {"space", "formu.dat"}, {"space", "komp.dat"}, {"space", "mask.dat"}, {"results", "pasp.txt"}};
    std::vector<std::string>* targets[] = {&in.Keywords, nullptr, &in.Mask, &in.Passport};
    for (size_t i = 0; i < std::size(needed); ++i) {
        const auto lines = readLinesIfExists(start.file(needed[i].first, needed[i].second));
        if (!lines) return {missingFile(needed[i].first, needed[i].second), {}};
        if (targets[i]) *targets[i] = *lines;
        else in.Norms = parseNormsTable(*lines);
    }
    in.Rows = rows;
    in.FilePath = std::string(filePath);
    in.Comment = std::string(comment);
    in.Decimals = decimals;

    HtmlProtocolPage page = BuildHtmlProtocol(in);
    if (page.Refusal) return {page.Refusal, {}};

    const fs::path results = start.ensureFolder("results");
    const fs::path target = findNoCase(results, "prot.htm");
    const fs::path part = results / "prot.htm.part";
    safeRewrite(part, page.Bytes);
    try {
        if (page.Settings.ProtocolNumber != in.Settings.ProtocolNumber) SaveHtmlProtocolSettings(start, page.Settings);
    } catch (...) {
        std::error_code ignored;
        fs::remove(part, ignored);
        throw;
    }
    renameOver(part, target);
    run.Settings = page.Settings;
    return run;
}

std::string OpenHtmlProtocol(const StartFolder& start, Shell& shell) { return OpenResultFile(start, "prot.htm", shell); }

}  // namespace vk7
