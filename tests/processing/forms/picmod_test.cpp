// Markup editing and the modelling of a group in the running main window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include "common/cp1251.h"
#include "processing/forms/picmod.h"
#include "processing/forms/table.h"
#include "processing/peak_table.h"
#include "tests/processing/forms/main_window_fixture.h"

namespace vk7 {
namespace {

class MarkupWindow : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Three single peaks on a flat base, 3000 points of 200 ms.
        open(writeChromatogram("h1a.hrm", test::PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20).gaussian(1620, 4000, 20)));
    }
    const Peak& peakNo(int k) { return st().Markup.Peaks[k]; }
    // Pixels where the model curve (xor teal on white) shows.
    int modelPixels() { return pixelsOf(0x7F7FFF); }
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
