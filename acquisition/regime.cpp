#include "acquisition/regime.h"

#include <algorithm>
#include <system_error>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

constexpr size_t kMethodLineLength = 64;
constexpr size_t kRegsLineLength = 128;

const std::string& lineOf(const std::vector<std::string>& lines, size_t number) {
    static const std::string empty;
    return number >= 1 && number <= lines.size() ? lines[number - 1] : empty;
}

// A parameter read whole, keeping its low 16 bits (65535 is -1).
int16_t lowWord(std::string_view text) { return static_cast<int16_t>(static_cast<uint16_t>(parseLenientInt(text) & 0xFFFF)); }

uint16_t secondsOf(std::string_view text) {
    return static_cast<uint16_t>(std::clamp<int64_t>(parseLenientInt(text), 0, 65535));
}

std::string channelValueText(double r) { return fixedText(r, 7, 2); }

bool isDictionaryRow(int row) { return regimeDictionary(row) != nullptr; }

// A data folder name: one plain name below data, at most 16 characters.
bool validFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

const char* regimeDictionary(int row) {
    switch (row) {
        case regime_row::Detector: return "detect";
        case regime_row::Gas: return "gas";
        case regime_row::Column: return "kolon";
        case regime_row::Temperature: return "temp";
        case regime_row::Sm: return "sm";
        default: return nullptr;
    }
}

const char* regimeFileName(bool pairAB) { return pairAB ? "regim.dat" : "regim1.dat"; }
const char* channelSettingsFileName(bool pairAB) { return pairAB ? "rsv.dat" : "rsv1.dat"; }

// ---- regim.dat, rsv.dat ----------------------------------------------------------------

std::vector<std::string> regimeLines(const RegimeState& regime) {
    std::vector<std::string> lines;
    for (int i = 0; i < kRegimeParameterCount; ++i)
        for (int ch = 0; ch < 2; ++ch) lines.push_back(intText(static_cast<uint16_t>(regime.parameters[size_t(ch)][size_t(i)])));
    return lines;
}

void parseRegimeLines(const std::vector<std::string>& lines, RegimeState& regime) {
    for (int i = 0; i < kRegimeParameterCount; ++i)
        for (int ch = 0; ch < 2; ++ch)
            regime.parameters[size_t(ch)][size_t(i)] = lowWord(lineOf(lines, size_t(2 * i + ch + 1)));
}

std::vector<std::string> channelSettingsLines(const ChannelSettingsValues& v) {
    const std::string r1 = expText(v.channelValue[0], 23), r2 = expText(v.channelValue[1], 23);
    const std::string t2 = intText(v.recordTimeSec[1]), p2 = intText(v.polarity[1]);
    return {v.settingsByte, v.name[0], v.name[1], intText(v.recordTimeSec[0]), t2, v.name[0], v.name[1], t2, t2,
            intText(v.polarity[0]), p2, p2, p2, r1, r2, r2, r2, v.dataFolder[0], v.dataFolder[1]};
}

ChannelSettingsValues parseChannelSettingsLines(const std::vector<std::string>& lines) {
    ChannelSettingsValues v;
    v.settingsByte = lineOf(lines, 1);
    for (size_t ch = 0; ch < 2; ++ch) {
        v.name[ch] = cutText(lineOf(lines, 2 + ch), kChannelNameLength);
        v.recordTimeSec[ch] = secondsOf(lineOf(lines, 4 + ch));
        v.polarity[ch] = parseLenientInt(lineOf(lines, 10 + ch)) != 0 ? 1 : 0;
        const double r = parseLenient(lineOf(lines, 14 + ch));
        v.channelValue[ch] = r > 0 ? r : 1.0;
        v.dataFolder[ch] = cutText(lineOf(lines, 18 + ch), kDataFolderLength);
    }
    return v;
}

// ---- metn ------------------------------------------------------------------------------

