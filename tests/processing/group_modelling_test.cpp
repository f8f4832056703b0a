// The model of a group of unresolved peaks: its start, the track bars, the curve, its drawing
// and the areas it gives.
#include <gtest/gtest.h>

#include <cmath>

#include "processing/group_modelling.h"
#include "tests/processing/plot_fixture.h"

namespace vk7 {
namespace {

using test::peak;

PeakGroupModel pickedModel(const ProcessingState& s, int first = 2, int last = 3) {
    PeakGroupModel m;
    InitialPeakModel(m, s.Chrom.Points, s.Markup, first, last);
    return m;
}

TEST(GroupModel, InitialModelFromApexesAndTail) {
    auto s = test::threePeakState();
    const PeakGroupModel m = pickedModel(*s);
    EXPECT_EQ(m.Peaks[0].LargeWidth, 22);
    EXPECT_EQ(m.Peaks[1].LargeWidth, 24);
    EXPECT_EQ(m.Peaks[0].SmallWidth, 22);
    EXPECT_EQ(m.Peaks[0].LargeApex, 1000);
    EXPECT_EQ(m.Peaks[1].SmallApex, 1090);
    EXPECT_EQ(m.Peaks[0].LargeHeight, 6930);
    EXPECT_EQ(m.Peaks[0].SmallHeight, 693);
    EXPECT_EQ(m.Peaks[1].LargeHeight, 9900);
    EXPECT_EQ(m.Peaks[1].SmallHeight, 990);

    // A tail of 34 points from apex to end: 10, 9, 8 from the last member back.
    s->Markup.clear();
    for (const Peak& p : {peak(900, 920, 940, 'B'), peak(941, 960, 980, 'G'), peak(981, 1000, 1034, 'E')})
        s->Markup.Peaks.push_back(p);
    const PeakGroupModel t = pickedModel(*s, 1, 3);
    EXPECT_EQ(t.Peaks[2].LargeWidth, 10);
    EXPECT_EQ(t.Peaks[1].LargeWidth, 9);
    EXPECT_EQ(t.Peaks[0].LargeWidth, 8);
}

TEST(GroupModel, TrackBarRanges) {
    auto s = test::threePeakState();
    PeakGroupModel m = pickedModel(*s);
    auto bars = SetModelTrackBars(m);
    EXPECT_EQ(bars[BarLargeWidth], (BarSetting{11, 44, 22}));
    EXPECT_EQ(bars[BarLargeHeight], (BarSetting{3465, 10395, 6930}));
    EXPECT_EQ(bars[BarSmallWidth], (BarSetting{11, 44, 22}));
    EXPECT_EQ(bars[BarLargeApex], (BarSetting{978, 1022, 1000}));
    EXPECT_EQ(bars[BarSmallApex], (BarSetting{934, 1066, 1000}));
    EXPECT_EQ(bars[BarSmallHeight], (BarSetting{346, 2079, 693}));

    // TrackBar2 at its minimum halves the large height.
    SetModelValue(m, BarLargeHeight, bars[BarLargeHeight].Minimum);
    EXPECT_EQ(m.Peaks[0].LargeHeight, 3465);

    // Heights near the 16-bit limit, negative heights and zero widths still give ordered
    // ranges around the position.
    m.Peaks[0].LargeHeight = 30000;
    m.Peaks[0].SmallHeight = -200;
    m.Peaks[0].LargeWidth = 0;
    bars = SetModelTrackBars(m);
    EXPECT_EQ(bars[BarLargeHeight], (BarSetting{15000, 32767, 30000}));
    EXPECT_EQ(bars[BarSmallHeight], (BarSetting{-600, -100, -200}));
    EXPECT_EQ(bars[BarLargeWidth], (BarSetting{-1, 1, 0}));
    SetModelValue(m, BarLargeHeight, 40000);
    EXPECT_EQ(m.Peaks[0].LargeHeight, 32767);
}

// One member at apex 100, sigma 10, heights 990 and 99.
PeakGroupModel onePeak(int points, int apex) {
    PeakGroupModel m;
    m.SelectedPeak = m.GroupLastPeak = 1;
    m.ModelSamples = NumberedArray<int16_t>(points);
    m.Peaks[0] = ModelPeak{apex, apex, 10, 10, 990, 99};
    return m;
}

TEST(GroupModel, CurveAndAreas) {
    PeakGroupModel m = onePeak(2000, 100);
    BuildPeakModel(m);
    EXPECT_EQ(m.ModelSamples[59], 0);
    EXPECT_EQ(m.ModelSamples[60], 0);
    EXPECT_EQ(m.ModelSamples[80], 147);
    EXPECT_EQ(m.ModelSamples[90], 660);
    EXPECT_EQ(m.ModelSamples[100], 1089);
    EXPECT_EQ(m.ModelSamples[110], 660);

    PeakMarkup markup;
    markup.Peaks.push_back(peak(60, 100, 140, 'M'));
    ApplyPeakModel(m, markup, nullptr, PlotView{});
    EXPECT_NEAR(markup.Peaks[1].Area, 27293.4358, 5e-5);
    EXPECT_NEAR(markup.TotalArea, 27293.4358, 5e-5);

    // Far along a long chromatogram the same group gets the same areas.
    PeakGroupModel far = onePeak(5000, 3050);
    PeakMarkup farMarkup;
    farMarkup.Peaks.push_back(peak(3010, 3050, 3090, 'M'));
    ApplyPeakModel(far, farMarkup, nullptr, PlotView{});
    EXPECT_DOUBLE_EQ(farMarkup.Peaks[1].Area, markup.Peaks[1].Area);

    // Cut at the first point.
    PeakGroupModel edge = onePeak(2000, 5);
    BuildPeakModel(edge);
    EXPECT_EQ(edge.ModelSamples[5], 1089);
}

TEST(GroupModel, ZeroWidthKeepsTheApexHeight) {
    PeakGroupModel m = onePeak(200, 100);
    m.Peaks[0].LargeWidth = m.Peaks[0].SmallWidth = 0;
    BuildPeakModel(m);
    EXPECT_EQ(m.ModelSamples[100], 1089);
    EXPECT_EQ(m.ModelSamples[99], 0);
    PeakMarkup markup;
    markup.Peaks.push_back(peak(90, 100, 110, 'M'));
    ApplyPeakModel(m, markup, nullptr, PlotView{});
    EXPECT_DOUBLE_EQ(markup.Peaks[1].Area, 1089);
    EXPECT_FALSE(std::isnan(markup.TotalArea));

    // A negative model gives no negative area.
    m.Peaks[0].LargeHeight = -500;
    m.Peaks[0].SmallHeight = -50;
    ApplyPeakModel(m, markup, nullptr, PlotView{});
    EXPECT_EQ(markup.Peaks[1].Area, 0);
}

TEST(GroupModel, SameGroup) {
    auto s = test::threePeakState();
    EXPECT_TRUE(IsSameGroup(s->Markup, 2, 3));
    EXPECT_FALSE(IsSameGroup(s->Markup, 1, 3));
    s->Markup.Peaks[3].Type = 'M';
    EXPECT_FALSE(IsSameGroup(s->Markup, 2, 3));
}

}  // namespace
}  // namespace vk7
