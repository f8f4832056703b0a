#include <gtest/gtest.h>

#include <cmath>

#include "common/cp1251.h"
#include "processing/plot_drawing.h"
#include "processing/plot_geometry.h"
#include "tests/processing/plot_fixture.h"

namespace vk7 {
namespace {

using namespace plot_colour;
using test::RecordingCanvas;

// A plot rectangle H pixels high: top 16, bottom 16 + H.
PlotRect rectOfHeight(int H, int boxWidth = 1000) { return plotRectangle(boxWidth, 16 + H + 1); }

// ---- the vertical axis ----

TEST(VerticalAxis, DecadeShiftsUnitsDecimalsAndTickSteps) {
    struct Case {
        int gainCode;
        double zoom;
        int H;
        bool volts;
        double voltsPerTick;
        int decimals;
        int tickStep;
        const char* firstLabelAboveZero;
    };
    const Case cases[] = {
        // 10 V: L = 1, no shift, one tick per volt, 28 pixels apart on 372.
        {1, 1, 372, true, 1, 0, 28, "    1"},
        // 0.15625 V: L = -0.81, two shifts, ticks every 10 mV.
        {4, 1, 372, false, 0.01, 0, 18, "   10"},
        // 10 / 256 / 256 V: four shifts, 0.1 mV with one decimal.
        {5, 256, 372, false, 0.0001, 1, 183, "  0.1"},
        // 1.25 V: 0 < L < 0.1, tenths of a volt need a decimal.
        {1, 8, 372, true, 0.1, 1, 22, "  0.1"},
        // The zoom is held within 0.5 .. 256.
        {5, 5000, 372, false, 0.0001, 1, 183, "  0.1"},
        {1, 0.01, 372, true, 1, 0, 14, "    1"},
        // A step below 10 pixels is widened ten times.
        {1, 0.5, 100, true, 10, 0, 40, "   10"},
        // Gain codes outside 1..5 are drawn as 4.
        {0, 1, 372, false, 0.01, 0, 18, "   10"},
        {9, 1, 372, false, 0.01, 0, 18, "   10"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "gain " << k.gainCode << " zoom " << k.zoom << " H " << k.H);
        const PlotRect r = rectOfHeight(k.H);
        const VerticalAxis a = verticalAxis(k.gainCode, k.zoom, r);
        EXPECT_EQ(a.Volts, k.volts);
        EXPECT_EQ(unitLabel(a), k.volts ? RU("В") : RU("мВ"));
        EXPECT_NEAR(a.AxisDecadeFactor, k.voltsPerTick, k.voltsPerTick * 1e-9);
        EXPECT_EQ(a.Decimals, k.decimals);
        EXPECT_EQ(a.YTickStep, k.tickStep);
        const auto ticks = verticalTicks(a, r);
        const auto above = std::find_if(ticks.begin(), ticks.end(), [&](const AxisTick& t) { return t.y == a.ZeroLineY - a.YTickStep; });
        ASSERT_NE(above, ticks.end());
        EXPECT_EQ(above->text, k.firstLabelAboveZero);
    }
}

TEST(VerticalAxis, ZeroLineCountsPerPixelAndTheTickBand) {
    const PlotRect r = rectOfHeight(372);  // top 16, bottom 388
    const VerticalAxis a = verticalAxis(1, 1, r);
    EXPECT_EQ(a.ZeroLineY, 295);       // a quarter of the height above the bottom
    EXPECT_EQ(a.CountsPerPixel, 117);  // 32767 x 4 / 3 / 372
    const auto ticks = verticalTicks(a, r);
    ASSERT_FALSE(ticks.empty());
    // k = -3 .. 9: 379 is within bottom - 8, 15 (k = 10) is above top + 8.
    EXPECT_EQ(ticks.front().y, 295 + 3 * 28);
    EXPECT_EQ(ticks.front().text, "   -3");
    EXPECT_EQ(ticks.back().y, 295 - 9 * 28);
    EXPECT_EQ(ticks.size(), 13u);
    int zeros = 0;
    for (const AxisTick& t : ticks) zeros += t.zero;
    EXPECT_EQ(zeros, 1);
    for (const AxisTick& t : ticks) {
        EXPECT_GE(t.y, r.top + 8);
        EXPECT_LE(t.y, r.bottom - 8);
    }
}

TEST(VerticalAxis, TinyAndEmptyPlotsGiveNoTicksAndNoDivisionByZero) {
    for (const PlotRect& r : {plotRectangle(0, 0), plotRectangle(40, 20), plotRectangle(1000, 17), plotRectangle(-5, -5)}) {
        const VerticalAxis a = verticalAxis(1, 1, r);
        EXPECT_GE(a.CountsPerPixel, 1);
        EXPECT_GE(a.YTickStep, 0);
        for (const AxisTick& t : verticalTicks(a, r)) EXPECT_TRUE(t.y >= r.top + 8 && t.y <= r.bottom - 8);
    }
    EXPECT_FALSE(plotFits(plotRectangle(40, 20)));
    EXPECT_TRUE(plotFits(plotRectangle(720, 300)));
}

// ---- the minute axis ----

TEST(TimeAxis, StepsOfOneFiveTwentyFiveMinutes) {
    const PlotRect r = plotRectangle(1000, 600);  // 9 .. 976: 967 pixels
    struct Case {
        int startSec, endSec;
        int step;
        size_t ticks;
        const char* lastLabel;
    };
    const Case cases[] = {
        {0, 0, 1, 2, "   1"},          // no width: drawn as one minute
        {0, 300, 1, 6, "   5"},        // 193.4 pixels a minute
        {0, 3600, 5, 13, "  60"},      // 16.1 -> 80.6 pixels per 5 minutes
        {0, 36000, 25, 25, " 600"},    // 1.6 -> 8.1 -> 40.3 pixels per 25 minutes
        {120, 420, 1, 6, "   7"},      // labels count from the start
        {600, 300, 1, 2, "  11"},      // a reversed window counts as one minute
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.startSec << ".." << k.endSec);
        const TimeAxis a = timeAxis(k.startSec, k.endSec, r);
        EXPECT_EQ(a.StepMinutes, k.step);
        ASSERT_EQ(a.Ticks.size(), k.ticks);
        EXPECT_EQ(a.Ticks.front().x, r.left);
        EXPECT_TRUE(a.Ticks.front().text.empty());
        EXPECT_EQ(a.Ticks.back().text, k.lastLabel);
        EXPECT_LE(a.Ticks.back().x, r.right);
    }
    EXPECT_EQ(timeAxis(0, 300, r).Ticks[1].x, 202);
}

TEST(TimeAxis, NoWidthGivesNoTicksInsteadOfAnEndlessLoop) {
    EXPECT_TRUE(timeAxis(0, 600, plotRectangle(33, 100)).Ticks.empty());  // right = left
    EXPECT_TRUE(timeAxis(0, 600, plotRectangle(0, 0)).Ticks.empty());
}

// ---- points and pixels ----

TEST(PlotConversions, PointsPixelsAndValues) {
    EXPECT_DOUBLE_EQ(pointsPerPixel(400, 5, 25, 967), 2000.0 / 967);
    EXPECT_EQ(visibleSpanSec(100, 100), 60);
    EXPECT_DOUBLE_EQ(pointsPerPixel(visibleSpanSec(0, 0), 5, 25, 100), 60.0 / 5 / 100 * 25);
    EXPECT_DOUBLE_EQ(pointsPerPixel(400, 5, 0, 967), 1.0);  // no rate: a usable scale
    EXPECT_DOUBLE_EQ(pointsPerPixel(400, 5, 25, 0), 1.0);
    EXPECT_EQ(viewFirstPoint(120, 25, 5), 600);

    PlotView v;
    v.PlotLeft = 9, v.ViewFirstPoint = 600, v.PointsPerPixel = 2;
    v.ZeroLineY = 300, v.CountsPerPixel = 100, v.VerticalZoom = 2, v.ZeroOffset = -50;
    EXPECT_EQ(xOfPoint(v, 600), 9);
    EXPECT_EQ(xOfPoint(v, 700), 59);
    EXPECT_EQ(curvePointIndex(v, 9), 601);
    EXPECT_EQ(curvePointIndex(v, 59), 701);
    EXPECT_EQ(yOfValue(v, 1050), 280);   // (1050 - 50) x 2 / 100 = 20 above the zero line
    EXPECT_EQ(yOfValue(v, -950), 320);
    EXPECT_EQ(curveColour(0), Blue);
    EXPECT_EQ(curveColour(1), Green);
    EXPECT_EQ(curveColour(2), Maroon);
    EXPECT_EQ(curveColour(3), Teal);
    EXPECT_EQ(curveColour(4), Olive);
    EXPECT_EQ(curveColour(5), Blue);
}

// ---- the temperature line ----

TemperatureProgram programme(std::vector<std::pair<int, int>> points) {
    TemperatureProgram tp;
    for (size_t j = 0; j < points.size(); ++j) {
        tp.TempProgramTimes[j] = points[j].first;
        tp.TempProgramTemps[j] = points[j].second;
    }
    tp.TempProgramCount = static_cast<int>(points.size()) - 1;
    tp.FinalTemperature = points.back().second;
    return tp;
}

PlotView temperatureView(int startSec, int endSec) {
    PlotView v;
    v.PlotLeft = 9, v.PlotRight = 309, v.PlotTop = 16, v.PlotBottom = 130, v.ZeroLineY = 100;
    v.ViewStartSec = startSec, v.ViewEndSec = endSec;
    return v;
}

TEST(TemperatureLine, SegmentsInTheViewScale) {
    // 50g-5m;10g/m;200g-10m over 30 minutes: 10 pixels a minute, 0.42 pixels a degree.
    const TemperatureProgram tp = programme({{0, 50}, {5, 50}, {20, 200}, {30, 200}});
    const auto segs = temperatureSegments(tp, temperatureView(0, 1800));
    ASSERT_EQ(segs.size(), 3u);
    EXPECT_EQ(segs[0].a, (PlotPoint{9, 79}));
    EXPECT_EQ(segs[0].b, (PlotPoint{59, 79}));
    EXPECT_EQ(segs[1].b, (PlotPoint{209, 16}));  // the final temperature on the top
    EXPECT_EQ(segs[2].b, (PlotPoint{309, 16}));
    EXPECT_EQ(segs[0].colour, Red);
}

TEST(TemperatureLine, SegmentsAreCutAtThePlotEdges) {
    const TemperatureProgram tp = programme({{0, 50}, {5, 50}, {20, 200}, {30, 200}});
    // Minutes 10 .. 20: only the ramp is seen, cut at the left edge where it is at 100 degrees.
    const auto segs = temperatureSegments(tp, temperatureView(600, 1200));
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].a, (PlotPoint{9, 58}));
    EXPECT_EQ(segs[0].b, (PlotPoint{309, 16}));
    // Minutes 0 .. 10: the ramp cut at the right edge, half way up.
    const auto left = temperatureSegments(tp, temperatureView(0, 600));
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[1].b, (PlotPoint{309, 58}));
}