std::vector<std::string> methodRecordLines(const MethodRecord& r) {
    std::vector<std::string> lines(r.rows.begin(), r.rows.end());
    for (int i = 0; i < 4; ++i) lines.push_back(r.rows.back());
    lines.push_back(fixedText(r.channelValue, 5, 1));
    lines.push_back(intText(r.recordTimeSec));
    const std::string polarity = intText(r.polarity);
    for (int i = 0; i < 5; ++i) lines.push_back(polarity);
    return lines;
}

std::vector<std::string> methodNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const auto& l : lines)
        if (l.size() > 1 && l[0] == '#') names.push_back(l.substr(1));
    return names;
}

std::optional<MethodRecord> findMethod(const std::vector<std::string>& lines, const std::string& name) {
    const std::string head = "#" + name;
    auto it = std::find(lines.begin(), lines.end(), head);
    if (it == lines.end()) return std::nullopt;
    const size_t nameLine = size_t(it - lines.begin()) + 1;  // 1-based
    // The record's line k + 1 (k from 0).
    auto line = [&](size_t k) -> const std::string& { return lineOf(lines, nameLine + 1 + k); };
    MethodRecord r;
    for (size_t i = 0; i < kRegimeParameterCount; ++i) r.rows[i] = line(i);
    r.channelValue = parseLenient(line(16));
    r.recordTimeSec = secondsOf(line(17));
    r.polarity = parseLenientInt(line(18)) != 0 ? 1 : 0;
    return r;
}

std::string appendMethod(std::string bytes, const std::string& name, const MethodRecord& record) {
    // Every record ends with a line "#" without a line end, which the next record's name
    // completes into its name line. Any other last line, even one that ends with '#' ("x#"),
    // is ended first, so that the name starts a line of its own.
    const size_t lastLine = bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1;
    if (std::string_view(bytes).substr(lastLine) != "#") {
        if (!bytes.empty() && bytes.back() != '\n') bytes += bytes.back() == '\r' ? "\n" : "\r\n";
        bytes += '#';
    }
    bytes += cutText(name, kMethodNameLength) + "\r\n";
    bytes += joinLinesCrLf(methodRecordLines(record));
    bytes += '#';
    return bytes;
}

std::string removeMethod(const std::vector<std::string>& lines, const std::string& name) {
    const std::string head = "#" + name;
    std::string out;
    bool removed = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!removed && lines[i] == head) {
            removed = true;
            i += 23;  // the record's lines; the loop steps over the name line
            continue;
        }
        out += lines[i];
        if (lines[i] != "#" || i + 1 < lines.size()) out += "\r\n";
    }
    return out;
}

DictionaryAppend addDictionaryEntry(const std::string& bytes, const std::string& entry) {
    const auto lines = splitLines(bytes, 128);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == entry) return {int(i) + 1, false, {}};
    if (lines.size() >= size_t(kMaxDictionaryEntries)) return {0, false, {}};
    DictionaryAppend a{int(lines.size()) + 1, true, bytes};
    if (!a.bytes.empty() && a.bytes.back() != '\n') a.bytes += "\r\n";
    a.bytes += entry + "\r\n";
    return a;
}

// ---- the grid --------------------------------------------------------------------------

std::string& RegimeEditor::heading(int channel) {
    return env_.regime.methodHeadings[size_t((env_.pairAB ? 0 : 2) + channel - 1)];
}

std::vector<std::string> RegimeEditor::dictionaryLines(int row) const {
    auto lines = readLinesIfExists(env_.start.file("space", regimeDictionary(row)), 128);
    return lines ? *lines : std::vector<std::string>{};
}

void RegimeEditor::showParameter(int row, int channel) {
    const int16_t p = env_.regime.parameters[size_t(channel - 1)][size_t(row - 1)];
    std::string text = intText(p);
    if (isDictionaryRow(row)) {
        // The entry of the line number in the low byte; a 0 leaves the number shown.
        const int n = static_cast<uint8_t>(p);
        if (n > 0) text = [&] {
            const auto lines = dictionaryLines(row);
            return n <= int(lines.size()) ? lines[size_t(n - 1)] : std::string();
        }();
    }
    env_.regime.cells[size_t(row)][size_t(channel - 1)] = text;
}

