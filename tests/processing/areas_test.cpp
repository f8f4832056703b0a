// Areas, base line, clipped peaks and concentrations.
#include "processing/areas.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using Points = NumberedArray<int16_t>;

Points pointsOf(const std::vector<int>& values) {
    Points p;
    for (int v : values) p.push_back(static_cast<int16_t>(v));
    return p;
}

// n points of f(j), j = 1..n.
template <class F>
Points pointsFrom(int n, F&& f) {
    Points p;
    for (int j = 1; j <= n; ++j) p.push_back(clampToInt16(roundHalfEven(f(j))));
    return p;
}

Peak peak(int start, int end, char type = 'M') {
    Peak p;
    p.Start = start;
    p.End = end;
    p.Apex = (start + end) / 2;
    p.Type = type;
    return p;
}

// The markup with start and end values taken from the points, as the pipeline leaves it.
PeakMarkup markupOn(const Points& pts, std::vector<Peak> peaks) {
    PeakMarkup m;
    for (Peak& p : peaks) {
        p.StartValue = pts[std::clamp(p.Start, 1, pts.count())];
        p.EndValue = pts[std::clamp(p.End, 1, pts.count())];
        m.Peaks.push_back(p);
    }
    return m;
}

std::string types(const PeakMarkup& m) {
    std::string t;
    for (const Peak& p : m.Peaks) t += p.Type;
    return t;
}

double triangle(int j, int apex, int halfWidth, int height) {
    return std::max(0.0, height - height * std::abs(j - apex) / double(halfWidth));
}

// ---- groups ----

TEST(CloseGroups, EveryGroupIsClosedAndNoMemberStandsAlone) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"MBGEM", "MBGEM"}, {"B", "M"},      {"BG", "BE"},     {"GE", "BE"},   {"E", "M"},
        {"BGM", "BEM"},     {"BBE", "MBE"},  {"BGBE", "BEBE"}, {"MEG", "MMM"}, {"BEGE", "BEBE"},
        {"MxB", "MMM"},     {"BGGGE", "BGGGE"},
    };
    for (const auto& c : cases) {
        PeakMarkup m;
        for (char t : c.in) m.Peaks.push_back(peak(1, 2, t));
        CloseGroups(m);
        EXPECT_EQ(types(m), c.out) << c.in;
    }
}

// ---- base line ----

// A linear ramp 100 + 2j with two triangles (heights 50 and 80) and a tail to point 100.
class RampBaseline : public ::testing::Test {
protected:
    static double ramp(int j) { return 100 + 2 * j; }
    Points pts = pointsFrom(100, [](int j) { return ramp(j) + triangle(j, 25, 5, 50) + triangle(j, 45, 5, 80); });
    PeakMarkup m = markupOn(pts, {peak(20, 30), peak(40, 50)});
};

TEST_F(RampBaseline, PeaksStandOnZeroBetweenThemTheTailKeepsItsSlope) {
    SubtractBaseline(pts, m);
    // Before the first peak: the line from the level of point 10 (120) at the beginning to
    // the first start value (140 at point 20) is subtracted: 100 + 2j - 120 - j.
    for (int j = 1; j <= 19; ++j) EXPECT_EQ(pts[j], j - 20) << j;
    for (int j = 20; j <= 30; ++j) EXPECT_EQ(pts[j], triangle(j, 25, 5, 50)) << j;
    for (int j = 31; j <= 39; ++j) EXPECT_EQ(pts[j], 0) << j;
    for (int j = 40; j <= 50; ++j) EXPECT_EQ(pts[j], triangle(j, 45, 5, 80)) << j;
    // After the last peak: lowered by the first point after it, the slope stays.
    for (int j = 51; j <= 100; ++j) EXPECT_EQ(pts[j], 2 * (j - 51)) << j;
    for (const Peak& p : m.Peaks) {
        EXPECT_EQ(p.StartValue, 0);
        EXPECT_EQ(p.EndValue, 0);
    }
}

TEST_F(RampBaseline, AGroupSharesOneLineFromItsFirstStartToItsLastEnd) {
    pts = pointsFrom(100, [](int j) {
        return ramp(j) + triangle(j, 25, 5, 50) + triangle(j, 35, 5, 70) + triangle(j, 45, 5, 30);
    });
    // The inner member's start is one point late; members start where the previous one ends.
    m = markupOn(pts, {peak(20, 30, 'B'), peak(31, 40, 'G'), peak(40, 50, 'E')});
    SubtractBaseline(pts, m);
    EXPECT_EQ(m.Peaks[2].Start, 30);
    for (int j = 20; j <= 50; ++j)
        EXPECT_EQ(pts[j], triangle(j, 25, 5, 50) + triangle(j, 35, 5, 70) + triangle(j, 45, 5, 30)) << j;
}

