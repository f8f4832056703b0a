// The calibration graphs window: the substances of grad.dat, the read-off, the zoom and the
// printout, on the recording printer and as the PDF of a machine without a printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/files.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_text.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/grgraph.h"
#include "tests/support/calibration_fixture.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

std::string gradLine(double s, double c, const std::string& name) {
    return calibrationPointLine(test::calibrationLine(30, s, c, name));
}

class GraphsWindow : public ::testing::Test {
protected:
    void writeGrad(const std::vector<std::string>& lines) {
        fs::create_directories(dir.path() / "space");
        writeLines(dir.path() / "space" / "grad.dat", lines);
    }
    std::unique_ptr<TForm9> window(Printer& p) {
        auto w = std::make_unique<TForm9>(state, dialogs, p, [this](HelpPage page) { helpPages.push_back(page); }, nullptr);
        return w;
    }
    void TearDown() override { EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front(); }

    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    ScriptedDialogs dialogs;
    RecordingPrinter printer;
    std::vector<HelpPage> helpPages;
};

TEST_F(GraphsWindow, SubstancesReadOffAndZoom) {
    writeGrad({gradLine(3, 6, RU("Бензол")), gradLine(1, 2.2, RU("Бензол")), gradLine(2, 3.9, RU("Бензол")),
               gradLine(5, 1, "toluene")});
    auto w = window(printer);
    w->show();
    QApplication::processEvents();
    ASSERT_EQ(w->StringGrid1->rowCount(), 2);
    EXPECT_EQ(w->StringGrid1->item(1, 0)->text(), QStringLiteral("toluene"));
    EXPECT_EQ(w->Label5->text(), QStringLiteral("     1.97000"));
    EXPECT_EQ(w->Label7->text(), QStringLiteral("     0.99889"));

    w->PaintBox1MouseDown(30 + 96 + 48, 100);  // S = 1.5
    EXPECT_EQ(w->Label2->text(), QStringLiteral("    1.50"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("    3.05"));
    // The read-off line in xor red on white: cyan.
    EXPECT_EQ(w->PaintBox1->canvas().pixel(174, 100), 0xFFFF00u);

    w->SpeedButton3->click();
    w->PaintBox1MouseDown(30 + 96, 273 - 38 * 4);
    w->PaintBox1MouseMove(30 + 192, 273 - 38 * 2);
    w->PaintBox1MouseUp(30 + 192, 273 - 38 * 2);
    EXPECT_DOUBLE_EQ(w->graph().Smin, 1);
    EXPECT_DOUBLE_EQ(w->graph().Smax, 2);
    w->SpeedButton4->click();
    EXPECT_EQ(w->graph().Smax, 3);

    emit w->StringGrid1->cellClicked(1, 0);
    EXPECT_EQ(w->graph().count(), 1);
    EXPECT_EQ(w->Label5->text(), QStringLiteral("     0.20000"));

    w->SpeedButton1->click();
    EXPECT_EQ(helpPages, std::vector<HelpPage>{help_page::CalibrationGraphs});
}

TEST_F(GraphsWindow, NoSubstancesIsToldOncePerShowing) {
    auto w = window(printer);
    w->show();  // no grad.dat at all
    QApplication::processEvents();
    w->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Нет опознанных веществ")});
    EXPECT_TRUE(w->Label5->text().isEmpty());
    w->SpeedButton2->click();  // nothing to print
    EXPECT_TRUE(printer.jobs().empty());
    w->hide();
    writeGrad({gradLine(0, 1, "x"), gradLine(0, 2, "x")});  // all S 0: listed, nothing drawn
    w->show();
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(w->Label5->text(), QStringLiteral("a"));
    w->SpeedButton2->click();
    EXPECT_TRUE(printer.jobs().empty());
}

TEST_F(GraphsWindow, PrintsThePageAndLeavesTheScreenGraph) {
    writeGrad({gradLine(3, 6, RU("Бензол")), gradLine(1, 2.2, RU("Бензол")), gradLine(2, 3.9, RU("Бензол"))});
    auto w = window(printer);
    w->show();
    const GraphRect before = w->graph().Rect;
    w->SpeedButton2->click();
    ASSERT_EQ(printer.jobs().size(), 1u);
    const RecordedJob& job = printer.jobs().front();
    EXPECT_EQ(job.request.pdfPath.filename(), "grad.pdf");
    EXPECT_EQ(job.request.pdfPath.parent_path().filename(), "results");
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_TRUE(job.pages[0].findText(RU("Вещество: Бензол. Градуровочный график.")));
    EXPECT_TRUE(job.pages[0].findText("a=     1.97000"));
    EXPECT_EQ(w->graph().Rect.right, before.right);
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);  // where the pages went
}

TEST_F(GraphsWindow, WithoutAPrinterTheGraphIsAPdf) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    writeGrad({gradLine(3, 6, RU("Бензол")), gradLine(1, 2.2, RU("Бензол")), gradLine(2, 3.9, RU("Бензол"))});
    QtPrinter qtPrinter;
    auto w = window(qtPrinter);
    w->show();
    w->SpeedButton2->click();
    const fs::path pdf = dir.path() / "results" / "grad.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    const std::string text = test::pdfText(pdf);
    EXPECT_NE(text.find("Вещество: Бензол. Градуровочный график."), std::string::npos) << text;
    EXPECT_NE(text.find("1.97000"), std::string::npos) << text;
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Принтер не найден: печать выполнена в файл ") + textFromPath(pdf));
}

}  // namespace
}  // namespace vk7
