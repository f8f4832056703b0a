// The plot in the running main window: drawing, readouts, view buttons and keys, the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/recording_printer.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/program_windows.h"
#include "processing/plot_geometry.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/processing/forms/main_window_fixture.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using namespace plot_colour;

class PlotWindow : public test::MainWindowTest {
protected:
    // 3000 points (10 minutes) with three peaks on a flat base.
    void openThreePeaks() {
        open(writeChromatogram("h1a.hrm", test::PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20).gaussian(2400, 4000, 25)));
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons = Qt::LeftButton) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(at), form->PaintBox1->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(form->PaintBox1, &e);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    void key(int k, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(form.get(), &press);
    }
    // What the screen shows of the paint box.
    Colour shown(int x, int y) { return fromQColor(QColor(form->PaintBox1->grab().toImage().pixel(x, y))); }

    const PlotView& v() { return st().View; }
};

TEST_F(PlotWindow, IdleFrameBeforeTheFirstOpenThenThePlotWithItsReadouts) {
    const QSize size = form->PaintBox1->size();
    ASSERT_GT(size.width(), 100);
    const Colour idle = form->PaintBox1->canvas().pixel(size.width() / 4, size.height() / 4);
    EXPECT_LE(std::max({redOf(idle), greenOf(idle), blueOf(idle)}), 126);  // dark stripes
    EXPECT_TRUE(form->Label1->text().isEmpty());

    openThreePeaks();
    EXPECT_EQ(st().ProgramMode, 1);
    EXPECT_EQ(st().Markup.PeakCount(), 3);
    EXPECT_EQ(v().PlotRight, size.width() - 24);
    EXPECT_EQ(v().PlotBottom, form->PaintBox1->height() - 1);
    EXPECT_EQ(shown(0, 0), Grey);
    EXPECT_EQ(shown(v().PlotLeft, 200), Grey);
    EXPECT_EQ(shown(v().RulerX, 200), 0xFFFF00u);  // the ruler, cyan on white
    EXPECT_EQ(shown(v().PlotLeft + 300, v().ZeroLineY), Grey);
    // The ruler 91 pixels into a plot of 10 minutes.
    const double minutes = std::round(91 * 3000.0 / (v().PlotRight - v().PlotLeft)) * 5 / 25 / 60;
    EXPECT_EQ(form->Label1->text(), toQString(fixedText(minutes, 6, 2) + RU(" м")));
    EXPECT_TRUE(form->Label2->text().endsWith(QString::fromUtf8(" мВ")));
}

TEST_F(PlotWindow, ZoomAndScrollButtonsAndKeys) {
    openThreePeaks();
    form->SpeedButton5->click();
    EXPECT_EQ(v().VerticalZoom, 2);
    key(Qt::Key_Up, {});
    EXPECT_EQ(v().VerticalZoom, 4);
    key(Qt::Key_Down, {});
    EXPECT_EQ(v().VerticalZoom, 2);
    key(0, QString::fromUtf8("ь"));  // M on the Russian layout
    EXPECT_EQ(v().VerticalZoom, 1);

    const int end = v().ViewEndSec;  // the samples' duration
    key(Qt::Key_Right, {});
    EXPECT_EQ(v().ViewStartSec, 60);
    EXPECT_EQ(v().ViewEndSec, end + 60);
    form->SpeedButton8->click();
    EXPECT_EQ(v().ViewStartSec, 0);
    EXPECT_EQ(v().ViewEndSec, end);
    // After a fragment, O shows the whole chromatogram again.
    form->SpeedButton11->click();
    drag({v().PlotLeft + 100, 100}, {v().PlotLeft + 300, 300});
    EXPECT_TRUE(v().FragmentShown);
    key(0, QStringLiteral("o"));
    EXPECT_EQ(v().ViewStartSec, 0);
    EXPECT_EQ(v().ViewEndSec, 600);  // 3000 points of 200 ms
    EXPECT_FALSE(v().FragmentShown);

    const bool before = st().Settings.ShowTemperature;
    key(0, QStringLiteral("U"));
    EXPECT_NE(st().Settings.ShowTemperature, before);
}