TEST_F(RampBaseline, ADipUnderAPeakBecomesItsMagnitude) {
    pts[25] = static_cast<int16_t>(ramp(25) - 7);
    SubtractBaseline(pts, m);
    EXPECT_EQ(pts[25], 7);
}

TEST(Baseline, NoReadOrWriteOutsideThePoints) {
    {  // fewer than 10 points: the level of the first stretch comes from the last point
        Points pts = pointsOf({10, 12, 20, 30, 14});
        PeakMarkup m = markupOn(pts, {peak(3, 5)});
        SubtractBaseline(pts, m);
        // v0 = 14, k = (20 - 14) / 3 = 2: 10 - 14 - 2 and 12 - 14 - 4.
        EXPECT_EQ(pts[1], -6);
        EXPECT_EQ(pts[2], -6);
    }
    {  // the last peak ends at the last point, a 'G' as peak 1
        Points pts = pointsOf({0, 0, 5, 9, 5, 3});
        PeakMarkup m = markupOn(pts, {peak(3, 6, 'G')});
        SubtractBaseline(pts, m);
        EXPECT_EQ(types(m), "M");
        EXPECT_EQ(pts[6], 0);
    }
    {  // a stored peak reaching beyond the points (markup of a longer chromatogram)
        Points pts = pointsOf({0, 0, 0, 0, 0, 0, 0, 4, 6, 8});
        PeakMarkup m = markupOn(pts, {peak(8, 15)});
        m.Peaks[1].EndValue = 4;  // a flat base at the start value
        SubtractBaseline(pts, m);
        EXPECT_EQ(pts[10], 4);
        ComputePlainAreas(pts, m);
        EXPECT_EQ(m.Peaks[1].Area, 0 + 2 + 4);
    }
}

TEST(Baseline, ResultsSaturateAtThe16BitLimits) {
    Points pts = pointsFrom(30, [](int j) { return j < 10 ? -30000 : (j == 10 ? 30000 : 0); });
    PeakMarkup m = markupOn(pts, {peak(20, 25)});
    SubtractBaseline(pts, m);
    EXPECT_EQ(pts[1], -32768);  // -30000 - 30000 - ... would wrap to a positive value
}

TEST(Baseline, APeakWhoseEndIsItsStartHasAFlatLine) {
    Points pts = pointsOf({0, 0, 0, 0, 7, 0, 0});
    PeakMarkup m = markupOn(pts, {peak(5, 5)});
    SubtractBaseline(pts, m);
    EXPECT_EQ(pts[5], 0);
}

TEST(Baseline, NoPeaksNoChange) {
    Points pts = pointsOf({5, 6, 7});
    PeakMarkup m;
    SubtractBaseline(pts, m);
    EXPECT_EQ(pts, pointsOf({5, 6, 7}));
}

// ---- areas ----

// A B-G-E group on a flat base of 10; every member starts and ends at 10.
Points groupPoints() { return pointsOf({10, 12, 15, 12, 10, 13, 18, 13, 10, 11, 14, 11, 10}); }
std::vector<Peak> groupPeaks() { return {peak(1, 5, 'B'), peak(5, 9, 'G'), peak(9, 13, 'E')}; }

TEST(Areas, PlainSumsDivideAGroupAtItsCommonPoints) {
    const Points pts = groupPoints();
    PeakMarkup m = markupOn(pts, groupPeaks());
    ComputePlainAreas(pts, m);
    EXPECT_EQ(m.Peaks[1].Area, 59);
    EXPECT_EQ(m.Peaks[2].Area, 64);
    EXPECT_EQ(m.Peaks[3].Area, 56);
    EXPECT_EQ(m.TotalArea, 179);
}

TEST(Areas, SharedBaseOfAGroupWithEqualEndValuesGivesThePlainTotal) {
    const Points pts = groupPoints();
    PeakMarkup m = markupOn(pts, groupPeaks());
    ComputeAreas(pts, m);
    // Above their own base lines: 9, 14 and 6; the 150 under them shared in proportion.
    EXPECT_DOUBLE_EQ(m.Peaks[1].Area, 9 + 150.0 * 9 / 29);
    EXPECT_DOUBLE_EQ(m.Peaks[2].Area, 14 + 150.0 * 14 / 29);
    EXPECT_DOUBLE_EQ(m.Peaks[3].Area, 6 + 150.0 * 6 / 29);
    EXPECT_DOUBLE_EQ(m.TotalArea, 179);
}