void RegimeEditor::showAll() {
    auto& cells = env_.regime.cells;
    for (int ch = 1; ch <= 2; ++ch) {
        const size_t c = size_t(ch - 1);
        cells[regime_row::Method][c] = heading(ch);
        for (int row = 1; row <= kRegimeParameterCount; ++row) showParameter(row, ch);
        cells[regime_row::R][c] = channelValueText(env_.regime.channelValue[c]);
        cells[regime_row::Name][c] = env_.channelName[c];
        cells[regime_row::Folder][c] = env_.regime.dataFolder[c];
    }
}

void RegimeEditor::load() {
    RegimeState& r = env_.regime;
    if (auto regs = readLinesIfExists(env_.start.file("", "regs.txt"), kRegsLineLength))
        for (size_t i = 0; i < r.captions.size(); ++i) r.captions[i] = lineOf(*regs, i + 1);
    if (auto uslow = readLinesIfExists(env_.start.file("space", "uslow.dat"), kMethodHeadingLength))
        for (size_t i = 0; i < 4; ++i) r.methodHeadings[i] = lineOf(*uslow, i + 1);
    if (auto lines = readLinesIfExists(env_.start.file("space", regimeFileName(env_.pairAB))))
        parseRegimeLines(*lines, r);
    if (auto lines = readLinesIfExists(env_.start.file("space", channelSettingsFileName(env_.pairAB)))) {
        const ChannelSettingsValues v = parseChannelSettingsLines(*lines);
        r.settingsByte = v.settingsByte;
        env_.channelName = v.name;
        env_.recordTimeSec = v.recordTimeSec;
        env_.polarity = v.polarity;
        r.channelValue = v.channelValue;
        r.dataFolder = v.dataFolder;
    }
    deleteArmed_ = false;
    showAll();
    ++r.generation;
}

void RegimeEditor::save() {
    const RegimeState& r = env_.regime;
    const fs::path space = env_.start.ensureFolder("space");
    std::vector<std::string> headings(r.methodHeadings.begin(), r.methodHeadings.end());
    writeLines(findNoCase(space, "uslow.dat"), headings);
    writeLines(findNoCase(space, regimeFileName(env_.pairAB)), regimeLines(r));
    ChannelSettingsValues v;
    v.settingsByte = r.settingsByte;
    v.name = env_.channelName;
    v.recordTimeSec = env_.recordTimeSec;
    v.polarity = env_.polarity;
    v.channelValue = r.channelValue;
    v.dataFolder = r.dataFolder;
    writeLines(findNoCase(space, channelSettingsFileName(env_.pairAB)), channelSettingsLines(v));
}

void RegimeEditor::markChanged(int channel) {
    heading(channel) = "?";
    env_.regime.cells[regime_row::Method][size_t(channel - 1)] = "?";
}

bool RegimeEditor::refuseWhileRecording(int channel) {
    if (!env_.isRecording || !env_.isRecording(channel)) return false;
    env_.dialogs.info(RU("Идет запись канала: его режим менять нельзя."));
    return true;
}

RegimeEditor::PopupView RegimeEditor::click(int row, int channel) {
    PopupView v;
    const std::string& text = cell(row, channel);
    if (row >= 1 && row <= kRegimeParameterCount) markChanged(channel);
    if (row == regime_row::Method) {
        auto lines = readLinesIfExists(env_.start.file("space", "metn"), kMethodLineLength);
        v = {Popup::List, lines ? methodNames(*lines) : std::vector<std::string>{}, text};
    } else if (isDictionaryRow(row)) {
        v = {Popup::List, dictionaryLines(row), text};
    } else if (row == regime_row::Name) {
        v = {Popup::Edit, {}, text};
    } else if (row == regime_row::Folder) {
        v.kind = Popup::List;
        v.text = text;
        std::error_code ec;
        const fs::path data = env_.start.folder("data");
        for (fs::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_directory(ec)) v.items.push_back(textFromPath(it->path().filename()));
        std::sort(v.items.begin(), v.items.end());
    }
    return v;
}