TEST_F(PlotWindow, ViewCommandsRerunThePipelineOnlyWhileTheChromatogramIsMerelyShown) {
    openThreePeaks();
    // A hand-made markup, as markup editing or the peak table would leave it.
    st().Markup.Peaks.resize(1);
    st().Markup.Peaks[1].Start = 100, st().Markup.Peaks[1].End = 200, st().Markup.Peaks[1].Apex = 150;
    for (int mode : {2, 3, 4}) {
        st().ProgramMode = mode;
        form->SpeedButton5->click();
        EXPECT_EQ(st().Markup.PeakCount(), 1) << mode;
    }
    st().ProgramMode = 1;
    form->SpeedButton6->click();
    EXPECT_EQ(st().Markup.PeakCount(), 3);
}

TEST_F(PlotWindow, ThePressMovesTheRulerAndItsReadouts) {
    openThreePeaks();
    const QString before = form->Label1->text();
    mouse(QEvent::MouseButtonPress, {5000, 100});
    mouse(QEvent::MouseButtonRelease, {5000, 100}, Qt::NoButton);
    EXPECT_EQ(v().RulerX, v().PlotRight);
    EXPECT_NE(form->Label1->text(), before);
    EXPECT_EQ(shown(v().PlotRight, 200), 0xFFFF00u);
    EXPECT_EQ(shown(100, 200), White);  // the old line is gone
}

TEST_F(PlotWindow, FragmentDragZoomsIntoWholeMinutes) {
    openThreePeaks();
    const int width = v().PlotRight - v().PlotLeft;
    key(0, QStringLiteral("f"));
    EXPECT_TRUE(v().FragmentArmed);
    // From 2.3 to 5.3 minutes, a third of the height.
    drag({v().PlotLeft + width * 23 / 100, 100}, {v().PlotLeft + width * 53 / 100, 100 + (v().PlotBottom - v().PlotTop) / 3});
    EXPECT_FALSE(v().FragmentArmed);
    EXPECT_TRUE(v().FragmentShown);
    EXPECT_EQ(v().ViewStartSec, 120);
    EXPECT_EQ(v().ViewEndSec, 300);
    EXPECT_NEAR(v().VerticalZoom, 3, 0.05);
    EXPECT_EQ(v().RulerX, 100);  // the drag did not move the ruler
}

TEST_F(PlotWindow, WSelectionSetsTheMarkupParametersAndReadsTheFileAgain) {
    openThreePeaks();
    const int width = v().PlotRight - v().PlotLeft;
    key(0, QStringLiteral("w"));
    EXPECT_TRUE(v().WModeArmed);
    // Two minutes wide, two ticks of 10 mV high.
    drag({v().PlotLeft + 50, 200}, {v().PlotLeft + 50 + width / 5, 200 + 2 * v().YTickStep});
    EXPECT_FALSE(v().WModeArmed);
    EXPECT_NEAR(st().Settings.DetectThreshold, 20, 1e-9);
    // 120 s / 40 = 3000 ms; the read takes the nearest whole width of samples.
    EXPECT_NEAR(st().Settings.AveragingMs, 3000, 40);
    EXPECT_EQ(st().ProgramMode, 1);
    EXPECT_EQ(v().ViewStartSec, 0);
}

TEST_F(PlotWindow, OverlaysDrawnBetweenRepaintsSurviveAnExposeAndResizeRepaints) {
    openThreePeaks();
    ImageCanvas& c = form->PaintBox1->canvas();
    c.setPen(Pen{Red, 1, PenMode::Xor});
    c.moveTo(300, v().PlotTop + 5);
    c.lineTo(300, v().PlotTop + 60);
    form->PaintBox1->repaint();
    EXPECT_EQ(shown(300, v().PlotTop + 20), 0xFFFF00u);

    form->resize(800, 500);
    QApplication::processEvents();
    EXPECT_EQ(c.width(), form->PaintBox1->width());
    EXPECT_EQ(v().PlotRight, form->PaintBox1->width() - 24);
    EXPECT_EQ(shown(v().PlotRight - 1, 200), Grey);
    // The smallest window is 720 x 300.
    form->resize(100, 100);
    QApplication::processEvents();
    EXPECT_GE(form->width(), 720);
    EXPECT_GE(form->height(), 300);
}

}  // namespace
}  // namespace vk7
