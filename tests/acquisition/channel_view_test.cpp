// The arithmetic of a channel view: voltage scale, time axis, readout, navigation, fragment,
// zero shift and the time correction; and the help page chosen for the screen.
#include "acquisition/channel_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "acquisition/acquisition_engine.h"
#include "acquisition/help_page.h"
#include "chromfile/processing_settings.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(ChannelViewScale, UnitsAndDecimalsByZoom) {
    struct Case {
        double zoom;
        const char* unit;
        int decimals;
        double unitVolts;
    };
    // Gain code 4: 0.15625 V full scale; a plot 250 pixels high.
    for (const Case& c : {Case{0.5, "мВ", 0, 0.1}, Case{1, "мВ", 0, 0.1}, Case{8, "мВ", 0, 0.01},
                          Case{256, "мВ", 1, 0.0001}}) {
        const ChannelFrameScale s = channelFrameScale(c.zoom, 4, 250);
        EXPECT_EQ(s.unitText, toCp1251(c.unit)) << c.zoom;
        EXPECT_EQ(s.decimals, c.decimals) << c.zoom;
        EXPECT_NEAR(s.unitVolts, c.unitVolts, 1e-12) << c.zoom;
        EXPECT_GE(s.tickStep, 10) << c.zoom;
    }
    // Gain code 1 (10 V) reads in volts.
    EXPECT_EQ(channelFrameScale(1, 1, 250).unitText, RU("В"));
    EXPECT_DOUBLE_EQ(gainFullScaleVolts(4), 0.15625);
}

TEST(ChannelViewScale, TimeAxisStepsGrowByFiveUntilThirtyPixels) {
    EXPECT_EQ(channelTimeAxis(3600, 400).stepMinutes, 5);
    EXPECT_EQ(channelTimeAxis(300, 400).stepMinutes, 1);
    EXPECT_EQ(channelTimeAxis(0, 400).stepMinutes, 1) << "a span of 0 counts as a minute";
    EXPECT_EQ(channelTimeAxis(60 * 600, 400).stepMinutes, 125);
    const ChannelTimeAxis a = channelTimeAxis(3600, 400);
    EXPECT_EQ(a.count, 12);
}

// A preview of `n` points of value `value` at width 4 and 21.5 points per second.
ChannelPreview preview(int n, int16_t value) {
    ChannelPreview p;
    p.points.assign(size_t(n), value);
    p.pointCount = n;
    p.width = 4;
    p.rate = 21.5;
    return p;
}

TEST(ChannelViewReadout, TimeAndVoltageTexts) {
    ChannelViewState v;
    createChannelView(v, 424, 250, 600);
    ChannelPreview p = preview(1000, int16_t(std::lround(0.0123 / 0.15625 * 32768)));
    v.pointsPerPixel = double(v.endSec - v.startSec) / p.width / (v.right - v.left) * p.rate;
    v.cursorX = v.left;
    ChannelReadout r = UpdateChannelReadout(v, p);
    EXPECT_EQ(r.timeText, RU("  0.00 м"));
    EXPECT_EQ(r.voltageText, RU("  12.3 мВ"));
    v.cursorX = v.right;
    r = UpdateChannelReadout(v, p);
    EXPECT_EQ(r.timeText, RU(" 10.00 м"));
    // 1.5 V on a preview of gain code 2 (2.5 V full scale).
    p.gainCode = 2;
    p.points.assign(1000, int16_t(std::lround(1.5 / 2.5 * 32768)));
    v.cursorX = v.left;
    EXPECT_EQ(UpdateChannelReadout(v, p).voltageText, RU(" 1.500 В"));
    // An empty preview has no voltage anywhere.
    EXPECT_EQ(UpdateChannelReadout(v, ChannelPreview{}).voltageText, "");
}

TEST(ChannelViewReadout, PastTheEndOfTheCurveNothingIsRead) {
    // 100 points of 12.3 mV at width 4 and 21.5 points per second: the curve ends at
    // 18.6 s, on a 10-minute plot 391 pixels wide 12 pixels from its left edge.
    ChannelViewState v;
    createChannelView(v, 424, 250, 600);
    ChannelPreview p = preview(100, int16_t(std::lround(0.0123 / 0.15625 * 32768)));
    p.points.resize(200, 1000);  // stale values beyond the count must not show
    v.pointsPerPixel = double(v.endSec - v.startSec) / p.width / (v.right - v.left) * p.rate;
    struct Case { int dx; const char* voltage; };
    for (const Case& c : {Case{0, "  12.3 мВ"}, Case{12, "  12.3 мВ"}, Case{14, ""}, Case{200, ""}}) {
        v.cursorX = v.left + c.dx;
        const ChannelReadout r = UpdateChannelReadout(v, p);
        EXPECT_EQ(r.voltageText, toCp1251(c.voltage)) << c.dx;
        EXPECT_FALSE(r.timeText.empty()) << "the time is read anywhere on the plot";
    }
}