TEST(TemperatureLine, VerticalStepsBeyondTheEdgesAndUndrawableProgrammes) {
    // Two holds without a rate: a step at minute 5, which lies left of a view from minute 6
    // and right of a view up to minute 4.
    const TemperatureProgram step = programme({{0, 50}, {5, 50}, {5, 150}, {15, 150}});
    for (const PlotView& v : {temperatureView(360, 960), temperatureView(0, 240), temperatureView(300, 900)}) {
        for (const PlotSegment& s : temperatureSegments(step, v)) {
            EXPECT_GE(s.a.x, v.PlotLeft);
            EXPECT_LE(s.b.x, v.PlotRight);
            EXPECT_GE(s.a.y, v.PlotTop);
            EXPECT_LE(s.a.y, v.ZeroLineY);
        }
    }
    EXPECT_TRUE(temperatureSegments(programme({{0, 150}, {20, 150}}), temperatureView(0, 1200)).empty());  // isothermal
    EXPECT_TRUE(temperatureSegments(programme({{0, 50}}), temperatureView(0, 1200)).empty());
    TemperatureProgram zeroFinal = programme({{0, -20}, {10, 0}});
    EXPECT_TRUE(temperatureSegments(zeroFinal, temperatureView(0, 1200)).empty());
    TemperatureProgram tooMany = programme({{0, 50}, {10, 100}});
    tooMany.TempProgramCount = 200;  // never read past the table
    EXPECT_NO_FATAL_FAILURE(temperatureSegments(tooMany, temperatureView(0, 1200)));
}

