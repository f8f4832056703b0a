#include <gtest/gtest.h>

#include <QPrinterInfo>

#include "common/cp1251.h"
#include "common/errors.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// Draws a navy cross at (x, y) and a text under it.
void drawMark(Canvas& c, int x, int y, const std::string& text) {
    c.setPen({0x800000, 1, PenMode::Copy});
    c.moveTo(x - 100, y);
    c.lineTo(x + 100, y);
    c.moveTo(x, y - 100);
    c.lineTo(x, y + 100);
    c.setFont({"Arial", 83, 0x000000, 0});
    c.textOut(x, y + 150, text);
}

TEST(QtPrinter, WithoutAPrinterTheJobIsAPdfInItsPlace) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    test::TempDir dir;
    QtPrinter printer;
    EXPECT_FALSE(printer.hasPrinter());
    EXPECT_EQ(printer.resolution(), (PrinterResolution{600, 600}));

    const fs::path pdf = dir / "chrom.pdf";
    auto job = printer.begin({RU("Хроматограмма"), pdf, false});
    EXPECT_EQ(job->resolution(), (PrinterResolution{600, 600}));
    // A4 less 5 mm on each side at 600 dpi.
    EXPECT_NEAR(job->pageWidth(), 4724, 1);
    EXPECT_NEAR(job->pageHeight(), 6783, 5);
    drawMark(job->canvas(), 1200, 1200, RU("Страница один"));
    job->newPage();
    drawMark(job->canvas(), 600, 3000, RU("Страница два"));
    ScriptedDialogs dialogs;
    const PrintOutcome outcome = finishPrintJob(*job, dialogs);
    EXPECT_FALSE(outcome.toPrinter);
    EXPECT_EQ(outcome.file, pdf);
    EXPECT_EQ(dialogs.messageTexts(),
              std::vector<std::string>{RU("Принтер не найден: печать выполнена в файл ") + pdf.string()});

    const test::PdfInfo info = test::pdfInfo(pdf);
    EXPECT_EQ(info.pages, 2);
    EXPECT_NEAR(info.widthPt, 595.3, 0.5);
    EXPECT_NEAR(info.heightPt, 841.9, 0.5);
    const std::string text = test::pdfText(pdf);
    const size_t one = text.find("Страница один"), two = text.find("Страница два");
    ASSERT_NE(one, std::string::npos);
    ASSERT_NE(two, std::string::npos);
    EXPECT_NE(text.find('\f', one), std::string::npos);
    EXPECT_LT(text.find('\f', one), two);

    // The page's pixel (x, y) lies at the 5 mm margin (118 pixels at 600 dpi) plus (x, y);
    // rendered at 100 dpi that is a sixth of it.
    const CanvasImage page1 = test::renderPdfPage(pdf, 1, 100);
    const int cx = (118 + 1200) / 6, cy = (118 + 1200) / 6;
    EXPECT_EQ(page1.at(cx, cy), Colour{0x800000});
    EXPECT_EQ(page1.at(cx + 10, cy), Colour{0x800000});
    EXPECT_EQ(page1.at(cx + 10, cy + 10), Colour{0xFFFFFF});
    const CanvasImage page2 = test::renderPdfPage(pdf, 2, 100);
    EXPECT_EQ(page2.at((118 + 600) / 6, (118 + 3000) / 6), Colour{0x800000});
    EXPECT_EQ(page2.at(cx, cy), Colour{0xFFFFFF});
}

TEST(QtPrinter, LandscapeTurnsThePageAndAnExistingPdfIsReplaced) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    test::TempDir dir;
    const fs::path pdf = dir.write("tema.pdf", "old bytes");
    QtPrinter printer;
    auto job = printer.begin({"", pdf, true});
    EXPECT_GT(job->pageWidth(), job->pageHeight());
    drawMark(job->canvas(), 300, 300, "x");
    EXPECT_FALSE(job->finish().toPrinter);
    const test::PdfInfo info = test::pdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.widthPt, 841.9, 0.5);
}

TEST(QtPrinter, AnUnwritablePdfIsAnError) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    test::TempDir dir;
    QtPrinter printer;
    EXPECT_THROW(printer.begin({"", dir / "no-such-folder" / "chrom.pdf", false}), IoError);
}

TEST(RecordingPrinter, KeepsEveryPageApart) {
    RecordingPrinter printer(300, 2400, 3300);
    auto job = printer.begin({"", "/x/tabl.pdf", false});
    drawMark(job->canvas(), 500, 500, "a");
    job->newPage();
    job->canvas().setBrushColour(0x0000FF);
    job->canvas().fillRect({0, 0, 10, 10});
    EXPECT_TRUE(job->finish().toPrinter);
    const RecordedJob& r = printer.jobs().at(0);
    ASSERT_EQ(r.pages.size(), 2u);
    ASSERT_EQ(r.pages[0].lines.size(), 2u);
    EXPECT_EQ(r.pages[0].lines[1].from, (CanvasPoint{500, 400}));
    EXPECT_EQ(r.pages[0].lines[1].colour, Colour{0x800000});
    ASSERT_NE(r.pages[0].findText("a"), nullptr);
    EXPECT_EQ(r.pages[0].findText("a")->at, (CanvasPoint{500, 650}));
    EXPECT_EQ(r.pages[0].findText("a")->pixelSize, 83);
    EXPECT_TRUE(r.pages[1].lines.empty());
    EXPECT_EQ(r.pages[1].rects.at(0).brush, Colour{0x0000FF});
}

}  // namespace
}  // namespace vk7
