#include <gtest/gtest.h>

#include <functional>

#include "common/cp1251.h"
#include "processing/plot_drawing.h"
#include "processing/plot_navigation.h"
#include "tests/processing/plot_fixture.h"

namespace vk7 {
namespace {

using namespace plot_colour;
using test::RecordingCanvas;

// ---- view commands ----

TEST(ViewCommands, ChangeTheViewAndAskForTheirFollowUp) {
    struct Case {
        const char* name;
        std::function<PlotFollowUp(PlotView&)> command;
        std::function<void(PlotView&)> before;
        std::function<void(const PlotView&)> check;
        PlotFollowUp followUp;
    };
    const Case cases[] = {
        {"x2 at 256", ZoomIn, [](PlotView& v) { v.VerticalZoom = 256; },
         [](const PlotView& v) { EXPECT_EQ(v.VerticalZoom, 256); }, PlotFollowUp::Process},
        {"x2", ZoomIn, [](PlotView& v) { v.VerticalZoom = 3; }, [](const PlotView& v) { EXPECT_EQ(v.VerticalZoom, 6); },
         PlotFollowUp::Process},
        {"/2 at 0.5", ZoomOut, [](PlotView& v) { v.VerticalZoom = 0.5; },
         [](const PlotView& v) { EXPECT_EQ(v.VerticalZoom, 0.5); }, PlotFollowUp::Process},
        {"M", ResetVerticalScale, [](PlotView& v) { v.VerticalZoom = 17, v.ZeroOffset = -1234; },
         [](const PlotView& v) {
             EXPECT_EQ(v.VerticalZoom, 1);
             EXPECT_EQ(v.ZeroOffset, 0);
         },
         PlotFollowUp::Process},
        {"left from 30 s", WindowLeft, [](PlotView& v) { v.ViewStartSec = 30, v.ViewEndSec = 330; },
         [](const PlotView& v) {
             EXPECT_EQ(v.ViewStartSec, 0);
             EXPECT_EQ(v.ViewEndSec, 300);
         },
         PlotFollowUp::Process},
        {"left", WindowLeft, [](PlotView& v) { v.ViewStartSec = 200, v.ViewEndSec = 500; },
         [](const PlotView& v) {
             EXPECT_EQ(v.ViewStartSec, 140);
             EXPECT_EQ(v.ViewEndSec, 440);
         },
         PlotFollowUp::Process},
        {"right", [](PlotView& v) { return WindowRight(v, 600); }, [](PlotView& v) { v.ViewStartSec = 600, v.ViewEndSec = 900; },
         [](const PlotView& v) {
             EXPECT_EQ(v.ViewStartSec, 660);
             EXPECT_EQ(v.ViewEndSec, 960);
         },
         PlotFollowUp::Process},
        {"right past the end", [](PlotView& v) { return WindowRight(v, 600); },
         [](PlotView& v) { v.ViewStartSec = 660, v.ViewEndSec = 960; },
         [](const PlotView& v) {
             EXPECT_EQ(v.ViewStartSec, 660);
             EXPECT_EQ(v.ViewEndSec, 960);
         },
         PlotFollowUp::Process},
        {"O", [](PlotView& v) { return Overview(v, 200, 4501); },
         [](PlotView& v) { v.ViewStartSec = 120, v.ViewEndSec = 180, v.FragmentShown = true; },
         [](const PlotView& v) {
             EXPECT_EQ(v.ViewStartSec, 0);
             EXPECT_EQ(v.ViewEndSec, 900);  // round(200 x 4501 / 1000)
             EXPECT_FALSE(v.FragmentShown);
         },
         PlotFollowUp::Process},
        {"F", ArmFragment, [](PlotView&) {}, [](const PlotView& v) { EXPECT_TRUE(v.FragmentArmed); }, PlotFollowUp::None},
        {"W", ArmWMode, [](PlotView&) {}, [](const PlotView& v) { EXPECT_TRUE(v.WModeArmed); }, PlotFollowUp::None},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        PlotView v;
        v.OverlayCount = 3;
        k.before(v);
        EXPECT_EQ(k.command(v), k.followUp);
        k.check(v);
        if (k.followUp == PlotFollowUp::Process) {
            EXPECT_EQ(v.OverlayCount, 0);  // overlays vanish
        }
    }
}

TEST(ViewCommands, RightStopsOnceTheStartHasPassedTheEnd) {
    PlotView v;
    v.ViewStartSec = 0, v.ViewEndSec = 300;
    for (int i = 0; i < 100000; ++i) WindowRight(v, 1000);
    EXPECT_EQ(v.ViewStartSec, 1020);
    EXPECT_EQ(v.ViewEndSec, 1320);
}

TEST(ViewCommands, TheTemperatureLineToggles) {
    ProcessingSettings s;
    s.ShowTemperature = false;
    EXPECT_EQ(ToggleTemperatureLine(s), PlotFollowUp::Repaint);
    EXPECT_TRUE(s.ShowTemperature);
    ToggleTemperatureLine(s);
    EXPECT_FALSE(s.ShowTemperature);
}

// ---- the repaint ----

TEST(RepaintPlot, DrawsInItsOrderEndingWithTheXorRuler) {
    auto s = test::threePeakState();
    RecordingCanvas c(1000, 600);
    const RulerReadouts r = RepaintPlot(c, *s);
    const PlotView& v = s->View;
    EXPECT_EQ(v.PlotLeft, 9);
    EXPECT_EQ(v.PlotRight, 976);
    EXPECT_EQ(v.PlotTop, 16);
    EXPECT_EQ(v.PlotBottom, 599);
    ASSERT_GE(c.rects.size(), 2u);
    EXPECT_EQ(c.rects[0].r, 1000);
    EXPECT_EQ(c.rects[0].pen.colour, Grey);
    EXPECT_EQ(c.rects[0].brush.colour, White);
    EXPECT_EQ(c.rects[1].l, 9);
    EXPECT_EQ(c.rects[1].b, 599);

    ASSERT_NE(c.findText(RU("мВ")), nullptr);
    EXPECT_EQ(c.findText(RU("мВ"))->x, 976 + 9);
    ASSERT_NE(c.findText(RU("мин")), nullptr);
    const auto* name = c.findText("h12a.hrm");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->x, 19);
    EXPECT_EQ(name->y, 17);
    EXPECT_EQ(name->font.colour, Blue);
    const auto* number = c.findText("2");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->font.escapement, 900);
    EXPECT_EQ(c.texts.back().text, "?");  // the names come after the numbers
    EXPECT_EQ(c.texts.back().font.escapement, 900);
    EXPECT_EQ(c.font().escapement, 0);
    EXPECT_EQ(c.font().colour, Navy);

