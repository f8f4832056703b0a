// Overlay, subtraction and inversion in the running main window.
#include <gtest/gtest.h>

#include <QToolButton>

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"
#include "processing/forms/table.h"
#include "processing/plot_geometry.h"
#include "tests/processing/forms/main_window_fixture.h"

namespace vk7 {
namespace {

using namespace plot_colour;
using test::PointGenerator;

class OverlayWindow : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        f1 = writeChromatogram("h1a.hrm", PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20).gaussian(2400, 4000, 25));
        f2 = writeChromatogram("h2a.hrm", PointGenerator(3000, 0).gaussian(1500, 9000, 20));
        open(f1);
    }
    bool blueAbove(int x) {
        const QImage image = form->PaintBox1->canvas().image();
        for (int y = st().View.PlotTop; y < st().View.ZeroLineY - 20; ++y)
            if ((image.pixel(x, y) & 0xFFFFFF) == 0x0000FFu) return true;
        return false;
    }
    std::filesystem::path f1, f2;
};

TEST_F(OverlayWindow, OverlayDrawsTheSecondCurveAndMakesItTheOpenChromatogram) {
    const int blueBefore = pixelsOf(Blue);
    const PlotView viewBefore = st().View;
    dialogs.expectOpenOne(f2);
    form->SpeedButton14->click();
    EXPECT_EQ(dialogs.shown().back().file.title, RU("Наложение"));
    EXPECT_EQ(dialogs.shown().back().file.filter, "hrm |*.hrm;");
    EXPECT_EQ(st().View.OverlayCount, 1);
    EXPECT_EQ(st().View.ViewEndSec, viewBefore.ViewEndSec);
    EXPECT_EQ(st().Settings.FileName, "h2a.hrm");
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("h2a.hrm")));
    EXPECT_GT(pixelsOf(Green), 50);        // the overlaid curve and its name
    // The first file's own peak is still shown in blue above the shared base line.
    EXPECT_TRUE(blueAbove(xOfPoint(st().View, 600)));
    EXPECT_LT(pixelsOf(Blue), blueBefore);

    form->SpeedButton5->click();  // "Больше в 2 раза": only the open file, in blue
    EXPECT_EQ(st().View.OverlayCount, 0);
    EXPECT_LT(pixelsOf(Green), 50);
    EXPECT_FALSE(blueAbove(xOfPoint(st().View, 600)));
    EXPECT_EQ(st().Markup.PeakCount(), 1);  // the open file's own peak

    key(QStringLiteral("\r"));
    EXPECT_EQ(form->windows().Form4->rowCount(), 1);
}

TEST_F(OverlayWindow, SubtractionKeepsTheOpenFileAndInversionTurnsTheSignal) {
    const std::string f2Bytes = readFileBytes(f2);
    dialogs.expectOpenOne(f2);
    form->SpeedButton15->click();
    EXPECT_EQ(dialogs.shown().back().file.title, RU("Вычитание"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("h1a.hrm-h2a.hrm"));
    EXPECT_EQ(st().Settings.FileName, "h1a.hrm");
    EXPECT_NEAR(st().Chrom.Points[1500], 0, 1);
    EXPECT_NEAR(st().Chrom.Points[600], 6000, 1);
    key(QStringLiteral("\r"));  // the table and the markup go to the open file only
    EXPECT_EQ(readFileBytes(f2), f2Bytes);
}

TEST_F(OverlayWindow, InvertAndTheModesWhereNothingActs) {
    key(QStringLiteral("-"));
    EXPECT_NEAR(st().Chrom.Points[600], -6000, 1);
    form->N13->trigger();
    EXPECT_NEAR(st().Chrom.Points[600], 6000, 1);

    key(QStringLiteral("k"));  // markup editing: none of the three acts, no dialog opens
    const NumberedArray<int16_t> before = st().Chrom.Points;
    form->SpeedButton14->click();
    form->SpeedButton15->click();
    form->N13->trigger();
    EXPECT_TRUE(st().Chrom.Points == before);
    EXPECT_EQ(st().View.OverlayCount, 0);
}

}  // namespace
}  // namespace vk7
