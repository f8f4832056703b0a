// The printouts in the running program: "Печать хроматограммы" and "Печатать таблицу и
// паспорт" on a machine without a printer (PDFs in \results\ read back with poppler), and
// the printer set-up.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPrinterInfo>
#include <QToolButton>
#include <memory>

#include "chromfile/processing_settings.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/paths.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/table.h"
#include "results/printing.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using test::PointGenerator;

constexpr int kMargin = 118;  // 5 mm at 600 dpi

// A page pixel rendered at 100 dpi: the colour found in the 3 x 3 pixels around it.
bool colourNear(const CanvasImage& page, int x, int y, Colour c) {
    const int px = (kMargin + x) / 6, py = (kMargin + y) / 6;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (page.at(px + dx, py + dy) == c) return true;
    return false;
}

class PrintingWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.FileName = "h1a.hrm";
        s.AveragingMs = 160;
        s.DetectThreshold = 5.0;
        fs::create_directories(dir.path() / "space");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    void open(const std::string& name, const PointGenerator& points) {
        test::ChromatogramFixture f;
        f.samples = points.samples(4);
        f.comment = "01.03.2024";
        f.lastWord = 160;
        dialogs.expectOpenOne(f.write(dir.path() / "DATA" / name));
        form->OpenChromatogramDialog();
    }
    void pressEnter() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(form.get(), &press);
        QApplication::processEvents();
    }
    std::string lastMessage() const { return dialogs.messageTexts().empty() ? "" : dialogs.messageTexts().back(); }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    QtPrinter printer;
    std::unique_ptr<TForm1> form;
};

TEST_F(PrintingWindow, TheChromatogramGoesToAPdfInResults) {
    EXPECT_EQ(form->state().PrinterDpiX, 600);
    open("h1a.hrm", PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8));
    ProcessingState& st = form->state();
    ASSERT_EQ(st.Markup.PeakCount(), 2);
    form->SpeedButton18->click();
    const fs::path pdf = dir.path() / "results" / "chrom.pdf";
    EXPECT_EQ(lastMessage(), RU("Принтер не найден: печать выполнена в файл ") + textFromPath(pdf));
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(test::pdfInfo(pdf).pages, 1);
    const std::string text = test::pdfText(pdf);
    EXPECT_NE(text.find("Хроматограмма"), std::string::npos);
    EXPECT_NE(text.find("целиком"), std::string::npos);
    EXPECT_NE(text.find("Вещество"), std::string::npos);

    // The curve where the layout puts it: on the flat base after the last peak (before it
    // the grey and red lines run over the base), and at the second peak's apex; the ticks
    // of the first peak.
    const ChromatogramPageLayout p = chromatogramPageLayout({600, 600}, st.Chrom, st.View);
    auto xOf = [&](int value) {
        return static_cast<int>(std::lround((value + st.View.ZeroOffset) * st.View.VerticalZoom / p.PageCountsPerColumn)) +
               p.PageLeft;
    };
    auto yOf = [&](int point) { return static_cast<int>(std::lround((point - 1 - p.PageFirstPoint) / p.PagePointsPerRow)) + p.PageTop; };
    const CanvasImage page = test::renderPdfPage(pdf, 1, 100);
    const Colour navy = rgbColour(0, 0, 128), red = rgbColour(255, 0, 0), green = rgbColour(0, 128, 0);
    EXPECT_TRUE(colourNear(page, xOf(st.Chrom.Points[900]), yOf(900), navy));
    EXPECT_TRUE(colourNear(page, xOf(st.Chrom.Points[500]), yOf(500), navy));
    EXPECT_FALSE(colourNear(page, xOf(st.Chrom.Points[500]) + 60, yOf(500), navy));
    const Peak& first = st.Markup.Peaks[1];
    EXPECT_TRUE(colourNear(page, xOf(first.StartValue), yOf(first.Start + 1), red));
    EXPECT_TRUE(colourNear(page, xOf(first.EndValue), yOf(first.End + 1), green));
}

TEST_F(PrintingWindow, TheTableWithItsPassport) {
    PointGenerator points(3000, 300);
    for (int i = 0; i < 60; ++i) points.gaussian(40 + 48 * i, 3000, 5);
    open("h2a.hrm", points);
    pressEnter();
    TForm4* table = form->windows().Form4;
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(table->rowCount(), 60);
    table->SpeedButton1->click();
    const fs::path pdf = dir.path() / "results" / "tabl.pdf";
    EXPECT_EQ(lastMessage(), RU("Принтер не найден: печать выполнена в файл ") + textFromPath(pdf));
    EXPECT_EQ(test::pdfInfo(pdf).pages, 2);
    const std::string text = test::pdfText(pdf);
    const size_t pageBreak = text.find('\f');
    EXPECT_LT(text.find("Хроматограмма h2a.hrm"), pageBreak);
    EXPECT_LT(text.find("01.03.2024"), pageBreak);
    EXPECT_GT(text.find("Паспорт"), pageBreak);
    EXPECT_NE(text.find("S, мВ.с"), std::string::npos);
    EXPECT_EQ(text.find("Статус"), std::string::npos);

    // Without the passport text nothing is printed.
    fs::remove(pdf);
    fs::remove(dir.path() / "results" / "pasp.txt");
    table->SpeedButton1->click();
    EXPECT_EQ(lastMessage(), RU("Нет файла \\results\\pasp.txt"));
    EXPECT_FALSE(fs::exists(pdf));
}

TEST(PrinterSetUp, TheResolutionIsReadAgainWhateverTheAnswer) {
    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer(300, 2362, 3391);
    auto form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
    EXPECT_EQ(form->state().PrinterDpiX, 300);
    printer.setResolution({1200, 600});
    dialogs.expectPrintSetup(Answer::Cancel);
    form->N21->trigger();
    EXPECT_EQ(form->state().PrinterDpiX, 1200);
    EXPECT_EQ(form->state().PrinterDpiY, 1200);
    printer.setResolution({600, 600});
    dialogs.expectPrintSetup(Answer::Ok);
    form->N21->trigger();
    EXPECT_EQ(form->state().PrinterDpiY, 600);
    EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    EXPECT_TRUE(dialogs.unexpected().empty());
}

}  // namespace
}  // namespace vk7