// ---- the markup ----

struct MarkupSetup {
    std::unique_ptr<ProcessingState> s = test::threePeakState();
    RecordingCanvas canvas{1000, 600};
    MarkupSetup() { RepaintPlot(canvas, *s); }
    MarkupGeometry geometry() { return markupGeometry(s->Markup, s->Chrom.Points, s->View); }
    int xs(int i) { return xOfPoint(s->View, s->Markup.Peaks[i].Start); }
    int xe(int i) { return xOfPoint(s->View, s->Markup.Peaks[i].End); }
    int y(int point) { return yOfValue(s->View, s->Chrom.Points[point]); }
};

TEST(MarkupTicks, SinglePeakAndGroupInTheirColoursAndLengths) {
    MarkupSetup m;
    const int q = (599 - 16) / 50;
    const MarkupGeometry g = m.geometry();
    const std::vector<PlotSegment> expected{
        {{m.xs(1), m.y(340) - q}, {m.xs(1), m.y(340) + q}, Red},
        {{m.xe(1), m.y(460) - q}, {m.xe(1), m.y(460) + q}, Green},
        {{m.xs(1), m.y(340)}, {m.xe(1), m.y(460)}, Lime},  // base line of the single peak
        {{m.xe(1), m.y(460)}, {m.xs(2), m.y(930)}, Grey},  // join to the group
        {{m.xs(2), m.y(930) - 3 * q}, {m.xs(2), m.y(930) + 3 * q}, Red},
        {{m.xe(2), m.y(1045) - q}, {m.xe(2), m.y(1045) + q}, Green},
        {{m.xs(3), m.y(1046) - q}, {m.xs(3), m.y(1046) + q}, Red},
        {{m.xe(3), m.y(1170) - 3 * q}, {m.xe(3), m.y(1170) + 3 * q}, Green},
        {{m.xs(2), m.y(930)}, {m.xe(3), m.y(1170)}, Lime},  // base line of the whole group
    };
    ASSERT_EQ(g.Lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(g.Lines[i], expected[i]) << "line " << i;
    ASSERT_EQ(g.Numbers.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g.Numbers[i].text, std::to_string(i + 1));
        EXPECT_EQ(g.Numbers[i].colour, Teal);
        EXPECT_EQ(g.Numbers[i].y, 599 - 26);
        EXPECT_EQ(g.Numbers[i].x, xOfPoint(m.s->View, m.s->Markup.Peaks[i + 1].Apex) - 4);
    }
}

