// Modelling of a group of unresolved peaks: each member is fitted by the sum of a large and
// a small Gaussian whose apex, width and height the user sets with track bars while the sum
// is drawn over the plot; the areas of the models then replace the members' areas.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chromfile/peak_markup.h"
#include "common/numbered_array.h"
#include "platform/canvas.h"
#include "processing/plot_view.h"

namespace vk7 {

inline constexpr int kMaxGroupPeaks = 16;
// The widest group the model takes, in points.
inline constexpr int kModelSpanPoints = 1024;

// The two Gaussians of one member: apexes as point numbers, widths (standard deviations) in
// points, heights in counts.
struct ModelPeak {
    int LargeApex = 0, SmallApex = 0;
    int LargeWidth = 0, SmallWidth = 0;
    int16_t LargeHeight = 0, SmallHeight = 0;
};

struct PeakGroupModel {
    int SelectedPeak = 0;   // the group's first peak
    int GroupLastPeak = 0;  // its last peak
    int CurrentModelPeak = 0;  // 0 .. n - 1: the member whose bars are shown
    std::array<ModelPeak, kMaxGroupPeaks> Peaks{};
    // The model curve by point number, 1 .. the chromatogram's point count.
    NumberedArray<int16_t> ModelSamples;
    // What of the model is on the plot now: drawing in xor again erases it.
    bool CurveShown = false;
    bool MarkerShown = false;

    int count() const { return GroupLastPeak - SelectedPeak + 1; }
};

// The group of the 'B' peak whose start is nearest to `point` (the first of equally near
// ones): its first and last peak, or none when no 'B' is followed by an 'E'.
struct ModelGroup {
    int First = 0, Last = 0;
};
std::optional<ModelGroup> FindModelGroup(const PeakMarkup& markup, int point);

// Whether `group` is still one run 'B', 'G' ... 'E' of the markup.
bool IsSameGroup(const PeakMarkup& markup, int first, int last);

// The starting model of the group first .. last (at most kMaxGroupPeaks members): the last
// member's large width from its apex-to-end tail / 3.4, each earlier one the next one's / 1.1;
// apexes at the peak apexes; large height 0.99 of the apex value, small height a tenth of
// that; small width = large width. The model curve is sized to the points and cleared.
void InitialPeakModel(PeakGroupModel& model, const NumberedArray<int16_t>& points, const PeakMarkup& markup,
                      int first, int last);

// The averaging in ms that would bring the group within kModelSpanPoints, when it is wider.
std::optional<int> ModelSpanAveragingMs(const PeakMarkup& markup, int first, int last, int averagingMs);
std::string GroupTooWideText(int averagingMs);  // "Увеличте Тф до " + ms + " и перезагрузите хроматограмму"
const std::string& TooManyGroupPeaksText();     // "Больше 16 пиков в группе. Попробуйте разбить ее."
std::string GroupPeakCountText(int n);          // n + " пика(ов) в группе"
const std::string& GroupChangedText();          // "Группа изменилась. Выберите ее снова"

// The six track bars of the modelling window.
enum ModelBar : int { BarLargeWidth, BarLargeHeight, BarSmallWidth, BarLargeApex, BarSmallApex, BarSmallHeight };
inline constexpr int kModelBars = 6;
struct BarSetting {
    int Minimum = 0, Maximum = 0, Position = 0;
    bool operator==(const BarSetting&) const = default;
};
// The ranges and positions of the bars for the current member: width 0.5 .. 2 sigma, large
// height 0.5 .. 1.5 h, small height 0.5 .. 3 h, large apex +- sigmaL, small apex +- 3 sigmaL.
// Each range is ordered, reaches at least one step either side of the position, and heights
// stay within the 16-bit range.
std::array<BarSetting, kModelBars> SetModelTrackBars(const PeakGroupModel& model);
// A bar moved: its position becomes the current member's value (heights held in 16 bits).
void SetModelValue(PeakGroupModel& model, ModelBar bar, int position);

// The model curve: the sum of every member's two Gaussians, each over apex +- 4 sigma within
// the points, added and rounded point by point (sigma 0 counts as sigma^2 = 0.01).
void BuildPeakModel(PeakGroupModel& model);

// The curve over the group's span in xor teal: a second call erases it.
void DrawModel(Canvas& canvas, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& view);
// The red square above the current member's apex, in xor: a second call erases it.
void DrawModelPeakMarker(Canvas& canvas, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& view);
// After a full repaint of the plot: the curve and the marker drawn again.
void RedrawModelOverlays(Canvas& canvas, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& view);

// The members' areas from their models: the large Gaussian's rounded values and the small
// one's exact values, over apex +- 4 sigma within the points. On `canvas` (when given) each
// member's model is drawn in copy mode, width 2, grey and green in turn. Negative areas
// become 0 and TotalArea is the sum of every peak's area.
void ApplyPeakModel(PeakGroupModel& model, PeakMarkup& markup, Canvas* canvas, const PlotView& view);

}  // namespace vk7
