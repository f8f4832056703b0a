// The regime files of the acquisition program of any bytes: regs.txt, uslow.dat, regim.dat,
// rsv.dat and the five dictionaries, loaded into the regime grid. What the grid saves loads
// back to the same regime, and a second save writes the same files; the modelling reads the
// same parameters, R and folder from them. Values typed into the grid and entries added to
// a dictionary are what the grid shows after a save and a load.
//
// Input: regs.txt, uslow.dat, regim.dat, rsv.dat, detect, gas, kolon, temp, sm, and the bytes
// that choose the pair and the typed values, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

#include "acquisition/regime.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "modelling/model_chromatogram.h"

using namespace vk7;

namespace {

const char* const kDictionaries[] = {"detect", "gas", "kolon", "temp", "sm"};
const int kDictionaryRows[] = {regime_row::Detector, regime_row::Gas, regime_row::Column, regime_row::Temperature,
                               regime_row::Sm};

// One program's view of the regime: the grid's state and the values kept beside it.
struct Grid {
    RegimeState regime;
    std::array<std::string, 2> channelName;
    std::array<uint16_t, 2> recordTimeSec{};
    std::array<int, 2> polarity{};
    bool pairAB = true;
    fuzz::AcceptingDialogs dialogs;
    RegimeEditor editor;

    Grid(const StartFolder& start, bool ab)
        : pairAB(ab), editor({start, dialogs, regime, channelName, recordTimeSec, polarity, pairAB, {}}) {
        editor.load();
    }
};

std::string space(const StartFolder& start, const char* name) { return readFileBytes(start.file("space", name)); }

// The files a save writes, as bytes.
std::vector<std::string> savedFiles(const StartFolder& start, bool ab) {
    return {space(start, "uslow.dat"), space(start, regimeFileName(ab)), space(start, channelSettingsFileName(ab))};
}

// The regime `b` loaded from what `a` saved holds the same values: texts as a line file
// holds them once written, R as its 23-character text reads back.
void checkSameRegime(const Grid& a, const Grid& b) {
    const auto written = [](auto texts) {
        for (auto& t : texts) t = fuzz::asWritten(t);
        return texts;
    };
    FUZZ_CHECK(b.regime.parameters == a.regime.parameters);
    FUZZ_CHECK(b.regime.dataFolder == written(a.regime.dataFolder));
    FUZZ_CHECK(b.regime.methodHeadings == written(a.regime.methodHeadings));
    FUZZ_CHECK(b.regime.settingsByte == fuzz::asWritten(a.regime.settingsByte));
    FUZZ_CHECK(b.channelName == written(a.channelName));
    FUZZ_CHECK(b.recordTimeSec == a.recordTimeSec);
    FUZZ_CHECK(b.polarity == a.polarity);
    // (R's cell shows every digit of a large R: its text is compared through R above.)
    for (int row = 1; row < regime_row::R; ++row) FUZZ_CHECK(b.regime.cells[size_t(row)] == a.regime.cells[size_t(row)]);
    for (size_t ch = 0; ch < 2; ++ch)
        FUZZ_CHECK(std::fabs(a.regime.channelValue[ch] - b.regime.channelValue[ch]) <= 1e-13 * a.regime.channelValue[ch]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 10);
    const StartFolder start = fuzz::freshStartFolder();
    const fs::path spaceDir = start.ensureFolder("space");
    safeRewrite(start.root() / "regs.txt", parts[0]);
    safeRewrite(spaceDir / "uslow.dat", parts[1]);
    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[9].data()), parts[9].size());
    const bool ab = in.ConsumeBool();
    safeRewrite(spaceDir / regimeFileName(ab), parts[2]);
    safeRewrite(spaceDir / channelSettingsFileName(ab), parts[3]);
    for (int d = 0; d < 5; ++d) safeRewrite(spaceDir / kDictionaries[d], parts[size_t(4 + d)]);

    // Loaded, saved and loaded again: the same regime; saved again: the same bytes.
    std::vector<std::string> first;
    {
        Grid loaded(start, ab);
        loaded.editor.save();
        first = savedFiles(start, ab);
        Grid again(start, ab);
        checkSameRegime(loaded, again);
        again.editor.save();
        FUZZ_CHECK(savedFiles(start, ab) == first);
    }

    // The modelling's view of pair A and B: channel 1's parameters, R and folder.
    if (ab) {
        const Grid grid(start, ab);
        const ModelRegime model = readModelRegime(start);
        for (int i = 0; i <= 10; ++i) FUZZ_CHECK(model.Line[size_t(2 * i + 1)] == grid.regime.parameters[0][size_t(i)]);
        FUZZ_CHECK(std::fabs(model.ChannelR - grid.regime.channelValue[0]) <= 1e-13 * grid.regime.channelValue[0]);
        FUZZ_CHECK(model.Section == trimBlanks(grid.regime.dataFolder[0]));
    }

    // Typed values and dictionary entries, then saved and loaded.
    Grid grid(start, ab);
    while (in.remaining_bytes() > 0) {
        const int channel = in.ConsumeBool() ? 2 : 1;
        const int kind = in.ConsumeIntegralInRange(0, 3);
        std::string text = in.ConsumeRandomLengthString(200);
        // A line edit holds one line.
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        if (kind == 0) {
            const int row = in.ConsumeIntegralInRange(1, regime_row::R);
            grid.editor.cellTyped(row, channel, text);
        } else if (kind == 1) {
            const int d = in.ConsumeIntegralInRange(0, 4);
            const int row = kDictionaryRows[d];
            const int shown = grid.dialogs.messages;
            grid.editor.listEnter(row, channel, text);
            if (!text.empty() && grid.dialogs.messages == shown) {
                // The entry is the dictionary's line of the parameter (in the header word's low
                // byte), and the cell shows it.
                const auto lines = readLinesIfExists(spaceDir / kDictionaries[d], 128);
                const int line = static_cast<uint8_t>(grid.regime.parameters[size_t(channel - 1)][size_t(row - 1)]);
                FUZZ_CHECK(lines && line >= 1 && size_t(line) <= lines->size());
                FUZZ_CHECK((*lines)[size_t(line - 1)] == cutText(text, 128));
                FUZZ_CHECK(grid.editor.cell(row, channel) == cutText(text, 128));
            }
        } else if (kind == 2) {
            grid.editor.nameEntered(channel, text);
        } else {
            const auto click = grid.editor.click(in.ConsumeIntegralInRange(0, regime_row::Folder), channel);
            (void)click;
        }
    }
    grid.editor.save();
    Grid back(start, ab);
    FUZZ_CHECK(back.regime.parameters == grid.regime.parameters);
    FUZZ_CHECK(back.channelName == grid.channelName);
    FUZZ_CHECK(back.regime.dataFolder == grid.regime.dataFolder);
    FUZZ_CHECK(back.polarity == grid.polarity);
    for (size_t ch = 0; ch < 2; ++ch)
        FUZZ_CHECK(std::fabs(back.regime.channelValue[ch] - grid.regime.channelValue[ch]) <= 1e-13 * grid.regime.channelValue[ch]);
    return 0;
}
