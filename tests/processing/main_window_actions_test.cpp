#include <gtest/gtest.h>

#include <string>

#include "processing/main_window_actions.h"

namespace vk7 {
namespace {

TEST(CommentDate, DateAndTimeInFrontCutTo128) {
    const LocalDateTime t{2024, 3, 5, 9, 7, 41};
    EXPECT_EQ(commentWithDate(t, "proba 1"), "05.03.2024 09:07 proba 1");
    EXPECT_EQ(commentWithDate(t, ""), "05.03.2024 09:07 ");

    std::string old;
    for (int i = 0; i < 120; ++i) old.push_back(static_cast<char>('a' + i % 26));
    const std::string dated = commentWithDate(t, old);
    EXPECT_EQ(dated.size(), 128u);
    EXPECT_EQ(dated.substr(0, 17), "05.03.2024 09:07 ");
    EXPECT_EQ(dated.substr(17), old.substr(0, 111));
}

ProcessingState withPoints() {
    ProcessingState s{StartFolder("/nonexistent")};
    s.ProgramMode = ModeShown;
    s.Chrom.SamplingRate = 25;
    s.Chrom.SamplesPerPoint = 5;  // 5 points per second
    s.Chrom.Points.resize(100);
    for (int i = 1; i <= 100; ++i) s.Chrom.Points[i] = static_cast<int16_t>(10 * i);
    s.View.PlotLeft = 9;
    s.View.PointsPerPixel = 2;
    return s;
}

TEST(DoubleClickZero, TakesThePointUnderTheRuler) {
    ProcessingState s = withPoints();
    s.View.RulerX = 19;  // 20 points right of the start: 4 s, point 21 as the readout reads it
    EXPECT_DOUBLE_EQ(rulerTimeSec(s), 4.0);
    EXPECT_EQ(rulerPointIndex(s), 21);
    EXPECT_EQ(zeroOffsetAtRuler(s), -210);

    s.View.ViewStartSec = 10;
    EXPECT_EQ(rulerPointIndex(s), 71);
    EXPECT_EQ(zeroOffsetAtRuler(s), -710);

    s.View.RulerX = 9;
    s.View.ViewStartSec = 0;
    EXPECT_EQ(zeroOffsetAtRuler(s), -10);  // the first point

    // Beyond the last point, with an overlay drawn, with no chromatogram: nothing.
    s.View.ViewStartSec = 30;
    EXPECT_EQ(zeroOffsetAtRuler(s), std::nullopt);
    s.View.ViewStartSec = 0;
    s.View.OverlayCount = 1;
    EXPECT_EQ(zeroOffsetAtRuler(s), std::nullopt);
    s.View.OverlayCount = 0;
    s.ProgramMode = ModeNone;
    EXPECT_EQ(zeroOffsetAtRuler(s), std::nullopt);
}

TEST(DoubleClickZero, KeepsTheOffsetInSixteenBits) {
    ProcessingState s = withPoints();
    s.View.RulerX = 9;
    s.Chrom.Points[1] = -32768;
    EXPECT_EQ(zeroOffsetAtRuler(s), 32767);
    s.Chrom.Points[1] = 32767;
    EXPECT_EQ(zeroOffsetAtRuler(s), -32767);
    s.Chrom.SamplingRate = 0;  // no rate: no point under the ruler
    EXPECT_EQ(zeroOffsetAtRuler(s), std::nullopt);
}

}  // namespace
}  // namespace vk7
