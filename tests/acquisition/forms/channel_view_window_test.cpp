// The channel views of the acquisition program with the simulated box: the growing curve,
// zoom, fragment, readout, resize, the time correction and the help pages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "chromfile/processing_settings.h"
#include "tests/acquisition/forms/acquisition_windows.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

class ChannelViewWindowTest : public ::testing::Test, protected test::AcquisitionWindows {
protected:
    ChannelViewWindowTest() {
        test::copyInstallation(fs::path(VK7_SOURCE_DIR) / "install", dir.path());
        open(dir.path(), box, dialogs, clock);
    }
    ~ChannelViewWindowTest() override {
        if (form) form->close();
        EXPECT_TRUE(dialogs.unexpected().empty());
    }
    // Box time passes with the main window's timer every second.
    void run(double seconds) {
        for (double t = 0; t < seconds; t += 1.0) {
            box.run(1.0);
            QMetaObject::invokeMethod(form->Timer1, "timeout");
        }
        QApplication::processEvents();
    }
    const ImageCanvas& canvas(ChannelViewWindow* v) { return v->PaintBox1->canvas(); }
    // The row of the curve's colour in column x, or -1.
    int curveRow(ChannelViewWindow* v, int x, Colour colour) {
        ImageCanvas& c = v->PaintBox1->canvas();
        for (int y = 0; y < c.height(); ++y)
            if (c.pixel(x, y) == colour) return y;
        return -1;
    }
    void shot(QWidget* w, const char* name) {
        if (const char* dirName = std::getenv("VK7_SCREENSHOT_DIR"))
            w->grab().save(QString::fromStdString((fs::path(dirName) / name).string()));
    }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
};

TEST_F(ChannelViewWindowTest, TheViewShowsTheGrowingCurveOfTheRecording) {
    // 20 mV, then a 100 mV peak at 60 s on channel A; 5 mV steady on channel B.
    box.setDetector(0, DetectorScript{0.02, {{60.0, 0.1, 6.0}}});
    box.setDetector(1, DetectorScript{0.005, {}});
    test::typeKey(form.get(), Qt::Key_F10);
    test::typeKey(form.get(), Qt::Key_F11);
    ASSERT_TRUE(form->engine().isRecording(1));
    run(30);
    form->SpeedButton2->click();
    form->SpeedButton5->click();
    QApplication::processEvents();
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(fromQString(form2->windowTitle()), "h1a.hr " + form->engine().state().settings.channelName[0]);
    const ChannelViewState& v = form2->view();
    EXPECT_EQ(v.endSec, 1800) << "the installed record time, 30 minutes";
    for (int i = 0; i < 3; ++i) form2->SpeedButton4->click();
    EXPECT_EQ(v.zoom, 8);
    test::typeKey(form2.get(), Qt::Key_M, "m");
    EXPECT_EQ(v.zoom, 1);
    const int xAt30s = v.left + int(std::lround(30.0 / 1800 * (v.right - v.left)));
    const int blueRowAt30 = curveRow(form2.get(), xAt30s - 2, 0xFF0000);
    ASSERT_GE(blueRowAt30, 0);
    // 20 mV x 1.18: counts = 0.0236 V / 0.15625 V x 32768, pixels = counts / counts per pixel.
    const double expectedRow = v.zeroLineY - 0.0236 / 0.15625 * 32768 / v.countsPerPixel;
    EXPECT_NEAR(blueRowAt30, expectedRow, 2.5);
    EXPECT_EQ(curveRow(form2.get(), xAt30s + 10, 0xFF0000), -1) << "nothing drawn past the recorded points";
    // The timer grows the curve: after two minutes the peak is there, above the baseline.
    run(90);
    const int xAt60s = v.left + int(std::lround(60.0 / 1800 * (v.right - v.left)));
    int peakRow = v.bottom;
    for (int x = xAt60s - 2; x <= xAt60s + 2; ++x) {
        const int r = curveRow(form2.get(), x, 0xFF0000);
        if (r >= 0) peakRow = std::min(peakRow, r);
    }
    EXPECT_LT(peakRow, blueRowAt30 - 30);
    // Channel 2 is drawn in maroon.
    EXPECT_GE(curveRow(form3.get(), form3->view().left + 5, 0x000080), 0);
    shot(form2.get(), "vk7r_channel1_view.png");
    shot(form3.get(), "vk7r_channel2_view.png");

    // The whole recording at 2 minutes via a fragment: the cursor reads the peak.
    form2->SpeedButton9->click();
    const int x2 = v.left + int(std::lround(120.0 / 1800 * (v.right - v.left)));
    form2->PaintBox1MouseDown(v.left, v.top + 5);
    form2->PaintBox1MouseMove(x2, v.bottom - 5, true);
    form2->PaintBox1MouseUp(x2, v.bottom - 5);
    EXPECT_EQ(v.startSec, 0);
    EXPECT_EQ(v.endSec, 120);
    form2->PaintBox1MouseDown(v.left + (v.right - v.left) / 2, 100);
    EXPECT_EQ(fromQString(form2->Label1->text()), RU("  1.00 м"));
    EXPECT_NEAR(parseLenient(fromQString(form2->Label2->text())), 118.0 + 23.6, 6.0);
    // The view keeps its height whatever the resize.
    form2->resize(300, 600);
    QApplication::processEvents();
    EXPECT_EQ(form2->height(), 326);
    EXPECT_GE(form2->width(), 432);
    // Stopping the recording closes its view.
    form->SpeedButton3->click();
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(fs::exists(dir / "data/kanal1/h1a.hrm"));
    dialogs.expectMessage(Answer::Ok);  // channel 2 still records at the close
}

