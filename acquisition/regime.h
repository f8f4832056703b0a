// The acquisition regime of the two channels of a pair: twelve parameters (some of them
// line numbers of the passport dictionaries), the channel value R, the channel name and the
// data folder, with the files that keep them (regs.txt, \space\uslow.dat, regim.dat /
// regim1.dat, rsv.dat / rsv1.dat), the methods file \space\metn, and the editing of the
// regime grid: which list or edit box a cell opens and what a choice or a typed value does.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "platform/dialogs.h"

namespace vk7 {

inline constexpr int kRegimeParameterCount = 12;
inline constexpr int kRegimeGridRows = 16;
inline constexpr size_t kChannelNameLength = 111;  // the comment "date time name" stays within 128
inline constexpr size_t kDataFolderLength = 16;
inline constexpr size_t kMethodHeadingLength = 32;
// The methods file is read in lines of 64 characters: "#" and at most 63 of a method's name.
inline constexpr size_t kMethodNameLength = 63;
inline constexpr int kMaxDictionaryEntries = 255;  // a header word keeps the line number in its low byte

// Grid rows.
namespace regime_row {
inline constexpr int Method = 0, Detector = 1, Gas = 3, Column = 4, Temperature = 5, Sm = 12, R = 13, Name = 14,
                     Folder = 15;
}

// The dictionary that a grid row chooses from, or nullptr for a row of plain numbers.
const char* regimeDictionary(int row);

// What the regime of one pair holds besides the names, record times and polarities (which
// live with the program settings and the polarity buttons).
struct RegimeState {
    std::array<std::array<int16_t, kRegimeParameterCount>, 2> parameters{};  // P0..P11 per channel
    std::array<double, 2> channelValue{1.0, 1.0};                             // R
    std::array<std::string, 2> dataFolder;
    std::array<std::string, 4> methodHeadings{"?", "?", "?", "?"};            // AB 1, 2; CD 1, 2
    std::string settingsByte = "0";
    std::array<std::string, kRegimeGridRows> captions;                        // column 0
    std::array<std::array<std::string, 2>, kRegimeGridRows> cells;            // columns 1 and 2
    // Counts every reload of the pair, so that a window knows when to show the grid again.
    int generation = 0;
};

// The per-pair file names.
const char* regimeFileName(bool pairAB);        // regim.dat / regim1.dat
const char* channelSettingsFileName(bool pairAB);  // rsv.dat / rsv1.dat

// regim.dat: 24 lines, channel 1 and channel 2 of each parameter in turn, written unsigned
// (-1 as 65535); read whole, taking the low 16 bits (a line that is no number gives 0).
std::vector<std::string> regimeLines(const RegimeState& regime);
void parseRegimeLines(const std::vector<std::string>& lines, RegimeState& regime);

// rsv.dat, 19 lines.
struct ChannelSettingsValues {
    std::string settingsByte = "0";
    std::array<std::string, 2> name;
    std::array<uint16_t, 2> recordTimeSec{1800, 1800};
    std::array<int, 2> polarity{0, 0};
    std::array<double, 2> channelValue{1.0, 1.0};
    std::array<std::string, 2> dataFolder;
};
std::vector<std::string> channelSettingsLines(const ChannelSettingsValues& values);
// Names are cut to 111 characters, folders to 16, a polarity other than 0 reads as 1, an R
// of 0 or less (or no number) as 1.
ChannelSettingsValues parseChannelSettingsLines(const std::vector<std::string>& lines);

// One method record of the methods file.
struct MethodRecord {
    std::array<std::string, kRegimeParameterCount> rows;  // record lines 1..12
    double channelValue = 1.0;
    uint16_t recordTimeSec = 0;
    int polarity = 0;
};
// The 23 record lines after the name line.
std::vector<std::string> methodRecordLines(const MethodRecord& record);
// The method names of the file (the rest of every line "#..." other than "#").
std::vector<std::string> methodNames(const std::vector<std::string>& lines);
// The record of the first method of the name, or nullopt.
std::optional<MethodRecord> findMethod(const std::vector<std::string>& lines, const std::string& name);
// The file bytes with a record appended: the name (cut to 63 characters) on a line of its own,
// 23 lines and "#" without a line end.
std::string appendMethod(std::string fileBytes, const std::string& name, const MethodRecord& record);
// The file bytes without the first method of the name (its name line and 23 lines); the
// whole file when the name is not there. The "#" that ends the file keeps no line end.
std::string removeMethod(const std::vector<std::string>& lines, const std::string& name);

// The dictionary with `entry`: the number of its first equal line, or the entry appended as
// a new last line (after a line end, also when the last line has none). `appended` tells
// which. Returns 0 when the entry is new and the dictionary has 255 lines already.
struct DictionaryAppend {
    int lineNumber = 0;
    bool appended = false;
    std::string bytes;  // the new file content when appended
};
DictionaryAppend addDictionaryEntry(const std::string& fileBytes, const std::string& entry);

// The regime grid and its files for the current pair. Texts are Windows-1251.
class RegimeEditor {
public:
    struct Environment {
        const StartFolder& start;
        Dialogs& dialogs;
        RegimeState& regime;
        // The names, record times and polarities of the two channels.
        std::array<std::string, 2>& channelName;
        std::array<uint16_t, 2>& recordTimeSec;
        std::array<int, 2>& polarity;
        const bool& pairAB;
        // Whether the channel records now (its regime is then left as it is).
        std::function<bool(int channel)> isRecording;
    };

    explicit RegimeEditor(Environment env) : env_(std::move(env)) {}

    // LoadRegime and LoadChannelSettings of the current pair. A missing file leaves the
    // values as they are (it is written at the close).
    void load();
    // SaveRegime and SaveChannelSettings of the current pair.
    void save();

    // What a click on a cell opens above the grid.
    enum class Popup { None, List, Edit };
    struct PopupView {
        Popup kind = Popup::None;
        std::vector<std::string> items;
        std::string text;
    };
    PopupView click(int row, int channel);
    // A cell's text as typed in place (rows 1 to 13); rows 0, 14 and 15 change only the cell.
    void cellTyped(int row, int channel, const std::string& text);
    // A list item chosen by a click (index from 0).
    void listChosen(int row, int channel, int index, const std::string& text);
    // Enter in the list: a new dictionary entry, a new data folder, or a method saved.
    void listEnter(int row, int channel, const std::string& text);
    // Enter in the name editor.
    void nameEntered(int channel, const std::string& text);
    // F8 in the method list: asks, then removes the first method of the name. True when the
    // list should close.
    bool deleteMethod(const std::string& name);
    void applyMethod(const std::string& name, int channel);
    void saveMethod(const std::string& name, int channel);
    // The polarity button.
    void togglePolarity(int channel);

    const std::string& cell(int row, int channel) const { return env_.regime.cells[size_t(row)][size_t(channel - 1)]; }
    // The method heading of the channel in the current pair.
    std::string& heading(int channel);

    // The folder that receives the channel's recordings (looked up without regard to case).
    fs::path dataFolderPath(int channel) const;

private:
    void showParameter(int row, int channel);
    void showAll();
    void markChanged(int channel);
    std::vector<std::string> dictionaryLines(int row) const;
    bool refuseWhileRecording(int channel);

    Environment env_;
    bool deleteArmed_ = false;
};

}  // namespace vk7
