// The picture viewer and the saving of plot pictures, headless.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "platform/qt/gif_image.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/pictures.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

QImage plot(int w = 120, int h = 80) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 10; x < 110; ++x) image.setPixel(x, 40, qRgb(0, 0, 255));
    for (int y = 5; y < 75; ++y) image.setPixel(60, y, qRgb(0, 250, 250));  // the ruler, off the palette
    return image;
}

TEST(PlotPictures, SavedUnderTheNextFreeNumberAndAsFig) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    dir.write("results/7.gif", "x");
    EXPECT_EQ(SavePlotPicture(plot(), start), dir / "results" / "8.gif");
    EXPECT_EQ(SavePlotPicture(plot(), start), dir / "results" / "9.gif");
    EXPECT_EQ(SaveFigureGif(plot(), start), dir / "results" / "fig.gif");
    EXPECT_EQ(SavePlotPicture(plot(), start), dir / "results" / "10.gif");
    const QImage back = loadGif(dir / "results" / "8.gif");
    ASSERT_EQ(back.size(), QSize(120, 80));  // copied without stretching
    EXPECT_EQ(back.pixel(30, 40) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(back.pixel(60, 20) & 0xFFFFFF, 0x00FFFFu);
    EXPECT_EQ(back.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FALSE(QApplication::overrideCursor());  // the busy cursor is gone again
}

TEST(PlotPictures, FailedSaveRestoresTheCursor) {
    test::TempDir dir;
    dir.write("results", "a file where the folder should be");
    EXPECT_THROW(SavePlotPicture(plot(), StartFolder(dir.path())), IoError);
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST(PictureWindow, ShowsTheChosenPictureAtItsSizeWithItsPathAsCaption) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    const fs::path picture = *SavePlotPicture(plot(200, 90), start);
    ScriptedDialogs dialogs;
    TForm5 form(start, dialogs);
    dialogs.expectOpenOne(picture);
    form.N12Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const FileDialogRequest& r = dialogs.shown()[0].file;
    EXPECT_EQ(r.filter, "gif |*.gif;");
    EXPECT_EQ(r.initialDir, dir / "results");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), toQString(textFromPath(picture)));
    EXPECT_EQ(form.Image1->size(), QSize(200, 90));
    EXPECT_EQ(form.size(), QSize(204, 92));
    EXPECT_EQ(form.Image1->pixmap().toImage().pixel(100, 40) & 0xFFFFFF, 0x0000FFu);

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &esc);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(dialogs.unexpected().empty());
}

TEST(PictureWindow, CancelAndDamagedPictures) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    ScriptedDialogs dialogs;
    TForm5 form(start, dialogs);
    dialogs.expectOpenOne(std::nullopt);
    form.N12Click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(dialogs.messageTexts().empty());

    const fs::path bad = dir.write("results/3.gif", "GIF89a broken");
    dialogs.expectOpenOne(bad);
    form.N12Click();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find("3.gif"), std::string::npos);
    EXPECT_EQ(dialogs.shown().back().message.kind, MessageKind::Error);
}

}  // namespace
}  // namespace vk7
