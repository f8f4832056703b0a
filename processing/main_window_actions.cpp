#include "processing/main_window_actions.h"

#include <cmath>

#include "chromfile/chromatogram_file.h"
#include "common/number_text.h"

namespace vk7 {

std::string commentWithDate(const LocalDateTime& now, std::string_view oldComment) {
    std::string text = dateText(now) + " " + timeText(now) + " ";
    text.append(oldComment);
    return cutText(text, kMaxCommentChars);
}

double rulerTimeSec(const ProcessingState& state) {
    const OpenChromatogram& c = state.Chrom;
    const PlotView& v = state.View;
    if (!(c.SamplingRate > 0)) return v.ViewStartSec;
    const double pixels = static_cast<double>(roundHalfEven((v.RulerX - v.PlotLeft) * v.PointsPerPixel));
    return pixels * c.SamplesPerPoint / c.SamplingRate + v.ViewStartSec;
}

long rulerPointIndex(const ProcessingState& state) {
    const OpenChromatogram& c = state.Chrom;
    if (!(c.SamplingRate > 0) || c.SamplesPerPoint <= 0) return 0;
    const double index = rulerTimeSec(state) * c.SamplingRate / c.SamplesPerPoint;
    if (!std::isfinite(index)) return 0;
    return static_cast<long>(roundHalfEven(index)) + 1;
}

std::optional<int> zeroOffsetAtRuler(const ProcessingState& state) {
    if (state.ProgramMode == ModeNone || state.View.OverlayCount != 0) return std::nullopt;
    const long i = rulerPointIndex(state);
    if (i < 1 || i > state.Chrom.PointCount()) return std::nullopt;
    return clampToInt16(-static_cast<int64_t>(state.Chrom.Points[static_cast<int>(i)]));
}

}  // namespace vk7
