// Calibration graphs: the points of grad.dat, the least-squares line through the origin, the
// grid, the read-off, the zoom and the printed page.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "platform/recording_printer.h"
#include "processing/calibration_graph.h"
#include "tests/processing/plot_fixture.h"
#include "tests/support/calibration_fixture.h"

namespace vk7 {
namespace {

std::string gradLine(double s, double c, const std::string& name) {
    return calibrationPointLine(test::calibrationLine(30, s, c, name));
}

CalibrationGraph graphOf(std::vector<std::pair<double, double>> points, const std::string& name = "benzene") {
    std::vector<std::string> lines;
    for (auto [s, c] : points) lines.push_back(gradLine(s, c, name));
    CalibrationGraph g;
    LoadCalibrationPoints(g, lines, name);
    return g;
}

TEST(CalibrationGraph, ComponentsAndPoints) {
    const std::vector<std::string> lines = {gradLine(1, 2, "benzene"), gradLine(5, 1, "toluene"), gradLine(3, 6, "benzene"),
                                            gradLine(1, 1, ""), test::calibrationLine(30, 1, 1, "xylene", true)};
    EXPECT_EQ(ListCalibratedComponents(lines), (std::vector<std::string>{"benzene", "toluene"}));

    std::vector<std::string> many;
    for (int i = 1; i <= 70; ++i) many.push_back(gradLine(i, i, "benzene"));
    CalibrationGraph g;
    LoadCalibrationPoints(g, many, "benzene");
    EXPECT_EQ(g.count(), 63);

    // Sorted by S, C with them; the full view counts the origin.
    g = graphOf({{3, 6}, {1, 2.2}, {2, 3.9}});
    EXPECT_EQ(g.S, (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(g.C, (std::vector<double>{0, 2.2, 3.9, 6}));
    g = graphOf({{-3, -1}});
    EXPECT_EQ(g.Smax, 0);
    EXPECT_EQ(g.Cmax, 0);
}

TEST(CalibrationGraph, LeastSquaresThroughTheOrigin) {
    struct Case {
        std::vector<std::pair<double, double>> points;
        const char *a, *b, *r;
    };
    for (const Case& c : {Case{{{1, 2}, {2, 4}}, "     2.00000", "     0.00000", "     1.00000"},
                          Case{{{1, 1}, {2, 3}}, "     1.50000", "    -0.16667", "     0.98198"},
                          Case{{{10, 5}}, "     0.50000", "     0.00000", "     1.00000"},
                          Case{{{3, 6}, {1, 2.2}, {2, 3.9}}, "     1.97000", "     0.07000", "     0.99889"}}) {
        CalibrationGraph g = graphOf(c.points);
        test::RecordingCanvas canvas(421, 293);
        RedrawGraph(canvas, g);
        const FitTexts t = fitTexts(g);
        EXPECT_EQ(t.a, c.a);
        EXPECT_EQ(t.b, c.b);
        EXPECT_EQ(t.r, c.r);
    }
}

TEST(CalibrationGraph, GridPointsAndReadOff) {
    CalibrationGraph g = graphOf({{3, 6}, {1, 2.2}, {2, 3.9}});
    test::RecordingCanvas canvas(421, 293);
    RedrawGraph(canvas, g);
    ASSERT_TRUE(g.Axes);
    EXPECT_EQ(g.Axes->gridS0, 0);
    EXPECT_EQ(g.Axes->gridS1, 4);
    EXPECT_EQ(g.Axes->stepS, 1);
    EXPECT_EQ(g.Axes->pxS, 96);
    EXPECT_EQ(g.Axes->gridC1, 7);
    EXPECT_EQ(g.Axes->pxC, 38);
    // The point (1, 2.2) as a maroon square about (126, 189).
    bool found = false;
    for (const auto& r : canvas.rects) found |= r.l == 124 && r.t == 187 && r.r == 128 && r.b == 191 && r.pen.colour == 0x000080;
    EXPECT_TRUE(found);
    EXPECT_TRUE(canvas.findText("  1.0"));  // C labels
    EXPECT_TRUE(canvas.findText("     1"));  // S labels

    for (auto [s, expected] : {std::pair{0.5, 1.10}, {1.5, 3.05}, {3.0, 6.00}}) EXPECT_NEAR(*ReadOffConcentration(g, s), expected, 1e-12);
    EXPECT_FALSE(ReadOffConcentration(g, 3.01));
    g.ReadOffX = 30 + 96 + 48;  // S = 1.5
    EXPECT_EQ(ReadOffGraph(g).S, "    1.50");
    EXPECT_EQ(ReadOffGraph(g).C, "    3.05");
    g.ReadOffX = 20;
    EXPECT_EQ(ReadOffGraph(g).C, "  *");

    // Small areas halve the S step to 0.25 and C steps of 0.25 follow: the labels keep the
    // fractions ("  0.25", " 0.25"), not whole or one-decimal roundings that repeat.
    CalibrationGraph small = graphOf({{0.6, 0.5}, {1.2, 1.2}});
    canvas.clear();
    RedrawGraph(canvas, small);
    ASSERT_TRUE(small.Axes);
    EXPECT_EQ(small.Axes->stepS, 0.25);
    EXPECT_EQ(small.Axes->stepC, 0.25);
    EXPECT_TRUE(canvas.findText("  0.25"));
    EXPECT_TRUE(canvas.findText(" 0.25"));
    EXPECT_TRUE(canvas.findText("  1.00"));

    CalibrationGraph one = graphOf({{10, 5}});
    RedrawGraph(canvas, one);
    EXPECT_NEAR(*ReadOffConcentration(one, 4), 2.0, 1e-12);
    EXPECT_FALSE(ReadOffConcentration(one, 10.5));
}

TEST(CalibrationGraph, NarrowAndEmptySpans) {
    CalibrationGraph g = graphOf({{1, 1.0}, {2, 1.02}});
    g.Cmin = 1.0;  // a C span of 0.02 is widened by 0.05 on each side
    test::RecordingCanvas canvas(421, 293);
    RedrawGraph(canvas, g);
    ASSERT_TRUE(g.Axes);
    EXPECT_LE(g.Axes->gridC0, 0.95);
    EXPECT_GE(g.Axes->gridC1, 1.07);

    CalibrationGraph zero = graphOf({{0, 1}, {0, 2}});
    canvas.clear();
    RedrawGraph(canvas, zero);
    EXPECT_FALSE(zero.Axes);
    EXPECT_TRUE(canvas.lines.empty());
    EXPECT_EQ(fitTexts(zero).a, "a");
    EXPECT_EQ(ReadOffGraph(zero).S, "");
    EXPECT_FALSE(ZoomGraph(zero, 40, 10, 200, 200));
}

TEST(CalibrationGraph, ZoomIntoAFragment) {
    CalibrationGraph g = graphOf({{3, 6}, {1, 2.2}, {2, 3.9}});
    test::RecordingCanvas canvas(421, 293);
    RedrawGraph(canvas, g);
    EXPECT_FALSE(ZoomGraph(g, 100, 100, 101, 150));  // under 2 pixels
    EXPECT_EQ(g.Smax, 3);
    ASSERT_TRUE(ZoomGraph(g, 30 + 192, 273 - 38 * 4, 30 + 96, 273 - 38 * 2));
    EXPECT_DOUBLE_EQ(g.Smin, 1);
    EXPECT_DOUBLE_EQ(g.Smax, 2);
    EXPECT_DOUBLE_EQ(g.Cmin, 2);
    EXPECT_DOUBLE_EQ(g.Cmax, 4);
    ShowFullView(g);
    EXPECT_EQ(g.Smax, 3);
}

TEST(CalibrationGraph, PrintedPage) {
    CalibrationGraph g = graphOf({{3, 6}, {1, 2.2}, {2, 3.9}});
    test::RecordingCanvas screen(421, 293);
    RedrawGraph(screen, g);
    const GraphAxes before = *g.Axes;
    for (auto [dpi, left, right, bottom] : {std::tuple{600, 709, 4725, 4066}, {300, 354, 2362, 2058}}) {
        test::RecordingCanvas page(5000, 7000);
        PrintCalibrationGraph(page, dpi, dpi, g, RU("Бензол"));
        bool frameLeft = false, frameRight = false;
        for (const auto& l : page.lines) {
            frameLeft |= l.a.x == left && l.b.x == left && l.a.y == 50 && l.b.y == bottom;
            frameRight |= l.a.y == bottom && l.b.x == right;
        }
        EXPECT_TRUE(frameLeft) << dpi;
        EXPECT_TRUE(frameRight) << dpi;
        EXPECT_TRUE(page.findText(RU("Вещество: Бензол. Градуровочный график."))) << dpi;
        EXPECT_TRUE(page.findText("a=     1.97000")) << dpi;
    }
    EXPECT_EQ(g.Axes->pxS, before.pxS);
    EXPECT_EQ(g.Rect.right, 417);
}

}  // namespace
}  // namespace vk7
