// Automatic peak markup, the sorting of peaks into single peaks and groups of unresolved
// peaks, and the measurement of every peak on the point array. Plain functions over the
// points, the detection parameters and the markup; they keep no state of their own and
// allocate nothing once the markup has room for its peaks.
#pragma once

#include <cstdint>

#include "chromfile/chromatogram_file.h"
#include "chromfile/peak_markup.h"
#include "chromfile/processing_settings.h"
#include "common/numbered_array.h"

namespace vk7 {

// What the detection needs of the chromatogram and the settings.
struct DetectionParams {
    double DetectThreshold = 0.5;  // smallest peak height, mV
    int AveragingMs = 200;         // averaging interval of the points
    double SamplingRate = 25;      // samples per second of the file
    int UnitCode = 0;
    int SignalMultiplier = 1;
};

DetectionParams detectionParams(const OpenChromatogram& chrom, const ProcessingSettings& settings);

// The slope threshold L in counts per point: one hundredth of the smallest peak height in
// counts, DetectThreshold / 100 / 10000 x 32768 x 64 / F. Meaningful only when F > 0.
double slopeThreshold(const DetectionParams& params);
// The smallest accepted width in points: round(1000 / AveragingMs), one second of points
// (an averaging interval of 0 stands for round(1000 / rate)).
int minimumPeakWidth(const DetectionParams& params);

// Replaces `markup` by the peaks found in one pass over first differences, then classifies
// them. A peak starts where the rise exceeds L, takes its apex at the running maximum, turns
// to its descent at the first fall and ends where the signal rises again or where a descent
// that was once at least L/2 steep flattens below L/2. It is kept when it is at least
// DetectThreshold high above the lower of its start and end values and at least
// minimumPeakWidth wide. At most 255 peaks; a peak still open at the end is not kept. No
// peaks when the scale factor F is 0 or less or the unit code is beyond 4.
// Start values are those of the point ten before the rise (not before point 1), heights the
// running maxima; the measurement replaces both.
void DetectPeaks(const NumberedArray<int16_t>& points, const DetectionParams& params, PeakMarkup& markup);

// Sets the type codes of all peaks from their positions and values: a peak that starts at
// most one point after the previous one ended continues a group ('B' first, 'G' inner, 'E'
// last; 'M' single). A group whose straight base line, from its first start to its last end,
// passes above the start value of a member is split before that member. Every 'B' is closed
// by an 'E' and no 'G' or 'E' stands outside a group. (The caller ends a pending click
// action of the markup editor.)
void ClassifyPeakGroups(PeakMarkup& markup);

// Measures every peak on the points: start and end values, and the apex at the first
// extreme between them, the largest value for a positive peak (the middle point above the
// lower of the end values), the smallest for a negative one; the height is the apex value.
// Bounds are brought into 1..PointCount first. A peak whose start lies after its end keeps
// its apex and gets the height -32768 (positive) or 32767 (negative). Unless `keepNames`,
// every name becomes "?".
void MeasurePeaks(const NumberedArray<int16_t>& points, PeakMarkup& markup, bool keepNames);

// Whether the apex value of a measured peak lies beyond the 16-bit range the detector can
// show (more than 32000 in magnitude). The height of a peak whose start lies after its end
// is a placeholder and never counts.
bool apexOverloaded(const Peak& peak);

}  // namespace vk7
