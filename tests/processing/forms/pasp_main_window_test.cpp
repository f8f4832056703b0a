// The passport, the picture viewer and "Таблица TXT" reached from the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <cmath>
#include <cstdlib>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/forms/pasp.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/gif_palette.h"
#include "platform/recording_printer.h"
#include "platform/qt/gif_image.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/pictures.h"
#include "processing/forms/program_windows.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

std::string cell(const TForm2* f, int row) { return fromQString(f->Grid->item(row, 1)->text()); }

class MainWindowPassport : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path install = fs::path(VK7_SOURCE_DIR) / "install";
        for (const char* name : {"regn.txt", "detect", "gas", "kolon", "temp", "sm", "treat.dat"})
            dir.write(std::string("space/") + name, readFileBytes(install / "space" / name));
        dir.write("space/grad.grd", "#\r\n");  // the empty archive of an installation
        dir.write("vk7.dat", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n21.533\r\n");
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer, &shell});
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    // Two minutes at 25 points per second, with a peak at one minute when asked for.
    fs::path chromatogram(const std::string& name, int detector, const std::string& comment, bool peak = false) {
        test::ChromatogramFixture f;
        f.header[hw::Detector] = static_cast<int16_t>(detector);
        for (int i = 0; i < 3000; ++i)
            f.samples.push_back(static_cast<int16_t>(peak ? 200 + 9000 * std::exp(-std::pow((i - 1500) / 60.0, 2)) : 50));
        f.comment = comment;
        return f.write(dir / "data" / name);
    }
    void open(const fs::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
    }
    void key(int k, const QString& text) {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    }
    TForm2* passport() { return form->windows().Form2; }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer;
    RecordingShell shell;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowPassport, KeyTShowsThePassportOfTheOpenChromatogramAndAReadRefillsIt) {
    open(chromatogram("h1a.hrm", 2, "one"));
    key(Qt::Key_T, "t");
    ASSERT_TRUE(passport()->isVisible());
    EXPECT_EQ(cell(passport(), 0), RU("ПИД"));
    EXPECT_EQ(cell(passport(), 14), "one");
    // Another file opened while the window is open: the grid is the new file's at once.
    passport()->GridClick(5, 1);
    open(chromatogram("h2a.hrm", 3, "two"));
    EXPECT_EQ(cell(passport(), 0), RU("ЭЗД"));
    EXPECT_EQ(cell(passport(), 14), "two");
    EXPECT_FALSE(passport()->PassportChanged());
}

TEST_F(MainWindowPassport, RewrittenCommentReachesTheCommentBoxAndShorteningReadsAgain) {
    const fs::path file = chromatogram("h1a.hrm", 2, "one");
    open(file);
    form->SpeedButton12Click();
    passport()->Grid->item(14, 1)->setText(QStringLiteral("new comment"));
    passport()->SpeedButton12Click();
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("new comment"));
    EXPECT_EQ(ReadChromatogram(file, {}).Chrom.CommentText, "new comment");

    const int pointsBefore = form->state().Chrom.PointCount();
    passport()->Grid->item(12, 1)->setText(QStringLiteral("1"));  // one minute at 25 points per second
    passport()->SpeedButton12Click();
    EXPECT_EQ(readChromatogramWords(file).sampleCount(), 1500);
    EXPECT_LT(form->state().Chrom.PointCount(), pointsBefore);
    EXPECT_EQ(form->state().Chrom.SampleCount, 1500);
    EXPECT_EQ(cell(passport(), 12), " 1.00");
}

TEST_F(MainWindowPassport, EscapeInTheMainWindowAsksAboutAChangedPassport) {
    const fs::path file = chromatogram("h1a.hrm", 2, "one");
    open(file);
    const std::string before = readFileBytes(file);
    form->SpeedButton12Click();
    passport()->Grid->item(1, 1)->setText(QStringLiteral("2:5"));
    form->activateWindow();
    dialogs.expectMessage(Answer::Cancel);
    key(Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_FALSE(passport()->isVisible());
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Сохранить хроматограмму с новым паспортом?"));
    EXPECT_EQ(readFileBytes(file), before);
}

TEST_F(MainWindowPassport, TableTxtOpensThroughTheShellOrIsNamedMissing) {
    form->N14->trigger();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Нет файла \\results\\tabl.txt")});
    EXPECT_TRUE(shell.opened.empty());
    dir.write("results/tabl.txt", "table\r\n");
    form->N14->trigger();
    EXPECT_EQ(shell.opened, std::vector<fs::path>{dir / "results" / "tabl.txt"});
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);
}

TEST_F(MainWindowPassport, PicturesMenuShowsTheViewer) {
    const fs::path picture = *SavePlotPicture(QImage(30, 20, QImage::Format_RGB32), StartFolder(dir.path()));
    dialogs.expectOpenOne(picture);
    form->N12->trigger();
    EXPECT_TRUE(form->windows().Form5->isVisible());
    EXPECT_EQ(form->windows().Form5->windowTitle(), toQString(textFromPath(picture)));
}

TEST_F(MainWindowPassport, KeyZSavesThePlotAsShownUnderTheNextNumber) {
    dir.write("results/7.gif", "x");
    dir.write("results/fig.gif", "x");
    key(Qt::Key_Z, "z");  // no chromatogram: nothing
    EXPECT_FALSE(fs::exists(dir / "results" / "8.gif"));
    open(chromatogram("h1a.hrm", 2, "one", true));
    key(Qt::Key_Z, "z");
    key(Qt::Key_Z, QString::fromUtf8("Я"));  // the Russian layout
    ASSERT_TRUE(fs::exists(dir / "results" / "8.gif"));
    ASSERT_TRUE(fs::exists(dir / "results" / "9.gif"));
    const QImage shown = form->PaintBox1->canvas().image();
    const QImage saved = loadGif(dir / "results" / "8.gif");
    if (const char* out = std::getenv("VK7_SCREENSHOT_DIR"))
        saved.save(QString::fromStdString((fs::path(out) / "plot-8-gif.png").string()));
    ASSERT_EQ(saved.size(), shown.size());
    // Every pixel is the plot's own colour reduced to the palette.
    int mismatches = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if ((saved.pixel(x, y) & 0xFFFFFF) != picturePalette()[nearestPictureColour(shown.pixel(x, y))]) ++mismatches;
    EXPECT_EQ(mismatches, 0);

    form->SaveFigureGif();
    EXPECT_EQ(loadGif(dir / "results" / "fig.gif").size(), shown.size());
    EXPECT_TRUE(dialogs.messageTexts().empty());
}

TEST_F(MainWindowPassport, PeakTableWritesTheFigureAndThePassportText) {
    open(chromatogram("h1a.hrm", 2, "one", true));
    form->SpeedButton19Click();
    EXPECT_EQ(loadGif(dir / "results" / "fig.gif").size(), form->PaintBox1->canvas().image().size());
    const std::vector<std::string> lines = splitLines(readFileBytes(dir / "results" / "pasp.txt"));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], padRight(RU("Детектор"), 28) + RU("ПИД"));
    EXPECT_EQ(lines[14], padRight(RU("Комментарий"), 28) + "one");
}

}  // namespace
}  // namespace vk7
