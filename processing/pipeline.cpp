#include "processing/pipeline.h"

#include "chromfile/markup_store.h"
#include "processing/identification.h"
#include "processing/peak_detection.h"

namespace vk7 {

PipelineResult ProcessChromatogram(ProcessingState& state) {
    PipelineResult result;
    if (state.ProgramMode == ModeNone) return result;
    const int markupMode = state.Settings.MarkupMode;

    if (markupMode == MarkupStore && state.View.OverlayCount == 0) {
        state.Markup = LoadMarkupFromPics(state.Start, state.Chrom, markupMode);
        state.ClickMode = 0;
    }
    if (markupMode == MarkupAuto || state.Markup.PeakCount() == 0) {
        DetectPeaks(state.Chrom.Points, detectionParams(state.Chrom, state.Settings), state.Markup);
        state.ClickMode = 0;
    }
    const bool keepNames = state.ProgramMode >= ModePeakTable || state.ClickMode != 0;
    MeasurePeaks(state.Chrom.Points, state.Markup, keepNames);
    state.ClickMode = 0;

    std::vector<std::string> notices = IdentifyPeaks(state);
    result.Notices.insert(result.Notices.end(), notices.begin(), notices.end());
    return result;
}

PeakMarkup markupOfRead(const ReadResult& read, int markupMode) {
    return markupFromStoredPeaks(read.StoredMarkup, read.Chrom.Points, markupMode);
}

}  // namespace vk7
