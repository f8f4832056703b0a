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
// ProgramMode 0. The caller repaints the plot afterwards.
PipelineResult ProcessChromatogram(ProcessingState& state);

}  // namespace vk7
