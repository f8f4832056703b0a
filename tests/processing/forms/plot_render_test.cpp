// Pixel probes on the plot as the paint box's image shows it.
#include <gtest/gtest.h>

#include "platform/qt/image_canvas.h"
#include "processing/plot_drawing.h"
#include "processing/plot_navigation.h"
#include "tests/processing/plot_fixture.h"

namespace vk7 {
namespace {

using namespace plot_colour;
constexpr Colour Cyan = 0xFFFF00;

struct Rendered {
    std::unique_ptr<ProcessingState> s = test::threePeakState();
    ImageCanvas c{1000, 600, 0x123456};
    RulerReadouts readouts;
    Rendered() { readouts = RepaintPlot(c, *s); }
    const PlotView& v() const { return s->View; }
    Peak& peak(int i) { return s->Markup.Peaks[i]; }
    int x(int point) const { return xOfPoint(s->View, point); }
    int y(int point) const { return yOfValue(s->View, s->Chrom.Points[point]); }
};

TEST(PlotImage, FrameBackgroundZeroLineAndFlatCurve) {
    Rendered r;
    const PlotView& v = r.v();
    EXPECT_EQ(r.c.pixel(0, 0), Grey);  // the frame of the whole box
    EXPECT_EQ(r.c.pixel(999, 599), Grey);
    EXPECT_EQ(r.c.pixel(3, 300), White);  // the margin
    EXPECT_EQ(r.c.pixel(v.PlotLeft, 300), Grey);
    EXPECT_EQ(r.c.pixel(v.PlotRight - 1, 300), Grey);
    EXPECT_EQ(r.c.pixel(v.PlotRight, 300), White);
    EXPECT_EQ(r.c.pixel(500, v.PlotTop), Grey);
    EXPECT_EQ(r.c.pixel(500, v.PlotBottom - 1), Grey);
    EXPECT_EQ(r.c.pixel(500, 250), White);

    ASSERT_EQ(v.ZeroLineY, 453);
    EXPECT_EQ(r.c.pixel(600, v.ZeroLineY), Grey);
    EXPECT_EQ(r.c.pixel(600, v.ZeroLineY - 1), White);

    // The flat base of 1000 counts after the peaks lies 13 rows above the zero line.
    const int flatRow = yOfValue(v, test::kFlatBase);
    EXPECT_EQ(flatRow, 440);
    for (int x = r.x(1300); x < r.x(1900); x += 7) {
        EXPECT_EQ(r.c.pixel(x, flatRow), Blue) << x;
        EXPECT_EQ(r.c.pixel(x, flatRow - 1), White) << x;
    }
    // The apex of the 8000-count peak: raised above the flat row by 8000 x 1 / 75 rows.
    const int apexX = r.x(400) - 1;
    bool apex = false;
    for (int y = yOfValue(v, 9000) - 2; y <= yOfValue(v, 9000) + 2; ++y) apex |= r.c.pixel(apexX, y) == Blue;
    EXPECT_TRUE(apex);
}

TEST(PlotImage, MarkupTicksBaseLinesAndJoin) {
    Rendered r;
    const int q = (r.v().PlotBottom - r.v().PlotTop) / 50;
    // Peak 1 'M': red start, green end, lime base line between them.
    EXPECT_EQ(r.c.pixel(r.x(340), r.y(340) - q / 2), Red);
    EXPECT_EQ(r.c.pixel(r.x(460), r.y(460) - q / 2), Green);
    EXPECT_EQ(r.c.pixel(r.x(400), r.y(340)), Lime);
    // The grey join from peak 1's end to the group's start.
    EXPECT_EQ(r.c.pixel((r.x(460) + r.x(930)) / 2, r.y(930)), Grey);
    // 'B' and 'E' ticks are three times longer.
    EXPECT_EQ(r.c.pixel(r.x(930), r.y(930) - 2 * q), Red);
    EXPECT_EQ(r.c.pixel(r.x(1046), r.y(1046) - 2 * q), White);
    EXPECT_EQ(r.c.pixel(r.x(1170), r.y(1170) - 2 * q), Green);
    // The base line of the group, from 439 at its start to 440 at its end.
    EXPECT_TRUE(r.c.pixel(r.x(1100), 439) == Lime || r.c.pixel(r.x(1100), 440) == Lime);
    EXPECT_EQ(r.y(930), 439);
    EXPECT_EQ(r.y(1170), 440);
}

// The bounding box of the pixels of one colour in a part of the image.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};
Ink inkOf(ImageCanvas& c, Colour colour, int l, int t, int r, int b) {
    Ink k;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x)
            if (c.pixel(x, y) == colour)
                k.left = std::min(k.left, x), k.top = std::min(k.top, y), k.right = std::max(k.right, x),
                k.bottom = std::max(k.bottom, y);
    return k;
}

TEST(PlotImage, NumbersAndNamesReadUpwards) {
    Rendered r;
    // Nine more single peaks, so that the last number has two digits.
    for (int k = 0; k < 9; ++k) r.s->Markup.Peaks.push_back(test::peak(1300 + 60 * k, 1320 + 60 * k, 1340 + 60 * k, 'M'));
    RepaintPlot(r.c, *r.s);
    const PlotView& v = r.v();
    // The name "Метан" stands on PlotTop + 15 + 30 above the first apex.
    const int nx = r.x(400) - 6;
    const Ink name = inkOf(r.c, Teal, nx - 2, v.PlotTop, nx + 20, v.PlotTop + 15 + 30 + 2);
    ASSERT_GT(name.right, 0);
    EXPECT_GT(name.height(), 2 * name.width());
    EXPECT_LT(name.bottom, v.PlotTop + 15 + 30);
    EXPECT_GE(name.left, nx);
    // The number 12 stands on PlotBottom - 26 beside its apex.
    const int x12 = r.x(1320 + 60 * 8) - 4;
    const Ink twelve = inkOf(r.c, Teal, x12 - 2, v.PlotBottom - 60, x12 + 20, v.PlotBottom - 20);
    ASSERT_GT(twelve.right, 0);
    EXPECT_GT(twelve.height(), twelve.width());
    EXPECT_LT(twelve.bottom, v.PlotBottom - 26);
    EXPECT_GE(twelve.left, x12);
}

TEST(PlotImage, RulerIsCyanOnWhiteAndDrawingItTwiceRestoresTheImage) {
    Rendered r;
    const PlotView& v = r.v();
    EXPECT_EQ(r.c.pixel(100, 200), Cyan);
    EXPECT_EQ(r.c.pixel(100, v.PlotTop + 2), Cyan);
    EXPECT_EQ(r.c.pixel(100, v.PlotTop + 1), White);
    EXPECT_EQ(r.c.pixel(100, v.PlotBottom - 3), Cyan);
    EXPECT_EQ(r.c.pixel(100, v.PlotBottom - 2), White);
    const QImage before = r.c.image().copy();
    DrawRuler(r.c, v);
    EXPECT_EQ(r.c.pixel(100, 200), White);
    DrawRuler(r.c, v);
    EXPECT_EQ(r.c.image(), before);

    // Moving it with the mouse leaves no trace of the old line.
    PlotMouseDown(r.c, *r.s, 700, 300);
    EXPECT_EQ(r.c.pixel(100, 200), White);
    EXPECT_EQ(r.c.pixel(700, 200), Cyan);
}

TEST(PlotImage, RubberBandInNotXorErasesItself) {
    Rendered r;
    const QImage before = r.c.image().copy();
    ArmFragment(r.s->View);
    PlotMouseDown(r.c, *r.s, 200, 100);
    PlotMouseMove(r.c, *r.s, 300, 500);
    EXPECT_EQ(r.c.pixel(250, 100), Red);  // red on white
    EXPECT_EQ(r.c.pixel(250, 200), White);  // the inside stays
    PlotMouseMove(r.c, *r.s, 600, 450);
    EXPECT_EQ(r.c.pixel(250, 500), White);  // the old band is gone
    DrawRubberBand(r.c, {200, 100}, {600, 450}, PenMode::NotXor);
    EXPECT_EQ(r.c.image(), before);
}

TEST(PlotImage, IdleFrameAndTinyBoxes) {
    ImageCanvas idle(300, 200, White);
    DrawIdleFrame(idle);
    const Colour mid = idle.pixel(150, 100);
    EXPECT_NE(mid, White);
    EXPECT_LE(redOf(mid), 126);
    EXPECT_LE(greenOf(mid), 126);
    EXPECT_LE(blueOf(mid), 126);
    EXPECT_EQ(idle.pixel(0, 0), White);  // outside the stripes

    // A box too small for a plot gets only its frame.
    auto s = test::threePeakState();
    ImageCanvas tiny(40, 20, 0x123456);
    RepaintPlot(tiny, *s);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool edge = x == 0 || y == 0 || x == 39 || y == 19;
            EXPECT_EQ(tiny.pixel(x, y), edge ? Grey : White) << x << "," << y;
        }
    ImageCanvas none(0, 0);
    EXPECT_NO_FATAL_FAILURE(RepaintPlot(none, *s));
    s->Chrom.Points.clear();
    s->Markup.clear();
    ImageCanvas empty(800, 400);
    EXPECT_NO_FATAL_FAILURE(RepaintPlot(empty, *s));
}

}  // namespace
}  // namespace vk7