    const auto curve = c.linesIn(Blue);
    ASSERT_FALSE(curve.empty());
    EXPECT_EQ(curve.front().a, (CanvasPoint{9, v.ZeroLineY}));
    EXPECT_LE(curve.size(), size_t(976 - 9));

    const auto& ruler = c.lines.back();
    EXPECT_EQ(ruler.pen.mode, PenMode::Xor);
    EXPECT_EQ(ruler.pen.colour, Red);
    EXPECT_EQ(ruler.a, (CanvasPoint{100, 18}));
    EXPECT_EQ(ruler.b, (CanvasPoint{100, 597}));
    EXPECT_EQ(c.pen().mode, PenMode::Copy);
    EXPECT_FALSE(r.Time.empty());
    EXPECT_FALSE(r.Signal.empty());
}

TEST(RepaintPlot, TemperatureLineOnlyWhenAskedForAndWithoutOverlays) {
    auto s = test::threePeakState();
    s->Chrom.Temperature = ParseTemperatureProgram("x: 50g-1m;20g/m;150g-1m", 400);
    RecordingCanvas c(1000, 600);
    RepaintPlot(c, *s);
    const size_t redWithout = c.linesIn(Red).size();
    s->Settings.ShowTemperature = true;
    c.clear();
    RepaintPlot(c, *s);
    EXPECT_GT(c.linesIn(Red).size(), redWithout);

    // An overlay: the next colour, its name 50 pixels further right, no temperature line.
    s->View.OverlayCount = 1;
    c.clear();
    DrawCurve(c, *s);
    EXPECT_TRUE(c.linesIn(Red).empty());
    EXPECT_FALSE(c.linesIn(Green).empty());
    EXPECT_EQ(c.findText("h12a.hrm")->x, 69);
}

