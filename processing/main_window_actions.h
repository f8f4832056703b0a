// Small actions of the processing program's main window that are plain arithmetic on the
// shared state: the comment with the date in front, the point under the ruler and the
// zero offset of the double click.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "processing/processing_state.h"

namespace vk7 {

// "dd.mm.yyyy HH:MM " followed by the old comment, cut to 128 characters in all.
std::string commentWithDate(const LocalDateTime& now, std::string_view oldComment);

// The time under the ruler in seconds:
// round((RulerX - PlotLeft) x PointsPerPixel) x SamplesPerPoint / rate + ViewStartSec.
double rulerTimeSec(const ProcessingState& state);

// The point under the ruler, as its readout takes it: round(t x rate / SamplesPerPoint) + 1.
// May lie outside 1..PointCount.
long rulerPointIndex(const ProcessingState& state);

// The double click on the plot: with a chromatogram shown and no overlay drawn, the zero
// offset that puts the point under the ruler on the zero line (minus its value, kept in
// 16 bits). Nothing when the ruler stands outside the points.
std::optional<int> zeroOffsetAtRuler(const ProcessingState& state);

}  // namespace vk7
