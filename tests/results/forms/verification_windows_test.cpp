// "Поверка Х" and "Поверка Y" in the running program: Enter, Ctrl+X / Ctrl+Y, the grids and
// the protocol button.
#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>
#include <QToolButton>

#include <filesystem>

#include "common/cp1251.h"
#include "platform/office/workbook.h"
#include "platform/qt/qt_text.h"
#include "results/forms/poverx.h"
#include "results/forms/povery7.h"
#include "tests/support/program_fixture.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

class VerificationWindows : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override {
        installBlank("doc", "povx.xlsx");
        installBlank("doc", "povy.xlsx");
        start();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }
    void grab(QWidget* w, const char* name) {
        if (const char* out = std::getenv("VK7_SCREENSHOTS"))
            w->grab().save(QString::fromStdString((fs::path(out) / name).string()));
    }
};

TEST_F(VerificationWindows, XOverThePeaksOfOneChromatogram) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    // Before the table: the window says how to get one, once.
    TForm11* x = form->windows().Form11;
    x->show();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(dialogs.messageTexts()[0], RU("Нет таблицы пиков: постройте ее клавишей Enter."));
    EXPECT_EQ(x->gridRowCount(), 1);
    x->SpeedButton22->click();
    EXPECT_TRUE(shell.opened.empty());
    x->hide();
    dialogs.clear();

    pressEnter();
    ASSERT_EQ(table->rowCount(), 3);
    form->N10->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(x->isVisible());
    EXPECT_EQ(x->windowTitle(), toQString(RU("Поверка по методу Х")));
    EXPECT_TRUE(dialogs.messageTexts().empty());
    ASSERT_EQ(x->gridRowCount(), 4);
    EXPECT_EQ(x->gridText(0, 0), RU("N пика"));
    EXPECT_EQ(x->gridText(1, 0), RU(" b,с"));
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(x->gridText(0, r), "    " + std::to_string(r));
        EXPECT_EQ(x->gridText(1, r), table->cellText(r, CellWidth));
        EXPECT_EQ(x->gridText(2, r), table->cellText(r, CellHeight));
        EXPECT_EQ(x->gridText(3, r), table->cellText(r, CellArea));
        EXPECT_EQ(x->gridText(4, r).size(), 10u);
    }
    EXPECT_EQ(x->grid2Text(0, 1), RU("Высота"));
    EXPECT_EQ(x->grid2Text(4, 0), " d, %");
    EXPECT_EQ(x->grid2Text(1, 1).size(), 8u);
    EXPECT_EQ(x->grid2Text(1, 2).size(), 10u);
    EXPECT_FALSE(x->grid2Text(4, 2).empty());
    grab(x, "poverx.png");

    // The protocol: written once and opened; the button then only opens it again.
    const fs::path result = dir.path() / "results" / "povxr.xlsx";
    x->SpeedButton22->click();
    ASSERT_EQ(shell.opened, std::vector<fs::path>{result});
    {
        Workbook book = Workbook::fromBlank(result);
        EXPECT_EQ(book.sheet(1).text(2, 2), "05.03.2024");
        EXPECT_EQ(book.sheet(1).text(3, 3), "h1a.hrm");
        EXPECT_EQ(book.sheet(1).text(5, 1), RU("N пика"));
        EXPECT_EQ(book.sheet(1).text(8, 4), table->cellText(3, CellArea));
        EXPECT_EQ(book.sheet(1).text(11, 2), x->grid2Text(1, 1));
    }
    const auto written = fs::last_write_time(result);
    fs::remove(dir.path() / "doc" / "povx.xlsx");  // not needed to show it again
    x->SpeedButton22->click();
    EXPECT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(fs::last_write_time(result), written);
    fs::remove(result);
    x->SpeedButton22->click();
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(dialogs.messageTexts()[0], RU("Нет файла \\results\\povxr.xlsx"));

    // Shown again: a new protocol.
    installBlank("doc", "povx.xlsx");
    x->hide();
    x->show();
    QApplication::processEvents();
    x->SpeedButton22->click();
    EXPECT_EQ(shell.opened.size(), 3u);
    EXPECT_TRUE(fs::exists(result));

    x->SpeedButton1->click();
    EXPECT_EQ(st().HelpPage, 161);

    // Another chromatogram opened: the table is gone, so are the statistics.
    dialogs.clear();
    openOne(dir.path() / "DATA" / "h1a.hrm");
    QApplication::processEvents();
    EXPECT_EQ(x->gridRowCount(), 1);
    EXPECT_EQ(x->grid2Text(1, 1), "");
}

TEST_F(VerificationWindows, YOverTheSummaryOfThreeChromatograms) {
    const auto onePeak = [](int height, double position) {
        return test::PointGenerator(1000, 300).gaussian(position, height, 8);
    };
    const fs::path a = chromatogram("h12a.hrm", onePeak(4000, 200), "a");
    const fs::path b = chromatogram("H13A.HRM", onePeak(4200, 202), "b");
    const fs::path c = chromatogram("h14a.hrm", onePeak(3900, 199), "c");
    dialogs.expectOpenSeveral({a, b, c});
    form->OpenSeveralChromatograms();
    pressEnter();
    pressEnter();
    pressEnter();
    ASSERT_TRUE(table->content().SummaryShown);
    ASSERT_EQ(table->rowCount(), 3);

    form->Y1->trigger();
    QApplication::processEvents();
    TForm12* y = form->windows().Form12;
    ASSERT_TRUE(y->isVisible());
    EXPECT_TRUE(dialogs.messageTexts().empty());
    EXPECT_EQ(y->gridText(1, 0), RU(" t,мин"));
    EXPECT_EQ(y->gridText(6, 0), RU(" dt,%"));
    // Columns at least as laid out, wide enough in this font for every value they show.
    EXPECT_GE(y->Grid->columnWidth(5), 60);
    for (int r = 0; r < y->Grid->rowCount(); ++r)
        for (int c = 0; c < y->Grid->columnCount(); ++c)
            EXPECT_LE(static_cast<const QAbstractItemView*>(y->Grid)->sizeHintForIndex(y->Grid->model()->index(r, c)).width(),
                      y->Grid->columnWidth(c))
                << "row " << r << " column " << c;
    EXPECT_EQ(y->gridText(1, 2), table->cellText(2, CellTime));
    EXPECT_EQ(y->grid2Text(0, 3), RU("Время"));
    EXPECT_EQ(y->grid2Text(1, 3).size(), 10u);
    grab(y, "povery7.png");

    y->SpeedButton22->click();
    const fs::path result = dir.path() / "results" / "povyr.xlsx";
    ASSERT_EQ(shell.opened, std::vector<fs::path>{result});
    Workbook book = Workbook::fromBlank(result);
    EXPECT_EQ(book.sheet(1).text(3, 3), "h12a");
    EXPECT_EQ(book.sheet(1).text(3, 4), "H13A");
    EXPECT_EQ(book.sheet(1).text(3, 5), "h14a");
    EXPECT_EQ(book.sheet(1).text(5, 7), RU(" dt,%"));
    EXPECT_EQ(book.sheet(1).text(13, 1), RU("Время"));

    // X has no table of one chromatogram now.
    form->windows().Form11->show();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет таблицы пиков: постройте ее клавишей Enter."));
}

}  // namespace
}  // namespace vk7