TEST(Areas, ADipUnderAGroupMemberDoesNotReduceItsSharedBaseArea) {
    Points pts = groupPoints();
    pts[7] = 4;  // the inner member's apex falls below its base line of 10
    PeakMarkup m = markupOn(pts, groupPeaks());
    ComputeAreas(pts, m);
    EXPECT_DOUBLE_EQ(m.Peaks[2].Area, 6 + 150.0 * 6 / 21);  // 3 + 0 + 3 above the line
    PeakMarkup plain = markupOn(pts, groupPeaks());
    ComputePlainAreas(pts, plain);
    EXPECT_EQ(plain.Peaks[2].Area, 64 - 14);
}

TEST(Areas, SinglePeaksArePlainSumsInBothMethodsAndNegativeAreasBecomeZero) {
    const Points pts = pointsOf({0, 5, -3, 5, 0, 0, -4, -6, -4, 0});
    for (bool shared : {false, true}) {
        PeakMarkup m = markupOn(pts, {peak(1, 5), peak(6, 10)});
        shared ? ComputeAreas(pts, m) : ComputePlainAreas(pts, m);
        EXPECT_EQ(m.Peaks[1].Area, 7) << shared;  // the dip reduces it
        EXPECT_EQ(m.Peaks[2].Area, 0) << shared;
        EXPECT_EQ(m.TotalArea, 7) << shared;
    }
}

TEST(Areas, AnUnclosedGroupIsClosedBeforeTheAreas) {
    const Points pts = groupPoints();
    PeakMarkup m = markupOn(pts, {peak(1, 5, 'B'), peak(5, 9, 'G'), peak(9, 13, 'G')});
    ComputeAreas(pts, m);
    EXPECT_EQ(types(m), "BGE");
    EXPECT_DOUBLE_EQ(m.TotalArea, 179);
}

// ---- clipped peaks ----

// A Gaussian of sigma 8 points and amplitude 60000 at point 100, clipped at 32767.
Points clippedGaussian() {
    return pointsFrom(200, [](int j) { return std::min(32767.0, 60000 * std::exp(-(j - 100.0) * (j - 100.0) / 128)); });
}

TEST(ClippedPeaks, AFlatTopIsReplacedByTwoHalfGaussians) {
    const Points original = clippedGaussian();
    ProcessingState state{StartFolder(".")};
    state.Chrom.Points = original;
    state.Chrom.UnitCode = 1;
    state.View.VerticalZoom = 2;
    state.Settings.AveragingMs = 586;
    state.Markup = markupOn(original, {peak(70, 130), peak(150, 160)});
    state.Markup.Peaks[1].Overload = true;

    const ClippedCompletion r = ReconstructClippedPeaks(state);
    EXPECT_TRUE(r.Done);
    EXPECT_EQ(r.Completed, 1);
    const Points& pts = state.Chrom.Points;
    for (int j = 1; j <= 200; ++j) {
        if (j <= 70 || j >= 130) {
            EXPECT_EQ(pts[j], original[j] / 10) << j;
        }
    }
    const Peak& p = state.Markup.Peaks[1];
    EXPECT_EQ(p.Apex, 100);
    for (int j = 71; j < 100; ++j) EXPECT_LE(pts[j], pts[j + 1]) << j;
    for (int j = 100; j < 129; ++j) EXPECT_GE(pts[j], pts[j + 1]) << j;
    EXPECT_GT(pts[100], 3277);  // above the clipped top, below the 16-bit limit
    EXPECT_LE(pts[100], 32767);
    EXPECT_FALSE(p.Overload);
    EXPECT_EQ(state.Chrom.UnitCode, 2);
    EXPECT_DOUBLE_EQ(state.View.VerticalZoom, 20);
}

TEST(ClippedPeaks, PeaksWithoutTheFourCrossingsKeepTheirShapeAndFlag) {
    Points pts = pointsFrom(60, [](int j) { return j < 10 ? 0 : 32767; });  // never falls back
    pts.push_back(-32767);
    PeakMarkup m = markupOn(pts, {peak(5, 60), peak(61, 61)});
    m.Peaks[1].Overload = m.Peaks[2].Overload = true;
    const ClippedCompletion r = CompleteClippedPeaks(pts, m, 200);
    EXPECT_EQ(r.Completed, 0);
    EXPECT_EQ(r.LeftUnchanged, 2);
    EXPECT_EQ(pts[30], 3276);
    EXPECT_TRUE(m.Peaks[1].Overload);
}

