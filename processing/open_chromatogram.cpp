#include "processing/open_chromatogram.h"

#include <memory>
#include <system_error>

#include "chromfile/dictionaries.h"
#include "processing/pipeline.h"
#include "common/paths.h"

namespace vk7 {

namespace fs = std::filesystem;

fs::path openDialogFolder(const ProcessingState& state) {
    std::error_code ec;
    if (!state.Settings.DataDir.empty()) {
        const fs::path dir = pathFromText(state.Settings.DataDir);
        if (fs::is_directory(dir, ec)) return dir;
    }
    const fs::path data = state.Start.folder("data");
    if (fs::is_directory(data, ec)) return data;
    return state.Start.root();
}

ReadRequest readRequestFor(const ProcessingState& state) {
    ReadRequest request;
    request.AveragingMs = state.Settings.AveragingMs;
    request.MarkupMode = state.Settings.MarkupMode;
    request.Vk7Rate = state.Vk7Rate;
    request.AdditionalFilter = state.AdditionalFilter;
    auto lines = std::make_shared<std::vector<std::string>>(readDictionary(state.Start, "temp").value_or(
        std::vector<std::string>{}));
    request.TemperatureEntry = [lines](int n) { return dictionaryEntry(*lines, n); };
    return request;
}

ReadResult readChromatogramFor(const ProcessingState& state, const fs::path& file) {
    return ReadChromatogram(file, readRequestFor(state));
}

void resetForNewChromatogram(ProcessingState& state) {
    state.ProgramMode = ModeShown;
    state.ClickMode = 0;
    PlotView& v = state.View;
    v.ViewStartSec = 0;
    v.VerticalZoom = 1.0;
    v.ZeroOffset = 0;
    v.FragmentShown = false;
    v.FragmentArmed = false;
    v.OverlayCount = 0;
}

void commitChromatogram(ProcessingState& state, const ChosenFile& file, ReadResult&& read) {
    state.Settings.DataDir = file.DataDir;
    state.Settings.FileName = file.FileName;
    resetForNewChromatogram(state);

    // The stored markup, checked against the new point array and with its groups closed.
    state.Markup = markupOfRead(read, state.Settings.MarkupMode);
    state.Chrom = std::move(read.Chrom);
    // Identification messages are told once per opened chromatogram.
    state.IdentificationNoticeKey.clear();
    state.Settings.AveragingMs = read.AveragingMs;
    if (read.AveragingChanged) state.Settings.MethodologyName.assign(1, '?');  // assign(): GCC 12 warns wrongly on = "?"
    state.View.ViewEndSec = read.ViewEndSec;
    // Group areas computed by the peak modelling belonged to the chromatogram before.
    state.GroupAreasFromModelling = false;
}

fs::path chosenFilePath(const ChosenFile& file) { return pathFromText(file.DataDir + file.FileName); }

}  // namespace vk7