TEST(MarkupTicks, ValuesFollowTheSignalAndOutOfBandStartsDrawNothing) {
    MarkupSetup m;
    m.s->Chrom.Points[340] = 32000;  // the first start lies above the tick band
    m.s->Markup.Peaks[3].Apex = 990;  // the last apex lies before its predecessor's
    const MarkupGeometry g = m.geometry();
    EXPECT_EQ(m.s->Markup.Peaks[1].StartValue, 32000);
    EXPECT_TRUE(m.s->View.PlotTop > m.y(340) - (599 - 16) / 50);
    // No red tick and no number for peak 1; its end still starts the join to the group.
    for (const PlotSegment& l : g.Lines) EXPECT_NE(l.a.x == m.xs(1) && l.colour == Red, true);
    EXPECT_EQ(g.Lines[0].colour, Green);
    EXPECT_EQ(g.Lines[1].colour, Grey);
    EXPECT_EQ(g.Lines[1].a, (PlotPoint{m.xe(1), m.y(460)}));
    ASSERT_EQ(g.Numbers.size(), 2u);
    EXPECT_EQ(g.Numbers[0].text, "2");
    EXPECT_EQ(g.Numbers[1].colour, Red);
}

TEST(MarkupTicks, PeaksOutsideThePointsAreDrawnWithoutReadingThem) {
    MarkupSetup m;
    m.s->Markup.Peaks.push_back(test::peak(2500, 2600, 2700, 'M'));  // beyond the 2000 points
    m.s->Markup.Peaks.push_back(test::peak(0, 0, 0, 'M'));
    EXPECT_NO_FATAL_FAILURE(m.geometry());
    EXPECT_EQ(m.s->Markup.Peaks[4].StartValue, 0);
}

