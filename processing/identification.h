// Identification of the measured peaks by retention time against the active calibration
// archive: absolute times (IdentMode 0) or times relative to a reference substance
// (IdentMode 1). The last computing step of the processing pipeline.
#pragma once

#include <string>
#include <vector>

#include "processing/processing_state.h"

namespace vk7 {

// Names the peaks of the open chromatogram in `state` and sets their overload flags;
// returns the Russian texts of the information boxes to show. Not built yet: it leaves the
// names as the measurement set them and reports nothing.
std::vector<std::string> IdentifyPeaks(ProcessingState& state);

}  // namespace vk7
