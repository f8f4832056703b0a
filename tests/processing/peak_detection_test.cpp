#include "processing/peak_detection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "chromfile/signal_scale.h"
#include "tests/support/point_generator.h"

namespace vk7 {
namespace {

using test::PointGenerator;

// 5 mV at F = 1 is about 1049 counts; the slope threshold is about 10.5 counts per point
// and the smallest width round(1000 / 186) = 5 points.
DetectionParams params(double thresholdMv = 5.0) {
    DetectionParams p;
    p.DetectThreshold = thresholdMv;
    p.AveragingMs = 186;
    p.SamplingRate = 21.5;
    p.UnitCode = 0;
    p.SignalMultiplier = 1;
    return p;
}

PeakMarkup detect(const PointGenerator& g, const DetectionParams& p = params()) {
    PeakMarkup m;
    DetectPeaks(g.points(), p, m);
    return m;
}

std::string types(const PeakMarkup& m) {
    std::string t;
    for (const Peak& p : m.Peaks) t += p.Type;
    return t;
}

TEST(DetectPeaks, ThresholdsFollowTheSmallestPeak) {
    const DetectionParams p = params();
    EXPECT_NEAR(slopeThreshold(p), 5.0 / 100 / 10000 * 32768 * 64, 1e-9);
    EXPECT_EQ(minimumPeakWidth(p), 5);
    DetectionParams zero = p;
    zero.AveragingMs = 0;  // stands for round(1000 / 21.5) = 47 ms
    EXPECT_EQ(minimumPeakWidth(zero), 21);
}

TEST(DetectPeaks, ScaleFactorIsComputedWithoutSixteenBitOverflow) {
    EXPECT_EQ(signalScaleFactor(2, 5), 500);
    EXPECT_EQ(signalScaleFactor(4, 5), 50000);  // a 16-bit product would be negative
    EXPECT_EQ(signalScaleFactor(0, 1), 1);

    const PointGenerator g = PointGenerator(600).gaussian(300, 3000, 8);
    struct Case { int unit, multiplier; int peaks; };
    for (Case c : {Case{0, 1, 1}, Case{2, 5, 1}, Case{4, 5, 1}, Case{0, -1, 0}, Case{0, 0, 0}, Case{5, 1, 0}}) {
        DetectionParams p = params();
        p.UnitCode = c.unit;
        p.SignalMultiplier = c.multiplier;
        EXPECT_EQ(detect(g, p).PeakCount(), c.peaks) << "unit " << c.unit << " multiplier " << c.multiplier;
    }
}

TEST(DetectPeaks, SingleGaussianIsMarkedAroundItsApex) {
    const PeakMarkup m = detect(PointGenerator(1000, 100).gaussian(400, 5000, 10));
    ASSERT_EQ(m.PeakCount(), 1);
    const Peak& p = m.Peaks[1];
    EXPECT_EQ(p.Apex, 400);
    EXPECT_EQ(p.Height, 5100);
    EXPECT_LT(p.Start, 370);
    EXPECT_GT(p.End, 430);
    EXPECT_EQ(p.Type, 'M');
    EXPECT_EQ(p.Name, "?");
}

// A broad peak falls by less than L/2 per point just after its apex. It must still end on
// its far side, about as far from the apex as its start.
TEST(DetectPeaks, BroadPeakEndsAfterItsApexNearTheMirrorOfItsStart) {
    const PeakMarkup m = detect(PointGenerator(2000).gaussian(1000, 20000, 60));
    ASSERT_EQ(m.PeakCount(), 1);
    const Peak& p = m.Peaks[1];
    EXPECT_EQ(p.Apex, 1000);
    ASSERT_GT(p.End, p.Apex);
    const int rise = p.Apex - p.Start, fall = p.End - p.Apex;
    EXPECT_GT(rise, 150);
    EXPECT_NEAR(fall, rise, rise * 0.15);
}

// A steep first fall ends the peak where the descent flattens below L/2.
TEST(DetectPeaks, SteepDescentEndsWhereItFlattens) {
    PointGenerator g(200);
    for (int n = 50; n <= 60; ++n) g.set(n, int16_t(400 * (n - 49)));  // up to 4400
    for (int n = 61; n <= 71; ++n) g.set(n, int16_t(4400 - 400 * (n - 60)));  // down to 0
    const PeakMarkup m = detect(g);
    ASSERT_EQ(m.PeakCount(), 1);
    EXPECT_EQ(m.Peaks[1].Start, 48);  // the first rise is from 49 to 50
    EXPECT_EQ(m.Peaks[1].Apex, 60);
    // Step 71 -> 72 is flat again: the end is the point before it.
    EXPECT_EQ(m.Peaks[1].End, 70);
    EXPECT_EQ(m.Peaks[1].EndValue, 400);
}

TEST(DetectPeaks, ShapesThatAreNoPeak) {
    struct Case { const char* what; PointGenerator g; };
    const std::vector<Case> cases = {
        {"a step up that never falls", PointGenerator(2000).step(500, 5000)},
        {"a smooth rise that never falls", PointGenerator(2000).gaussian(2300, 8000, 200)},
        {"a peak still rising at the end", PointGenerator(1000).gaussian(1010, 5000, 10)},
        {"a peak still falling at the end", PointGenerator(1000).gaussian(990, 5000, 10)},
        {"a flat line", PointGenerator(1000, 77)},
        {"too few points", PointGenerator(3).set(2, 5000)},
    };
    for (const Case& c : cases) EXPECT_EQ(detect(c.g).PeakCount(), 0) << c.what;
}

TEST(DetectPeaks, RejectedPeakLeavesItsNumberToTheNext) {
    struct Case { const char* what; PointGenerator g; };
    const std::vector<Case> cases = {
        // Rises steeply but spans only four points.
        {"too narrow", PointGenerator(1200).gaussian(300, 5000, 0.3).gaussian(900, 5000, 10)},
        // About 3.8 mV above its base: starts, but is not high enough.
        {"too low", PointGenerator(1200).gaussian(300, 800, 5).gaussian(900, 5000, 10)},
    };
    for (const Case& c : cases) {
        const PeakMarkup m = detect(c.g);
        ASSERT_EQ(m.PeakCount(), 1) << c.what;
        EXPECT_EQ(m.Peaks[1].Apex, 900) << c.what;
    }
}

TEST(DetectPeaks, StartValueIsTenPointsBackButNotBeforePointOne) {
    const PointGenerator g = PointGenerator(400).gaussian(15, 5000, 5).gaussian(200, 5000, 5).set(1, 123);
    const NumberedArray<int16_t> pts = g.points();
    PeakMarkup m;
    DetectPeaks(pts, params(), m);
    ASSERT_EQ(m.PeakCount(), 2);
    EXPECT_LE(m.Peaks[1].Start, 9);
    EXPECT_EQ(m.Peaks[1].StartValue, 123);
    // The rise was seen at i = Start + 1; the start value is point i - 10.
    EXPECT_EQ(m.Peaks[2].StartValue, pts[m.Peaks[2].Start + 1 - 10]);
}

TEST(DetectPeaks, JumpOverSixteenBitsIsARise) {
    const PeakMarkup m = detect(PointGenerator(1000, -20000).step(500, 40000).step(600, -40000));
    ASSERT_EQ(m.PeakCount(), 1);
    EXPECT_EQ(m.Peaks[1].Start, 498);
    EXPECT_EQ(m.Peaks[1].Apex, 500);
    EXPECT_EQ(m.Peaks[1].Height, 20000);
    EXPECT_EQ(m.Peaks[1].End, 599);
}

TEST(DetectPeaks, StopsAfter255Peaks) {
    PointGenerator g(6100);
    for (int k = 0; k < 300; ++k) g.gaussian(20 + 20 * k, 5000, 2);
    const PeakMarkup m = detect(g);
    ASSERT_EQ(m.PeakCount(), 255);
    EXPECT_EQ(m.Peaks[255].Apex, 20 + 20 * 254);
    EXPECT_EQ(types(m), std::string(255, 'M'));
}

TEST(DetectPeaks, PeaksRunningIntoEachOtherFormAGroup) {
    // Two overlapping peaks: the first ends where the signal rises again.
    const PeakMarkup m = detect(PointGenerator(1000).gaussian(400, 6000, 8).gaussian(430, 6000, 8));
    ASSERT_EQ(m.PeakCount(), 2);
    EXPECT_EQ(m.Peaks[2].Start - m.Peaks[1].End, 1);
    EXPECT_EQ(types(m), "BE");
}

TEST(DetectPeaks, ReusesTheMarkupAndReplacesWhatItHeld) {
    PeakMarkup m;
    m.Peaks.push_back(Peak{});
    m.TotalArea = 5;
    const NumberedArray<int16_t> pts = PointGenerator(1000).gaussian(500, 5000, 10).points();
    DetectPeaks(pts, params(), m);
    const PeakMarkup first = m;
    DetectPeaks(pts, params(), m);
    ASSERT_EQ(m.PeakCount(), 1);
    EXPECT_EQ(m.TotalArea, 0);
    EXPECT_EQ(m.Peaks[1].Start, first.Peaks[1].Start);
    EXPECT_EQ(m.Peaks[1].End, first.Peaks[1].End);
}

// Rows of (start, end, start value, end value).
struct Row { int start, end, startValue, endValue = 0; };

std::string classify(const std::vector<Row>& rows) {
    PeakMarkup m;
    for (const Row& r : rows) {
        Peak p;
        p.Start = r.start;
        p.End = r.end;
        p.StartValue = int16_t(r.startValue);
        p.EndValue = int16_t(r.endValue);
        p.Type = 'X';
        m.Peaks.push_back(p);
    }
    ClassifyPeakGroups(m);
    return types(m);
}

TEST(ClassifyPeakGroups, TypesFromPositionsAndValues) {
    struct Case { const char* what; std::vector<Row> rows; const char* types; };
    const std::vector<Case> cases = {
        {"none", {}, ""},
        {"one", {{10, 20, 0}}, "M"},
        {"gap of one point", {{10, 20, 0}, {21, 30, 0}}, "BE"},
        {"three touching", {{10, 20, 0}, {20, 30, 0}, {30, 40, 0}}, "BGE"},
        {"gap of two points", {{10, 20, 0}, {22, 30, 0}}, "MM"},
        {"overlapping", {{10, 20, 0}, {15, 30, 0}}, "BE"},
        {"two groups", {{1, 5, 0}, {6, 9, 0}, {20, 25, 0}, {25, 30, 0}, {31, 40, 0}, {50, 60, 0}}, "BEBGEM"},
        {"group at the end", {{1, 5, 0}, {20, 25, 0}, {25, 30, 0}}, "MBE"},
        // The straight base line from (10, 0) to (40, 0) passes above a member's start.
        {"middle member below the base line", {{10, 20, 0}, {20, 30, -5}, {30, 40, 0}}, "MBE"},
        {"last member below the base line", {{10, 20, 0}, {20, 30, 0}, {30, 40, -5}}, "BEM"},
        {"two members below the base line", {{10, 20, 0}, {20, 30, -5}, {30, 40, -5}}, "MMM"},
        // The inner member before the split closes its part of the group.
        {"split after an inner member", {{10, 20, 0}, {20, 30, 0}, {30, 40, -5}, {40, 50, 0}}, "BEBE"},
        {"member on the base line", {{10, 20, 0}, {20, 30, 0}, {30, 40, 0}}, "BGE"},
        // Base line from (0, 0) to (100, 100), then from (0, 0) to (200, 100).
        {"sloped line, member just below", {{0, 50, 0}, {50, 100, 49, 100}}, "MM"},
        {"sloped line, member on it", {{0, 50, 0}, {50, 100, 50, 100}}, "BE"},
        {"rounded half to even", {{0, 40, 0}, {41, 200, 20, 100}}, "BE"},   // 20.5 -> 20
        {"rounded half to even up", {{0, 40, 0}, {43, 200, 21, 100}}, "MM"},  // 21.5 -> 22
        // A base line of zero length is horizontal at the first start value.
        {"zero-length base line", {{10, 10, 5}, {10, 10, 3, 7}}, "MM"},
        {"zero-length base line kept", {{10, 10, 5}, {10, 10, 5, 7}}, "BE"},
    };
    for (const Case& c : cases) EXPECT_EQ(classify(c.rows), c.types) << c.what;
}

// Every 'B' is closed by an 'E', and no 'G' or 'E' stands outside a group, whatever the
// positions and values.
TEST(ClassifyPeakGroups, GroupsAreAlwaysClosed) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<Row> rows;
        const int n = 1 + int(rng() % 12);
        int at = 1 + int(rng() % 5);
        for (int k = 0; k < n; ++k) {
            const int width = int(rng() % 6);  // 0 gives zero-length members
            rows.push_back({at, at + width, int(rng() % 21) - 10, int(rng() % 21) - 10});
            at += width + int(rng() % 3) - (rng() % 4 == 0 ? 1 : 0);
        }
        const std::string t = classify(rows);
        bool open = false;
        for (size_t k = 0; k < t.size(); ++k) {
            const char c = t[k];
            ASSERT_TRUE(c == 'M' || c == 'B' || c == 'G' || c == 'E') << t;
            if (c == 'B' || c == 'M') {
                ASSERT_FALSE(open) << "unclosed group in " << t;
            } else {
                ASSERT_TRUE(open) << "member outside a group in " << t;
            }
            open = c == 'B' || c == 'G';
        }
        ASSERT_FALSE(open) << "unclosed group at the end of " << t;
    }
}