TEST(ChannelViewNavigation, WindowMovesZoomLimitsAndWholeRecording) {
    ChannelViewState v;
    createChannelView(v, 424, 250, 600);
    v.startSec = 30;
    v.endSec = 330;
    moveChannelWindowLeft(v);
    EXPECT_EQ(v.startSec, 0);
    EXPECT_EQ(v.endSec, 300);
    moveChannelWindowRight(v, 600);
    EXPECT_EQ(v.startSec, 60);
    for (int i = 0; i < 20; ++i) moveChannelWindowRight(v, 600);
    EXPECT_EQ(v.startSec, 540) << "stops before it passes the end of the recording";
    EXPECT_EQ(v.endSec, 840);
    for (int i = 0; i < 12; ++i) zoomChannelIn(v);
    EXPECT_EQ(v.zoom, 256);
    for (int i = 0; i < 12; ++i) zoomChannelOut(v);
    EXPECT_EQ(v.zoom, 0.5);
    v.zeroOffset = 100;
    v.zeroLineY = 40;
    ResetChannelVertical(v);
    EXPECT_EQ(v.zoom, 1);
    EXPECT_EQ(v.zeroOffset, 0);
    EXPECT_EQ(v.zeroLineY, 132) << "249 - 116.5, halves to even";
    v.fragmentShown = true;
    ShowWholeRecording(v, 0);
    EXPECT_EQ(v.startSec, 0);
    EXPECT_EQ(v.endSec, 60) << "a record time of 0 shows a minute";
    EXPECT_FALSE(v.fragmentShown);
}

TEST(ChannelViewNavigation, AFragmentSnapsToWholeMinutesAndATinyOneIsIgnored) {
    ChannelViewState v;
    createChannelView(v, 424, 250, 600);  // plot 9..400: 391 pixels for 10 minutes
    auto xAt = [&](double minutes) { return v.left + int(std::lround(minutes / 10 * (v.right - v.left))); };
    v.fragmentMode = true;
    EXPECT_FALSE(finishChannelFragment(v, {xAt(2.4), 50}, {xAt(2.4) + 2, 150}));
    EXPECT_TRUE(v.fragmentMode);
    EXPECT_FALSE(finishChannelFragment(v, {xAt(2.4), 50}, {xAt(5.6), 51}));
    ASSERT_TRUE(finishChannelFragment(v, {xAt(5.6), 150}, {xAt(2.4), 50}));
    EXPECT_EQ(v.startSec, 120);
    EXPECT_EQ(v.endSec, 360);
    EXPECT_FALSE(v.fragmentMode);
    EXPECT_TRUE(v.fragmentShown);
    EXPECT_NEAR(v.zoom, (249 - 16 - 1) / 100.0, 1e-12);
    // A fragment of less than a minute keeps a minute.
    v.fragmentMode = true;
    ASSERT_TRUE(finishChannelFragment(v, {v.left, 20}, {v.left + 5, 200}));
    EXPECT_EQ(v.endSec - v.startSec, 60);
}

TEST(ChannelViewNavigation, DoubleClickPutsThePointUnderTheCursorOnTheZeroLine) {
    ChannelViewState v;
    createChannelView(v, 424, 250, 60);
    ChannelPreview p = preview(200, 0);
    for (int k = 1; k <= 200; ++k) p.points[size_t(k - 1)] = int16_t(10 * k);
    v.pointsPerPixel = double(v.endSec - v.startSec) / p.width / (v.right - v.left) * p.rate;
    shiftChannelZero(v, p, v.right);
    const int k = int(std::lround(60 * 21.5 / 4));  // the point at the plot's right edge, 1 minute
    EXPECT_EQ(v.zeroOffset, -std::min(k, 200) * 10);
    shiftChannelZero(v, p, -1000);
    EXPECT_EQ(v.zeroOffset, -10) << "limited to the first point";
    shiftChannelZero(v, ChannelPreview{}, 100);
    EXPECT_EQ(v.zeroOffset, 0);
}

TEST(TimeCorrection, TheStateMachineAndTheMarks) {
    ChannelViewState v;
    createChannelView(v, 424, 250, 1200);  // 20 minutes on 391 pixels
    ChannelPreview p = preview(6000, 0);
    v.pointsPerPixel = double(v.endSec - v.startSec) / p.width / (v.right - v.left) * p.rate;
    EXPECT_EQ(correctionStatusText(0), "");
    toggleTimeCorrection(v);
    EXPECT_EQ(v.correctionState, 1);
    EXPECT_EQ(correctionStatusText(1), RU("Коррекция времени. Укажите начало отрезка."));
    EXPECT_FALSE(pressChannelCursor(v, p, v.left + 39));
    EXPECT_EQ(v.correctionState, 2);
    const auto marked = pressChannelCursor(v, p, v.left + 235);
    ASSERT_TRUE(marked);
    EXPECT_EQ(v.correctionState, 3);
    EXPECT_EQ(*marked, fixedText((v.correctionEndSec - v.correctionStartSec) / 60, 8, 3));
    EXPECT_NEAR(v.correctionEndSec - v.correctionStartSec, 600, 4);
    EXPECT_FALSE(pressChannelCursor(v, p, 100)) << "a further click ends the correction";
    EXPECT_EQ(v.correctionState, 0);
    toggleTimeCorrection(v);
    toggleTimeCorrection(v);
    EXPECT_EQ(v.correctionState, 0);
}

