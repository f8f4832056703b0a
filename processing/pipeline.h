// The processing pipeline that runs after every open and re-read of a chromatogram: the
// markup (stored or detected), the measurement of the peaks and their identification.
#pragma once

#include <string>
#include <vector>

#include "processing/processing_state.h"

namespace vk7 {

struct PipelineResult {
    std::vector<std::string> Notices;  // Russian texts for information boxes
};

// Marks, measures and names the peaks of the open chromatogram in `state`. Does nothing in
// ProgramMode 0. The markup comes from:
//   MarkupMode 0 "Авто": automatic detection, every time;
//   MarkupMode 1 "Архив": the chromatogram's section of the markup store (not reloaded
//     while an overlay is drawn);
//   MarkupMode 2 "Файл" and 3 "Комбин": the markup in state.Markup, which the window set
//     from the file's stored triples when it committed the read (markupFromStoredPeaks);
// and from automatic detection whenever that leaves no peaks. The peaks are then measured
// (their names reset to "?" outside the peak table and when no click action is pending)
// and identified; ClickMode is 0 afterwards. The result depends only on the points, the
// settings, the header and the store, so a rerun gives the same markup. The caller repaints
// the plot. Throws IoError when the store cannot be read (the markup is then unchanged).
PipelineResult ProcessChromatogram(ProcessingState& state);

// The markup that the window commits with a read: the file's stored triples as peaks of the
// new point array (used by MarkupMode 2 and 3; modes 0 and 1 replace it in the pipeline).
PeakMarkup markupOfRead(const ReadResult& read, int markupMode);

}  // namespace vk7