TEST(PeakNames, PlacedByLengthInTheirColours) {
    MarkupSetup m;
    m.s->Markup.Peaks[2].Name = RU("Этан");
    m.s->Markup.Peaks[3].Overload = true;
    NameColours c;
    auto labels = peakNameLabels(m.s->Markup, m.s->View, c);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].text, RU("Метан"));
    EXPECT_EQ(labels[0].y, 16 + 15 + 6 * 5);
    EXPECT_EQ(labels[0].x, xOfPoint(m.s->View, 400) - 6);
    EXPECT_EQ(labels[0].colour, Teal);
    EXPECT_EQ(labels[2].colour, Red);
    c.IdentMode = 1, c.ReferencePeakNo = 1;
    EXPECT_EQ(peakNameLabels(m.s->Markup, m.s->View, c)[0].colour, Maroon);
    c.QuantMethod = 1, c.StandardPeakNo = 1;  // later rules win
    EXPECT_EQ(peakNameLabels(m.s->Markup, m.s->View, c)[0].colour, Blue);
    m.s->Markup.Peaks[1].Apex = 2000;  // right of PlotRight - 8
    EXPECT_EQ(peakNameLabels(m.s->Markup, m.s->View, c).size(), 2u);
}

// ---- the ruler readouts ----

OpenChromatogram readoutChrom() {
    OpenChromatogram c;
    c.SamplingRate = 25;
    c.SamplesPerPoint = 5;
    c.GainCode = 4;  // 0.15625 V full scale
    c.Points = NumberedArray<int16_t>(100);
    c.Points[11] = 16384;
    return c;
}

PlotView readoutView(int rulerX) {
    PlotView v;
    v.PlotLeft = 9, v.PlotRight = 500, v.PointsPerPixel = 1, v.RulerX = rulerX;
    return v;
}

TEST(RulerReadouts, TimeSignalAndTemperatureTexts) {
    struct Case {
        int unitCode;
        int16_t value;
        const char* signal;
    };
    const Case cases[] = {
        {0, 16384, "  78.1 мВ"},   // 0.078125 V: millivolts with one decimal (halves to even)
        {2, 16384, " 7.812 В"},    // x 100: volts with three decimals
        {1, -32768, "-1.562 В"},
        {0, 0, "   0.0 мВ"},
        {5, 16384, ""},            // no such unit: no scale
    };
    for (const Case& k : cases) {
        OpenChromatogram c = readoutChrom();
        c.UnitCode = k.unitCode;
        c.Points[11] = k.value;
        c.Temperature = programme({{0, 50}, {5, 50}, {20, 200}, {30, 200}});
        const RulerReadouts r = rulerReadouts(readoutView(19), c);  // 10 points: 2 s, point 11
        EXPECT_EQ(r.Time, RU("  0.03 м"));
        EXPECT_EQ(r.Signal, toCp1251(k.signal));
        EXPECT_EQ(r.Temperature, RU(" 50.0°C"));
    }
}

TEST(RulerReadouts, BlankOutsideThePointsAndHeldAfterTheProgramme) {
    OpenChromatogram c = readoutChrom();
    PlotView v = readoutView(9 + 100);  // point 101 of 100
    EXPECT_EQ(rulerReadouts(v, c).Signal, "");
    EXPECT_EQ(rulerReadouts(v, c).Temperature, "");  // no programme
    v.RulerX = 9 + 99;
    EXPECT_NE(rulerReadouts(v, c).Signal, "");
    c.Points.clear();
    EXPECT_EQ(rulerReadouts(readoutView(9), c).Signal, "");

    const TemperatureProgram tp = programme({{0, 50}, {5, 50}, {20, 200}, {30, 200}});
    EXPECT_DOUBLE_EQ(*programmeTemperature(tp, 10), 100);
    EXPECT_DOUBLE_EQ(*programmeTemperature(tp, 0), 50);
    EXPECT_DOUBLE_EQ(*programmeTemperature(tp, 45), 200);  // after the last point
    const TemperatureProgram stepped = programme({{0, 50}, {5, 50}, {5, 150}, {15, 150}});
    EXPECT_DOUBLE_EQ(*programmeTemperature(stepped, 5), 150);
    EXPECT_FALSE(programmeTemperature(programme({{0, 50}}), 3));
}