TEST(ClippedPeaks, RefusedAtTheLastUnit) {
    ProcessingState state{StartFolder(".")};
    state.Chrom.Points = clippedGaussian();
    state.Chrom.UnitCode = 4;
    state.Markup = markupOn(state.Chrom.Points, {peak(70, 130)});
    state.Markup.Peaks[1].Overload = true;
    EXPECT_FALSE(ReconstructClippedPeaks(state).Done);
    EXPECT_EQ(state.Chrom.Points, clippedGaussian());
    EXPECT_EQ(state.Chrom.UnitCode, 4);
}

TEST(ClippedPeaks, AnExtremeFlankClampsTheAmplitude) {
    // A nearly rectangular clipped peak: its flanks put the amplitude far beyond 16 bits; it
    // is held at the limit instead of wrapping.
    Points pts = pointsFrom(100, [](int j) { return (j >= 11 && j <= 90) ? 32767 : 0; });
    PeakMarkup m = markupOn(pts, {peak(1, 100)});
    m.Peaks[1].Overload = true;
    pts[10] = 1500;
    pts[91] = 1500;
    CompleteClippedPeaks(pts, m, 200);
    EXPECT_EQ(m.Peaks[1].Apex, 52);
    EXPECT_EQ(pts[52], 32767);
    for (int j = 1; j <= 100; ++j) {
        EXPECT_LE(pts[j], 32767);
        EXPECT_GE(pts[j], 0);
    }
}

// ---- concentrations ----

std::vector<CalibrationSlot> slots(std::initializer_list<CalibrationSlot> s) { return s; }

TEST(Concentrations, InterpolationCases) {
    const struct {
        const char* what;
        std::vector<CalibrationSlot> slots;
        double a, expected;
    } cases[] = {
        {"one point: line through the origin", slots({{"X", 2, 100}}), 50, 1},
        {"above all points: the two highest extended", slots({{"X", 1, 100}, {"X", 2, 200}}), 300, 3},
        {"below all points: from the origin", slots({{"X", 1, 100}, {"X", 2, 200}}), 50, 0.5},
        {"between two points", slots({{"X", 2, 200}, {"X", 1, 100}, {"X", 5, 400}}), 150, 1.5},
        {"on a stored S", slots({{"X", 1, 100}, {"X", 2, 200}}), 200, 2},
        {"other names do not count", slots({{"Y", 10, 150}, {"X", 1, 100}, {"X", 2, 200}}), 150, 1.5},
        {"above: the nearest lower S under the highest", slots({{"X", 1, 100}, {"X", 3, 300}, {"X", 2, 200}}), 400, 4},
        {"no line of the substance", slots({{"Y", 1, 100}}), 50, 0},
        {"A' = 0 and a stored S = 0", slots({{"X", 5, 0}}), 0, 0},
        {"equal S above all", slots({{"X", 1, 100}, {"X", 3, 100}}), 150, 1.5},
    };
    for (const auto& c : cases) EXPECT_NEAR(InterpolateConcentration(c.slots, "X", c.a), c.expected, 1e-12) << c.what;
}

std::string gradLine(double t, double s, double c, const std::string& name) {
    return calibrationPointLine(formatCalibrationLine({t, s, c, name, false}));
}

TEST(Concentrations, ARepeatedCalibrationKeepsTheLaterS) {
    const auto s = CalibrationSlots({gradLine(60, 100, 1, "X"), gradLine(60, 300, 3, "X"), gradLine(61, 120, 1, "X")});
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].Area, 120);
    EXPECT_NEAR(InterpolateConcentration(s, "X", 60), 0.5, 1e-12);
}

TEST(Concentrations, MoreThan128PointsAreAllKept) {
    std::vector<std::string> lines;
    for (int n = 1; n <= 200; ++n) lines.push_back(gradLine(n, n, n, "S" + std::to_string(n)));
    const auto s = CalibrationSlots(lines);
    ASSERT_EQ(s.size(), 200u);
    EXPECT_NEAR(InterpolateConcentration(s, "S150", 75), 75, 1e-12);
}