TEST(RepaintPlot, EmptyTinyAndOddStatesNeitherCrashNorLoop) {
    struct Case {
        const char* name;
        int w, h;
        std::function<void(ProcessingState&)> setup;
    };
    const Case cases[] = {
        {"no canvas", 0, 0, [](ProcessingState&) {}},
        {"40 x 20", 40, 20, [](ProcessingState&) {}},
        {"one pixel", 1, 1, [](ProcessingState&) {}},
        {"a line", 5000, 3, [](ProcessingState&) {}},
        {"no points", 800, 400, [](ProcessingState& s) { s.Chrom.Points.clear(); }},
        {"no rate", 800, 400, [](ProcessingState& s) { s.Chrom.SamplingRate = 0; }},
        {"no window", 800, 400, [](ProcessingState& s) { s.View.ViewEndSec = s.View.ViewStartSec = 0; }},
        {"reversed window", 800, 400, [](ProcessingState& s) { s.View.ViewStartSec = 500, s.View.ViewEndSec = 100; }},
        {"far right", 800, 400, [](ProcessingState& s) { s.View.ViewStartSec = 2000000000, s.View.ViewEndSec = 2000000060; }},
        {"zoom and offset at the limits", 800, 400,
         [](ProcessingState& s) { s.View.VerticalZoom = 1e9, s.View.ZeroOffset = 32767, s.Chrom.Points[5] = -32768; }},
        {"odd codes", 800, 400, [](ProcessingState& s) { s.Chrom.GainCode = 0, s.Chrom.UnitCode = 200; }},
        {"odd peaks", 800, 400,
         [](ProcessingState& s) {
             s.Markup.Peaks.push_back(test::peak(1999, 5, 40000, 'E'));
             s.Markup.Peaks.push_back(test::peak(-3, -3, -3, 'G'));
         }},
        {"ruler far away", 800, 400, [](ProcessingState& s) { s.View.RulerX = 100000; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto s = test::threePeakState();
        s->Settings.ShowTemperature = true;
        s->Chrom.Temperature = ParseTemperatureProgram("x: 50g-1m;20g/m;150g-1m", 400);
        k.setup(*s);
        RecordingCanvas c(k.w, k.h);
        const RulerReadouts r = RepaintPlot(c, *s);
        EXPECT_LE(s->View.VerticalZoom, 256);
        if (!plotFits(plotRectangle(k.w, k.h))) {
            EXPECT_EQ(c.rects.size(), 1u);  // only the frame of the box
            EXPECT_TRUE(c.lines.empty());
            EXPECT_TRUE(r.Time.empty());
        } else {
            EXPECT_GE(s->View.RulerX, s->View.PlotLeft);
            EXPECT_LE(s->View.RulerX, s->View.PlotRight);
        }
    }
}

TEST(PaintPlotBox, IdleFrameBeforeTheFirstOpen) {
    auto s = test::threePeakState();
    s->ProgramMode = ModeNone;
    RecordingCanvas c(300, 200);
    PaintPlotBox(c, *s);
    EXPECT_TRUE(c.rects.empty());
    // One stripe per diagonal, i = 0 .. (295 - 2) + (195 - 1); the two corner stripes are
    // single points, which a line leaves out.
    ASSERT_EQ(c.lines.size(), size_t(293 + 194 - 1));
    EXPECT_EQ(c.lines[0].a, (CanvasPoint{2, 2}));
    EXPECT_EQ(c.lines[0].b, (CanvasPoint{3, 1}));
    EXPECT_EQ(c.lines[0].pen.colour, rgbColour(126, 126, 126));  // cos near 0: (1 + 1) x 63
    EXPECT_EQ(c.lines.back().b, (CanvasPoint{295, 194}));
    for (const auto& l : c.lines) {
        EXPECT_LE(redOf(l.pen.colour), 126);
        EXPECT_EQ(l.a.x - l.b.x, -(l.a.y - l.b.y));  // a diagonal
    }
    RecordingCanvas tiny(4, 4);
    DrawIdleFrame(tiny);
    EXPECT_TRUE(tiny.lines.empty());
}

// ---- the mouse ----

struct MouseSetup {
    std::unique_ptr<ProcessingState> s = test::threePeakState();
    RecordingCanvas c{1000, 600};
    MouseSetup() {
        RepaintPlot(c, *s);
        c.clear();
    }
};

TEST(PlotMouse, DownMovesTheRulerWithinThePlot) {
    MouseSetup m;
    ASSERT_EQ(m.s->View.RulerX, 100);
    const PlotMouseResult r = PlotMouseDown(m.c, *m.s, 5000, 50);
    EXPECT_EQ(m.s->View.RulerX, 976);
    ASSERT_EQ(m.c.lines.size(), 2u);  // the old line erased, the new one drawn, both in xor
    EXPECT_EQ(m.c.lines[0].a.x, 100);
    EXPECT_EQ(m.c.lines[1].a.x, 976);
    EXPECT_EQ(m.c.lines[1].pen.mode, PenMode::Xor);
    EXPECT_EQ(m.c.pen().mode, PenMode::Copy);
    EXPECT_FALSE(r.Consumed);
    ASSERT_TRUE(r.Readouts);
    PlotMouseDown(m.c, *m.s, -20, 50);
    EXPECT_EQ(m.s->View.RulerX, 9);
    // Without a drag the release is a click.
    EXPECT_FALSE(PlotMouseUp(m.c, *m.s).Consumed);

    m.s->ProgramMode = ModeNone;
    m.c.clear();
    PlotMouseDown(m.c, *m.s, 300, 50);
    EXPECT_TRUE(m.c.lines.empty());
    EXPECT_EQ(m.s->View.RulerX, 9);
}

TEST(PlotMouse, FragmentDragRubberBandAndApply) {
    MouseSetup m;
    PlotView& v = m.s->View;
    v.OverlayCount = 0;
    ArmFragment(v);
    const PlotMouseResult down = PlotMouseDown(m.c, *m.s, 300, 100);
    EXPECT_TRUE(down.Consumed);
    EXPECT_TRUE(v.DragActive);
    EXPECT_EQ(v.RulerX, 100);  // the ruler stays
    EXPECT_TRUE(m.c.lines.empty());
    PlotMouseMove(m.c, *m.s, 400, 200);
    PlotMouseMove(m.c, *m.s, 500, 300);
    ASSERT_EQ(m.c.rects.size(), 4u);
    for (const auto& r : m.c.rects) {
        EXPECT_EQ(r.pen.mode, PenMode::NotXor);
        EXPECT_EQ(r.pen.colour, Red);
    }
    EXPECT_EQ(m.c.rects[2].r, 400);  // the previous band erased before the new one
    EXPECT_EQ(m.c.rects[3].r, 500);

    const PlotMouseResult up = PlotMouseUp(m.c, *m.s);
    EXPECT_TRUE(up.Consumed);
    EXPECT_EQ(up.FollowUp, PlotFollowUp::Process);
    EXPECT_EQ(m.c.rects.back().pen.mode, PenMode::Copy);
    EXPECT_FALSE(v.DragActive);
    EXPECT_FALSE(v.FragmentArmed);
    EXPECT_TRUE(v.FragmentShown);
    // 291 .. 491 of 967 pixels over 400 s: 120.4 s .. 203.1 s, snapped to 2 and 3 minutes.
    EXPECT_EQ(v.ViewStartSec, 120);
    EXPECT_EQ(v.ViewEndSec, 180);
    EXPECT_DOUBLE_EQ(v.VerticalZoom, 582.0 / 200);
}

TEST(PlotMouse, FlatFragmentChangesTheWindowOnlyAndStaysArmed) {
    MouseSetup m;
    ArmFragment(m.s->View);
    PlotMouseDown(m.c, *m.s, 9, 100);
    PlotMouseMove(m.c, *m.s, 976, 100);
    const PlotMouseResult up = PlotMouseUp(m.c, *m.s);
    EXPECT_EQ(up.FollowUp, PlotFollowUp::None);
    EXPECT_TRUE(m.s->View.FragmentArmed);
    EXPECT_TRUE(m.s->View.FragmentShown);
    EXPECT_EQ(m.s->View.ViewEndSec, 420);  // 400 s rounded to 7 minutes
    EXPECT_EQ(m.s->View.VerticalZoom, 1);
}

TEST(PlotMouse, WSelectionSetsTheParametersInTheViewBeforeTheDrag) {
    MouseSetup m;
    PlotView& v = m.s->View;
    ArmFragment(v);
    ArmWMode(v);
    PlotMouseDown(m.c, *m.s, 100, 100);
    PlotMouseMove(m.c, *m.s, 100 + 967 / 4, 100 + 3 * v.YTickStep);
    const PlotMouseResult up = PlotMouseUp(m.c, *m.s);
    EXPECT_TRUE(up.Consumed);
    EXPECT_EQ(up.FollowUp, PlotFollowUp::Reload);
    EXPECT_FALSE(v.WModeArmed);
    // A quarter of 400 s (241 of 967 pixels: 99.69 s), a fortieth of it.
    EXPECT_EQ(m.s->Settings.AveragingMs, 2492);
    // Three ticks of 10 mV.
    EXPECT_NEAR(m.s->Settings.DetectThreshold, 30.0, 1e-9);
    // No fragment was taken.
    EXPECT_EQ(v.ViewStartSec, 0);
    EXPECT_EQ(v.ViewEndSec, 400);
    EXPECT_FALSE(v.FragmentShown);
}

}  // namespace
}  // namespace vk7