TEST(RulerReadouts, TheRulerPointMatchesTheTime) {
    PlotView v = readoutView(9 + 37);
    v.ViewStartSec = 120;
    v.PointsPerPixel = 2.5;
    // round(37 x 2.5) = 92 points = 18.4 s after the start of the window.
    EXPECT_DOUBLE_EQ(rulerTimeSec(v, 5, 25), 92 * 5 / 25.0 + 120);
    EXPECT_EQ(rulerPointIndex(v, 5, 25), 600 + 92 + 1);
}

// ---- dragged rectangles ----

PlotView dragView() {
    PlotView v;
    v.PlotLeft = 9, v.PlotRight = 409, v.PlotTop = 16, v.PlotBottom = 388;  // 400 x 372
    v.ViewStartSec = 0, v.ViewEndSec = 600;                             // 10 minutes
    v.VerticalZoom = 2;
    v.YTickStep = 18, v.AxisDecadeFactor = 0.01;
    return v;
}

TEST(Fragment, SnapsToWholeMinutesAndScalesTheHeight) {
    struct Case {
        DragBox box;
        int start, end;
        bool flat;
        double zoom;
    };
    const Case cases[] = {
        {{96, 100, 100, 193}, 120, 180, false, 2 * 371.0 / 93},  // inside one minute
        {{5, 50, 209, 50}, 0, 300, true, 2},                     // left of the plot; flat
        {{2, 10, 5, 20}, 0, 60, false, 2 * 371.0 / 10},          // wholly left of the plot
        {{9, 100, 409, 101}, 0, 600, false, 256},                // zoom held at 256
        {{209, 100, 600, 120}, 300, 900, false, 2 * 371.0 / 20}, // past the right edge
    };
    for (const Case& k : cases) {
        const FragmentResult f = fragmentResult(dragView(), k.box);
        EXPECT_EQ(f.ViewStartSec, k.start) << k.box.x1;
        EXPECT_EQ(f.ViewEndSec, k.end) << k.box.x1;
        EXPECT_EQ(f.Flat, k.flat);
        EXPECT_DOUBLE_EQ(f.VerticalZoom, k.zoom);
    }
    PlotView empty = dragView();
    empty.ViewEndSec = 0;  // a window of no width counts as one minute
    EXPECT_EQ(fragmentResult(empty, {209, 1, 409, 2}).ViewEndSec, 60);
    EXPECT_EQ(orderedBox({50, 10}, {20, 40}).x1, 20);
    EXPECT_EQ(orderedBox({50, 10}, {20, 40}).y2, 40);
}

TEST(WMode, AveragingFromTheDraggedSpanAndThresholdFromItsHeight) {
    const PlotView v = dragView();
    // 80 pixels of 400 over 10 minutes: 120 s, a fortieth of it is 3000 ms.
    WModeResult w = wModeResult(v, {100, 100, 180, 136}, 1, 0);
    EXPECT_EQ(w.AveragingMs, 3000);
    ASSERT_TRUE(w.DetectThreshold);
    EXPECT_NEAR(*w.DetectThreshold, 36.0 / 18 * 0.01 * 1000, 1e-9);  // 20 mV
    w = wModeResult(v, {100, 100, 180, 136}, 5, 2);
    EXPECT_NEAR(*w.DetectThreshold, 20.0 * 500, 1e-6);
    EXPECT_FALSE(wModeResult(v, {100, 100, 180, 136}, 1, 7).DetectThreshold);
    PlotView noTicks = v;
    noTicks.YTickStep = 0;
    EXPECT_FALSE(wModeResult(noTicks, {100, 100, 180, 136}, 1, 0).DetectThreshold);
    EXPECT_EQ(wModeResult(v, {100, 100, 100, 136}, 1, 0).AveragingMs, 0);
}

}  // namespace
}  // namespace vk7