TEST(Concentrations, PeaksGetTheirConcentrationFromTheirArea) {
    PeakMarkup m;
    for (const char* name : {"X", "?", "", "Unknown", "X2"}) {
        Peak p = peak(1, 2);
        p.Name = name;
        p.Area = 209.7152;  // 1 mV x s at unit 0, multiplier 1, 10 samples per point at 10 per second
        p.Conc = 7;
        m.Peaks.push_back(p);
    }
    m.Peaks[5].Area = -5;
    const AreaScale scale{0, 1, 10, 10};
    EXPECT_NEAR(*CalibrationArea(209.7152, scale), 1, 1e-12);
    ComputeConcentrations(m, slots({{"X", 4, 2}, {"X2", 4, 2}}), scale);
    EXPECT_NEAR(m.Peaks[1].Conc, 2, 1e-12);
    EXPECT_EQ(m.Peaks[2].Conc, 7);  // "?" keeps it
    EXPECT_EQ(m.Peaks[3].Conc, 7);  // an empty name is taken like "?"
    EXPECT_EQ(m.Peaks[4].Conc, 0);  // named, but no calibration: never a stale value
    EXPECT_EQ(m.Peaks[5].Area, 0);
    EXPECT_EQ(m.Peaks[5].Conc, 0);

    const AreaScale scaled{2, 5, 10, 10};  // x 10^2 x 5
    EXPECT_NEAR(*CalibrationArea(209.7152, scaled), 500, 1e-9);
    EXPECT_FALSE(CalibrationArea(1, AreaScale{0, 1, 10, 0}));
    ComputeConcentrations(m, slots({{"X", 4, 2}}), AreaScale{0, 1, 10, 0});
    EXPECT_EQ(m.Peaks[1].Conc, 0);
}

TEST(Concentrations, InternalStandard) {
    PeakMarkup m;
    for (int i = 0; i < 3; ++i) m.Peaks.push_back(peak(1, 2));
    m.Peaks[1].Name = "A";
    m.Peaks[1].Conc = 3;
    m.Peaks[2].Name = "St";
    m.Peaks[2].Conc = 0.5;
    m.Peaks[2].Area = 25;
    m.TotalArea = 100;
    ProcessingSettings s;
    s.QuantMethod = 1;
    s.StandardPeakNo = 2;
    s.StandardConc1 = 1;
    s.StandardConc2 = 4;
    const double f = InternalStandardFactor(m, s);
    EXPECT_DOUBLE_EQ(f, 0.25 / 0.5);
    EXPECT_DOUBLE_EQ(*ReportedConcentration(m, 1, s, f), 1.5);
    EXPECT_DOUBLE_EQ(*ReportedConcentration(m, 2, s, f), 0.25);
    EXPECT_FALSE(ReportedConcentration(m, 3, s, f));  // "?"

    m.Peaks[2].Name = "?";  // an unnamed standard: its share of the total area, 25 %
    EXPECT_DOUBLE_EQ(InternalStandardFactor(m, s), 0.25 / 25);
    m.TotalArea = 0;  // taken as 1
    EXPECT_DOUBLE_EQ(InternalStandardFactor(m, s), 0.25 / 2500);
    s.StandardPeakNo = 9;  // no such peak: v = 1
    s.StandardConc2 = 0;   // taken as 1
    EXPECT_DOUBLE_EQ(InternalStandardFactor(m, s), 1);
    s.QuantMethod = 0;
    EXPECT_DOUBLE_EQ(*ReportedConcentration(m, 1, s, 99), 3);
}

// ---- the peak-table steps on the shared state ----

TEST(Quantify, BaseLineAreasAndConcentrationsFromGradDat) {
    test::TempDir dir;
    dir.write("space/grad.dat", joinLinesCrLf({gradLine(25, 2, 10, "A")}));
    ProcessingState state{StartFolder(dir.path())};
    state.Chrom.SamplingRate = 10;
    state.Chrom.SamplesPerPoint = 10;
    state.Chrom.Points = pointsFrom(60, [](int j) { return 200 + triangle(j, 25, 5, 50); });
    state.Markup = markupOn(state.Chrom.Points, {peak(20, 30)});
    state.Markup.Peaks[1].Name = "A";
    state.View.ZeroOffset = 40;
    state.Settings.AreaMethod = 1;
    QuantifyPeaks(state, false);
    EXPECT_EQ(state.View.ZeroOffset, 0);
    EXPECT_EQ(state.Markup.Peaks[1].Area, 250);
    const double a = 250 / 64.0 / 3.2768;
    EXPECT_NEAR(state.Markup.Peaks[1].Conc, a * 10 / 2, 1e-9);

    fs::remove(dir / "space/grad.dat");
    EXPECT_THROW(ComputeConcentrations(state), IoError);
}

}  // namespace
}  // namespace vk7