TEST(TimeCorrection, RefusedStretchesAndFactors) {
    EXPECT_DOUBLE_EQ(*correctedPointsPerSecond(21.5, 60, 660, "9.5"), 21.5 * 10 / 9.5);
    EXPECT_DOUBLE_EQ(*correctedPointsPerSecond(21.5, 60, 660, "9,5"), 21.5 * 10 / 9.5);
    for (auto [start, end, text] : {std::tuple{660.0, 60.0, "9.5"}, std::tuple{60.0, 60.0, "9.5"},
                                    std::tuple{60.0, 660.0, "0"}, std::tuple{60.0, 660.0, "abc"},
                                    std::tuple{60.0, 660.0, "3.3"}, std::tuple{60.0, 660.0, "-10"},
                                    std::tuple{60.0, 660.0, "21"}})
        EXPECT_FALSE(correctedPointsPerSecond(21.5, start, end, text)) << start << " " << end << " " << text;
}

// Marks 10 minutes apart and 9.5 entered: the points per second change by 10 / 9.5, reach
// vk7.dat at the close and the processing program reads them there.
TEST(TimeCorrection, TheNewRateIsWrittenAtTheCloseForTheProcessingProgram) {
    test::TempDir dir;
    dir.write("vk7.dat", "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n");
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    AcquisitionEngine engine{{StartFolder(dir.path()), box, dialogs, clock, [](int) {}}};
    engine.create(277, 29);
    dialogs.expectMessage(Answer::Ok);
    engine.showStartMessages();  // calibrvk is missing
    for (const char* bad : {"0", "abc", "3"}) {
        dialogs.expectMessage(Answer::Ok);
        EXPECT_FALSE(engine.correctTimeScale(60, 660, bad));
    }
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Неверный отрезок коррекции времени"));
    EXPECT_EQ(dialogs.messageTexts().size(), 4u);
    EXPECT_DOUBLE_EQ(engine.state().settings.pointsPerSecond, 21.533203125);
    ASSERT_TRUE(engine.correctTimeScale(60, 660, "9.5"));
    const double expected = 21.533203125 * 10 / 9.5;
    EXPECT_DOUBLE_EQ(engine.state().settings.pointsPerSecond, expected);
    EXPECT_EQ(readLines(dir / "vk7.dat")[6], " 21.533203125000") << "written at the close";
    ASSERT_TRUE(engine.close());
    EXPECT_EQ(readLines(dir / "vk7.dat")[6], fixedText(expected, 16, 12));
    const auto read = readVk7PointsPerSecond(StartFolder(dir.path()));
    ASSERT_TRUE(read);
    EXPECT_NEAR(*read, expected, 1e-11);
}

TEST(AcquisitionHelp, APageForWhatIsOnTheScreen) {
    struct Case {
        bool list, panel, view;
        const char* page;
    };
    for (const Case& c : {Case{false, false, false, "vk7.htm"}, Case{true, false, false, "vk72.htm"},
                          Case{true, true, false, "vk74.htm"}, Case{false, true, true, "vk73.htm"},
                          Case{true, true, true, "vk73.htm"}, Case{false, false, true, "vk73.htm"}})
        EXPECT_EQ(acquisitionHelpPage({c.list, c.panel, c.view}), c.page) << c.list << c.panel << c.view;
}

// The installed pages: Windows-1251 HTML with a title, each linking to the other three.
TEST(AcquisitionHelp, TheInstalledPagesLinkToEachOther) {
    const fs::path help = fs::path(VK7_SOURCE_DIR) / "install/help";
    const std::vector<std::string> pages{"vk7.htm", "vk72.htm", "vk73.htm", "vk74.htm"};
    for (const auto& page : pages) {
        const std::string text = readFileBytes(help / page);
        EXPECT_NE(text.find("charset=windows-1251"), std::string::npos) << page;
        EXPECT_NE(text.find("<title>"), std::string::npos) << page;
        EXPECT_EQ(toCp1251(toUtf8(text)), text) << page;
        for (const auto& other : pages)
            if (other != page) EXPECT_NE(text.find("href=\"" + other + "\""), std::string::npos) << page << " -> " << other;
    }
    EXPECT_NE(readFileBytes(help / "vk73.htm").find(RU("Неверный отрезок коррекции времени")), std::string::npos);
}

}  // namespace
}  // namespace vk7