void RegimeEditor::cellTyped(int row, int channel, const std::string& text) {
    const size_t c = size_t(channel - 1);
    if (row >= 1 && row <= regime_row::R && env_.isRecording && env_.isRecording(channel)) {
        showAll();  // the recording keeps the values it started with; the grid shows them
        return;
    }
    env_.regime.cells[size_t(row)][c] = text;
    if (row == regime_row::R) {
        const double r = parseLenient(text);
        if (r <= 0) {
            env_.dialogs.warning(RU("Величина R должна быть больше нуля."));
            env_.regime.cells[size_t(row)][c] = channelValueText(env_.regime.channelValue[c]);
            return;
        }
        env_.regime.channelValue[c] = r;
    } else if (row >= 1 && row <= kRegimeParameterCount) {
        env_.regime.parameters[c][size_t(row - 1)] = clampToInt16(parseLenientInt(text));
    }
}

void RegimeEditor::listChosen(int row, int channel, int index, const std::string& text) {
    const size_t c = size_t(channel - 1);
    if (row == regime_row::Method && deleteArmed_) {
        deleteArmed_ = false;
        return;
    }
    if (row == regime_row::Method) {
        applyMethod(text, channel);
        return;
    }
    if (row >= 1 && row <= kRegimeParameterCount) {
        if (refuseWhileRecording(channel)) return;
        env_.regime.parameters[c][size_t(row - 1)] = static_cast<int16_t>(std::clamp(index + 1, 0, 32767));
        env_.regime.cells[size_t(row)][c] = text;
    } else if (row == regime_row::Folder) {
        if (refuseWhileRecording(channel)) return;
        env_.regime.dataFolder[c] = cutText(text, kDataFolderLength);
        env_.regime.cells[size_t(row)][c] = env_.regime.dataFolder[c];
    }
}

void RegimeEditor::listEnter(int row, int channel, const std::string& typed) {
    const size_t c = size_t(channel - 1);
    if (row == regime_row::Method) {
        saveMethod(typed, channel);
        return;
    }
    if (row == regime_row::Folder) {
        const std::string name = cutText(lowerCp1251(typed), kDataFolderLength);
        if (!validFolderName(name)) {
            env_.dialogs.warning(RU("Недопустимое имя папки: ") + typed);
            return;
        }
        if (refuseWhileRecording(channel)) return;
        const fs::path data = env_.start.ensureFolder("data");
        const fs::path folder = findNoCase(data, name);
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) {
            fs::create_directory(data / pathFromText(name), ec);
            if (ec) throw IoError("create", pathForMessage(data / pathFromText(name)), ec.message());
        }
        env_.regime.dataFolder[c] = textFromPath(folder.filename());
        env_.regime.cells[size_t(row)][c] = env_.regime.dataFolder[c];
        return;
    }
    if (!isDictionaryRow(row)) return;
    if (refuseWhileRecording(channel)) return;
    if (typed.empty()) return;
    const fs::path file = env_.start.file("space", regimeDictionary(row));
    const DictionaryAppend a = addDictionaryEntry(readFileBytesIfExists(file).value_or(""), cutText(typed, 128));
    if (a.lineNumber == 0) {
        env_.dialogs.warning(RU("Словарь ") + regimeDictionary(row) + RU(" заполнен: в нем не более 255 строк."));
        return;
    }
    if (a.appended) safeRewrite(file, a.bytes);
    env_.regime.parameters[c][size_t(row - 1)] = static_cast<int16_t>(a.lineNumber);
    env_.regime.cells[size_t(row)][c] = cutText(typed, 128);
}

