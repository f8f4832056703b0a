// Markup editing and the modelling of a group in the running main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "platform/printer_info.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/picmod.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/table.h"
#include "processing/peak_table.h"
#include "processing/plot_geometry.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

class MarkupWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("vk7.dat", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n21.533\r\n");
        dir.write("space/grad.grd", "#\r\n");
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.AveragingMs = 200;
        s.DetectThreshold = 5;
        fs::create_directories(dir.path() / "space");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
        form->resize(1000, 700);
        form->show();
        QApplication::processEvents();

        // Three single peaks on a flat base, 3000 points of 200 ms.
        test::ChromatogramFixture f;
        f.samples = test::PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20).gaussian(1620, 4000, 20).samples(5);
        f.comment = "x";
        const fs::path file = f.write(dir.path() / "DATA" / "h1a.hrm");
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    void key(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(form.get(), &press);
    }
    void clickAtPoint(int point) {
        const QPoint at(xOfPoint(st().View, point), (st().View.PlotTop + st().View.PlotBottom) / 2);
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(at), form->PaintBox1->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(form->PaintBox1, &e);
        }
    }
    const Peak& peakNo(int k) { return st().Markup.Peaks[k]; }
    // Pixels where the model curve (xor teal on white) shows.
    int modelPixels() {
        const QImage image = form->PaintBox1->canvas().image();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == 0xFF7F7Fu) ++n;  // 0xRRGGBB of white ^ teal
        return n;
    }

    ProcessingState& st() { return form->state(); }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    NoPrinter printer;
    std::unique_ptr<TForm1> form;
};

TEST_F(MarkupWindow, KDAndAClickDeleteAPeak) {
    ASSERT_EQ(st().Markup.PeakCount(), 3);
    key(QStringLiteral("k"));
    EXPECT_EQ(st().ProgramMode, ModeMarkupEdit);
    EXPECT_TRUE(form->Panel10->isVisible());
    key(QString::fromUtf8("в"));  // D on the Russian layout
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("Укажите пик"));
    clickAtPoint(peakNo(2).Start);
    EXPECT_EQ(st().Markup.PeakCount(), 2);
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("Редактирование разметки"));
    EXPECT_EQ(st().ClickMode, 0);
}

TEST_F(MarkupWindow, ModellingAGroupChangesTheTable) {
    // Build a group of peaks 2 and 3 by hand, then the table.
    key(QStringLiteral("k"));
    key(QStringLiteral("g"));
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("Редактирование по группам"));
    EXPECT_FALSE(form->SpeedButton22->isEnabled());
    key(QStringLiteral("i"));
    clickAtPoint(peakNo(2).Apex);
    clickAtPoint(peakNo(3).Apex);
    ASSERT_EQ(peakNo(2).Type, 'B');
    ASSERT_EQ(peakNo(3).Type, 'E');
    key(QStringLiteral("\r"));
    ASSERT_EQ(st().ProgramMode, ModePeakTable);
    TForm4* table = form->windows().Form4;
    const std::string areaBefore = table->cellText(2, CellArea);

    ASSERT_TRUE(form->SpeedButton27->isVisible());
    form->SpeedButton27->click();
    TForm8* model = form->windows().Form8;
    EXPECT_TRUE(model->isVisible());
    EXPECT_EQ(st().ClickMode, 88);
    clickAtPoint(peakNo(2).Start);
    EXPECT_EQ(st().ClickMode, 90);
    EXPECT_EQ(model->Label1->text(), QString::fromUtf8("2 пика(ов) в группе"));
    EXPECT_TRUE(model->SpeedButton4->isVisible());
    const int shownBefore = modelPixels();
    EXPECT_GT(shownBefore, 0);

    model->TrackBar2->setValue(model->TrackBar2->minimum());
    EXPECT_GT(modelPixels(), 0);
    model->SpeedButton3->click();
    EXPECT_EQ(st().Model.CurrentModelPeak, 1);

    model->SpeedButton4->click();
    EXPECT_EQ(model->Label1->text(), QString::fromUtf8("Произведен перерасчет"));
    EXPECT_FALSE(model->Panel3->isEnabled());
    EXPECT_TRUE(st().GroupAreasFromModelling);
    const std::string areaAfter = table->cellText(2, CellArea);
    EXPECT_NE(areaAfter, areaBefore);
    const auto tabl = readLines(peakTablePath(st().Start));
    ASSERT_GE(tabl.size(), 6u);
    EXPECT_NE(tabl[5].find(areaAfter), std::string::npos);

    model->hide();
    EXPECT_EQ(modelPixels(), 0);
    EXPECT_EQ(st().ClickMode, 0);
    EXPECT_EQ(model->Label1->text(), QString::fromUtf8("Укажите первый пик группы"));
}

TEST_F(MarkupWindow, HidingTheWindowWhileModellingRemovesTheCurve) {
    key(QStringLiteral("k"));
    key(QStringLiteral("g"));
    key(QStringLiteral("i"));
    clickAtPoint(peakNo(2).Apex);
    clickAtPoint(peakNo(3).Apex);
    key(QStringLiteral("\r"));
    form->SpeedButton27->click();
    clickAtPoint(peakNo(2).Start);
    ASSERT_GT(modelPixels(), 0);
    form->RepaintPlot();  // a repaint keeps one curve
    EXPECT_GT(modelPixels(), 0);
    form->windows().Form8->hide();
    EXPECT_EQ(modelPixels(), 0);
    // Bars do nothing once the window is hidden.
    const PeakGroupModel before = st().Model;
    form->windows().Form8->TrackBar1->setValue(form->windows().Form8->TrackBar1->maximum());
    EXPECT_EQ(st().Model.Peaks[0].LargeWidth, before.Peaks[0].LargeWidth);
}

}  // namespace
}  // namespace vk7