PeakMarkup peaksAt(std::vector<std::pair<int, int>> bounds) {
    PeakMarkup m;
    for (auto [s, e] : bounds) {
        Peak p;
        p.Start = s;
        p.End = e;
        p.Apex = 7;
        p.Name = "benzene";
        m.Peaks.push_back(p);
    }
    return m;
}

TEST(MeasurePeaks, ApexAtTheFirstExtremeOfPositiveAndNegativePeaks) {
    PointGenerator g(300, 100);
    g.gaussian(50, 3000, 4).set(49, 3100).set(51, 3100);  // a flat top of three points
    g.dip(150, 2000, 4);
    g.step(200, 500).gaussian(240, 1000, 5);  // a peak on a step
    const NumberedArray<int16_t> pts = g.points();
    PeakMarkup m = peaksAt({{30, 70}, {130, 170}, {195, 270}});
    MeasurePeaks(pts, m, false);
    EXPECT_EQ(m.Peaks[1].Apex, 49);
    EXPECT_EQ(m.Peaks[1].Height, 3100);
    EXPECT_EQ(m.Peaks[1].StartValue, pts[30]);
    EXPECT_EQ(m.Peaks[1].EndValue, pts[70]);
    EXPECT_EQ(m.Peaks[2].Apex, 150);
    EXPECT_EQ(m.Peaks[2].Height, 100 - 2000);
    EXPECT_EQ(m.Peaks[3].Apex, 240);
    EXPECT_EQ(m.Peaks[3].Height, 1600);
    for (const Peak& p : m.Peaks) EXPECT_EQ(p.Name, "?");
}