TEST_F(ChannelViewWindowTest, TheTimeCorrectionChangesLine7OfVk7DatAtTheClose) {
    box.setDetector(0, DetectorScript{0.02, {}});
    test::typeKey(form.get(), Qt::Key_F10);
    run(15 * 60);
    form->SpeedButton2->click();
    const ChannelViewState& v = form2->view();
    const int perMinute = (v.right - v.left) / 30;
    test::typeKey(form2.get(), Qt::Key_F9);
    EXPECT_EQ(fromQString(form2->Label3->text()), RU("Коррекция времени. Укажите начало отрезка."));
    form2->PaintBox1MouseDown(v.left + 2 * perMinute, 100);
    EXPECT_EQ(fromQString(form2->Label3->text()), RU("Коррекция времени. Укажите конец отрезка."));
    form2->PaintBox1MouseDown(v.left + 12 * perMinute, 100);
    ASSERT_TRUE(form2->Edit1->isVisible());
    const double marked = parseLenient(fromQString(form2->Edit1->text()));
    EXPECT_NEAR(marked, 10.0, 0.15);
    form2->Edit1->setText("9.5");
    form2->Edit1Enter();
    EXPECT_FALSE(form2->Edit1->isVisible());
    EXPECT_EQ(v.correctionState, 0);
    const double rate = 21.533203125 * (v.correctionEndSec - v.correctionStartSec) / 60 / 9.5;
    EXPECT_NEAR(form->engine().state().settings.pointsPerSecond, rate, 1e-9);
    // A mark to the left of the start is refused with one message.
    test::typeKey(form2.get(), Qt::Key_F9);
    form2->PaintBox1MouseDown(v.left + 12 * perMinute, 100);
    form2->PaintBox1MouseDown(v.left + 2 * perMinute, 100);
    EXPECT_EQ(v.correctionState, 3);
    form2->Edit1->setText("9.5");
    dialogs.expectMessage(Answer::Ok);
    form2->Edit1Enter();
    ASSERT_EQ(dialogs.messageTexts().size(), 1u) << v.correctionStartSec << " " << v.correctionEndSec;
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Неверный отрезок коррекции времени"));
    EXPECT_NEAR(form->engine().state().settings.pointsPerSecond, rate, 1e-9);
    shot(form2.get(), "vk7r_time_correction.png");

    dialogs.expectMessage(Answer::Ok);  // the recording is running: stop it
    EXPECT_TRUE(close());
    const auto read = readVk7PointsPerSecond(StartFolder(dir.path()));
    ASSERT_TRUE(read);
    EXPECT_NEAR(*read, rate, 1e-9);
}

TEST_F(ChannelViewWindowTest, F1ShowsThePageOfWhatIsOnTheScreen) {
    test::typeKey(form.get(), Qt::Key_F1);
    EXPECT_TRUE(form4->isVisible());
    EXPECT_EQ(form4->HelpPageName(), "vk7.htm");
    EXPECT_TRUE(form4->WebBrowser1()->pageFound());
    // The regime list open.
    form->StGr1->setCurrentCell(1, 1);
    emit form->StGr1->cellClicked(1, 1);
    ASSERT_TRUE(form->ComboBox3->isVisible());
    form->SpeedButton8->click();
    EXPECT_EQ(form4->HelpPageName(), "vk72.htm");
    // The calibration panel over the list.
    form->Panel3->setVisible(true);
    test::typeKey(form.get(), Qt::Key_F1);
    EXPECT_EQ(form4->HelpPageName(), "vk74.htm");
    // A channel view over both.
    test::typeKey(form.get(), Qt::Key_F10);
    form->SpeedButton2->click();
    test::typeKey(form2.get(), Qt::Key_F1);
    EXPECT_EQ(form4->HelpPageName(), "vk73.htm");
    EXPECT_EQ(fromQString(form4->WebBrowser1()->pageTitle()), RU("Окна каналов и коррекция времени"));
    shot(form4.get(), "vk7r_help_vk73.png");
    form->Panel3->setVisible(false);
    // A page that is missing shows the help view's own text.
    fs::remove(dir / "help/vk7.htm");
    form2->hide();
    form->ComboBox3->setVisible(false);
    test::typeKey(form.get(), Qt::Key_F1);
    EXPECT_FALSE(form4->WebBrowser1()->pageFound());
    dialogs.expectMessage(Answer::Ok);  // the recording is running: stop it
}

}  // namespace
}  // namespace vk7
