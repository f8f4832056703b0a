// From marked peaks to areas and concentrations, as the peak table needs them: the closing
// of unresolved groups, the base-line subtraction, the completion of clipped peaks, the
// areas by perpendiculars ("Перпендик") or by the shared base ("ДемокрРазд"), and the
// concentrations interpolated in the calibration points of grad.dat, by absolute
// calibration or by internal standard. All work in place on the point array and the markup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chromfile/peak_markup.h"
#include "chromfile/processing_settings.h"
#include "common/numbered_array.h"
#include "processing/processing_state.h"

namespace vk7 {

// Whether some peak carries the overload flag (the peak table then offers to complete them).
bool HasOverloadedPeaks(const PeakMarkup& markup);

// Brings the signal between and under the peaks to a zero base (groups closed first):
// members of a group start where the previous member ends; before the first peak the line
// from the level of point 10 to the first start is subtracted; between peaks the chord of
// the gap; under a single peak the line from its start value to its end value, under a group
// the line from the first member's start to the last member's end (a negative result is
// taken as its magnitude); after the last peak the level of the first point after it. Start
// and end values are set to the new points. Results saturate at the 16-bit limits; only
// points 1..PointCount are read or written.
void SubtractBaseline(NumberedArray<int16_t>& points, PeakMarkup& markup);

struct ClippedCompletion {
    bool Done = false;      // the points were divided by 10 (false: nothing changed)
    int Completed = 0;      // clipped peaks given their two half-Gaussians
    int LeftUnchanged = 0;  // clipped peaks whose shape allows no completion
};

// Divides every point by 10 (toward zero), measures the peaks, and replaces the flat top of
// each flagged peak by two half-Gaussians through its rising and falling 90 % points, whose
// apex lies where the 30 % and 90 % crossings put it; the peak's flag is then cleared. A peak
// that is not positive, lies beyond the points, lacks one of its four crossings or has its
// apex on a bound keeps its shape and its flag. The caller records the tenfold finer unit.
ClippedCompletion CompleteClippedPeaks(NumberedArray<int16_t>& points, PeakMarkup& markup, int averagingMs);

// "Перпендик": each peak's area is the plain sum of its points, start and end included, so
// members of a group are divided by perpendiculars at their common points. Groups are closed
// and the peaks measured first; negative areas become 0; TotalArea is their sum.
void ComputePlainAreas(const NumberedArray<int16_t>& points, PeakMarkup& markup);

// "ДемокрРазд": a single peak as in ComputePlainAreas; each member of a group gets the sum of
// its points above its own base line (the line between its start and end values; negative
// excess counts 0), and the area under the members' base lines is shared among them in
// proportion to those sums.
void ComputeAreas(const NumberedArray<int16_t>& points, PeakMarkup& markup);

// What turns an area in counts x points into mV x s, the unit of the calibration points.
struct AreaScale {
    int UnitCode = 0;
    int SignalMultiplier = 1;
    int SamplesPerPoint = 3;
    double SamplingRate = 0;  // samples per second
};
// A' = area x 10^UnitCode x SignalMultiplier / 64 x SamplesPerPoint / SamplingRate / 3.2768;
// nullopt when the rate is not positive.
std::optional<double> CalibrationArea(double area, const AreaScale& scale);

// One calibration point of a substance.
struct CalibrationSlot {
    std::string Name;  // at most 32 characters
    double Conc = 0;   // C
    double Area = 0;   // S, mV x s
};
// The calibration points of grad.dat lines, in order; a line with the name and C of an
// earlier point replaces that point's S (the later line of a repeated calibration wins).
// No limit on their number.
std::vector<CalibrationSlot> CalibrationSlots(const std::vector<std::string>& gradLines);

// The concentration of substance `name` at calibration area `a`: interpolated between the
// nearest points below and above (the origin standing for a missing lower point), or
// extrapolated through the two highest points above them all (through the origin with only
// one). 0 when the substance has no point or the two points have the same S.
double InterpolateConcentration(const std::vector<CalibrationSlot>& slots, const std::string& name, double a);

// Sets every negative area to 0 and gives each named peak its concentration. Peaks named "?"
// or with no name keep their concentration; a named peak with no usable calibration gets 0.
void ComputeConcentrations(PeakMarkup& markup, const std::vector<CalibrationSlot>& slots, const AreaScale& scale);

// Whether a peak counts as identified for the concentrations ("?" and an empty name do not).
bool isNamedPeak(const Peak& peak);

// The internal-standard factor StandardConc1 / StandardConc2 / v, v being the standard
// peak's concentration from the calibration or, when it is not named, its share of the total
// area in percent. A zero v, a zero StandardConc2 or a zero total area is taken as 1, and a
// standard peak number beyond the peaks gives v = 1.
double InternalStandardFactor(const PeakMarkup& markup, const ProcessingSettings& settings);

// The concentration the peak table shows for peak i: none for a peak that is not named; by
// internal standard (QuantMethod 1) StandardConc1 / StandardConc2 for the standard peak and
// the calibration's concentration x `standardFactor` for the others; else the calibration's.
std::optional<double> ReportedConcentration(const PeakMarkup& markup, int i, const ProcessingSettings& settings,
                                            double standardFactor);

// ---- the same steps on the shared state ----

// SubtractBaseline on the open chromatogram; the plot's zero offset returns to 0.
void SubtractBaseline(ProcessingState& state);
// CompleteClippedPeaks on the open chromatogram; UnitCode rises by one and the vertical zoom
// is multiplied by 10 so that values and the plot keep their physical meaning. Refused (Done
// false, nothing changed) when UnitCode is already 4, the last unit there is.
ClippedCompletion ReconstructClippedPeaks(ProcessingState& state);
// ComputePlainAreas (AreaMethod 0) or ComputeAreas (AreaMethod 1).
void ComputePeakAreas(ProcessingState& state);
// ComputeConcentrations from space/grad.dat (IoError when it cannot be read).
void ComputeConcentrations(ProcessingState& state);

// The computing steps of the peak table in their order: the base line, the completion of
// clipped peaks when `completeClipped` (the user's answer) and some peak is flagged, the
// areas and the concentrations.
ClippedCompletion QuantifyPeaks(ProcessingState& state, bool completeClipped);

}  // namespace vk7