TEST(MeasurePeaks, KeepsNamesWhenAsked) {
    PeakMarkup m = peaksAt({{10, 20}});
    MeasurePeaks(PointGenerator(50).gaussian(15, 500, 2).points(), m, true);
    EXPECT_EQ(m.Peaks[1].Name, "benzene");
    EXPECT_EQ(m.Peaks[1].Apex, 15);
}

TEST(MeasurePeaks, StartAfterEndKeepsTheApexAndIsNoOverload) {
    // Positive case: the middle point lies above the lower end value.
    PeakMarkup m = peaksAt({{30, 10}, {130, 110}});
    const NumberedArray<int16_t> pts = PointGenerator(200).gaussian(20, 500, 3).dip(120, 500, 3).points();
    MeasurePeaks(pts, m, false);
    EXPECT_EQ(m.Peaks[1].Apex, 7);
    EXPECT_EQ(m.Peaks[1].Height, -32768);
    EXPECT_EQ(m.Peaks[2].Apex, 7);
    EXPECT_EQ(m.Peaks[2].Height, 32767);
    EXPECT_FALSE(apexOverloaded(m.Peaks[1]));
    EXPECT_FALSE(apexOverloaded(m.Peaks[2]));
}

TEST(MeasurePeaks, OverloadIsBeyond32000) {
    Peak p;
    p.Start = 1;
    p.End = 5;
    for (auto [h, over] : {std::pair{32000, false}, {32001, true}, {-32000, false}, {-32001, true}}) {
        p.Height = int16_t(h);
        EXPECT_EQ(apexOverloaded(p), over) << h;
    }
}

TEST(MeasurePeaks, BoundsBeyondThePointsAreBroughtIn) {
    PeakMarkup m = peaksAt({{90, 102}, {0, 5}});
    MeasurePeaks(PointGenerator(100).gaussian(95, 500, 2).gaussian(2, 300, 1).points(), m, false);
    EXPECT_EQ(m.Peaks[1].End, 100);
    EXPECT_EQ(m.Peaks[1].Apex, 95);
    EXPECT_EQ(m.Peaks[2].Start, 1);
    EXPECT_EQ(m.Peaks[2].Apex, 2);
}

}  // namespace
}  // namespace vk7