void RegimeEditor::nameEntered(int channel, const std::string& text) {
    if (refuseWhileRecording(channel)) return;
    env_.channelName[size_t(channel - 1)] = cutText(text, kChannelNameLength);
    env_.regime.cells[regime_row::Name][size_t(channel - 1)] = env_.channelName[size_t(channel - 1)];
}

void RegimeEditor::togglePolarity(int channel) {
    if (refuseWhileRecording(channel)) return;
    int& p = env_.polarity[size_t(channel - 1)];
    p = p ? 0 : 1;
    markChanged(channel);
}

void RegimeEditor::saveMethod(const std::string& name, int channel) {
    if (name.empty() || name == "?" || name.find_first_of("\r\n") != std::string::npos) return;
    const size_t c = size_t(channel - 1);
    MethodRecord r;
    for (int row = 1; row <= kRegimeParameterCount; ++row) {
        const int16_t p = env_.regime.parameters[c][size_t(row - 1)];
        std::string line = intText(p);
        if (isDictionaryRow(row)) {
            // The line of the entry shown; the parameter itself when the entry is not found.
            const auto lines = dictionaryLines(row);
            auto it = std::find(lines.begin(), lines.end(), cell(row, channel));
            line = intText(it != lines.end() && static_cast<uint8_t>(p) != 0 ? int(it - lines.begin()) + 1 : p, 5);
        }
        r.rows[size_t(row - 1)] = line;
    }
    r.channelValue = env_.regime.channelValue[c];
    r.recordTimeSec = env_.recordTimeSec[c];
    r.polarity = env_.polarity[c];
    const fs::path file = findNoCase(env_.start.ensureFolder("space"), "metn");
    safeRewrite(file, appendMethod(readFileBytesIfExists(file).value_or(""), name, r));
    heading(channel) = cutText(name, kMethodNameLength);
    env_.regime.cells[regime_row::Method][c] = heading(channel);
}

void RegimeEditor::applyMethod(const std::string& name, int channel) {
    if (name.empty() || name == "?") return;
    if (deleteArmed_) {
        deleteArmed_ = false;
        return;
    }
    if (refuseWhileRecording(channel)) return;
    const size_t c = size_t(channel - 1);
    auto lines = readLinesIfExists(env_.start.file("space", "metn"), kMethodLineLength);
    if (!lines) return;
    const auto record = findMethod(*lines, name);
    if (!record) return;
    for (int row = 1; row <= kRegimeParameterCount; ++row) {
        env_.regime.parameters[c][size_t(row - 1)] = lowWord(record->rows[size_t(row - 1)]);
        showParameter(row, channel);
        if (!isDictionaryRow(row)) env_.regime.cells[size_t(row)][c] = record->rows[size_t(row - 1)];
    }
    if (record->channelValue > 0) env_.regime.channelValue[c] = record->channelValue;
    env_.regime.cells[regime_row::R][c] = channelValueText(env_.regime.channelValue[c]);
    env_.recordTimeSec[c] = record->recordTimeSec;
    env_.polarity[c] = record->polarity;
    heading(channel) = name;
    env_.regime.cells[regime_row::Method][c] = name;
}

bool RegimeEditor::deleteMethod(const std::string& name) {
    deleteArmed_ = true;
    if (!env_.dialogs.confirm(RU("Удалить методику ") + name + " ?")) return false;
    const fs::path file = env_.start.file("space", "metn");
    auto lines = readLinesIfExists(file);
    if (!lines) return true;
    fs::path bak = file;
    bak += ".bak";
    safeRewrite(file, removeMethod(*lines, name), RewriteOptions{findNoCase(file.parent_path(), textFromPath(bak.filename()))});
    return true;
}

fs::path RegimeEditor::dataFolderPath(int channel) const {
    const std::string& name = env_.regime.dataFolder[size_t(channel - 1)];
    const fs::path data = env_.start.folder("data");
    if (name.empty()) return data;
    const fs::path found = findNoCase(data, name);
    std::error_code ec;
    return fs::exists(found, ec) ? found : data / pathFromText(lowerCp1251(name));
}

}  // namespace vk7
