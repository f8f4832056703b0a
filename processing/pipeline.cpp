#include "processing/pipeline.h"

namespace vk7 {

PipelineResult ProcessChromatogram(ProcessingState& state) {
    PipelineResult result;
    if (state.ProgramMode == ModeNone) return result;
    return result;
}

}  // namespace vk7
