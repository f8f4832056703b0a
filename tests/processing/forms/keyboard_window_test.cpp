// The processing program at the keyboard: after a panel of the main window closes with the
// focus in its box ("Пересчет", the export of points), every key of the window works again;
// a box the program opens takes typed text in place of what it shows. Keys go the way the
// window system delivers them: shortcuts of the menu, the key preview, the focused control.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/files.h"
#include "platform/qt/qt_text.h"
#include "processing/forms/table.h"
#include "processing/forms/vk7tu1.h"
#include "results/forms/poverx.h"
#include "tests/support/program_fixture.h"
#include "tests/support/typing.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using test::typeKeyIn;
using test::typeTextIn;

class ProcessingKeyboard : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override {
        installBlank("space", "klimat.dat");
        start();
        ASSERT_TRUE(test::activate(form.get()));
    }
    void TearDown() override { EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front(); }

    // F3 and the file chosen in the dialog.
    void openWithF3(const fs::path& file) {
        dialogs.expectOpenOne(file);
        typeKeyIn(form.get(), Qt::Key_F3);
        ASSERT_EQ(dialogs.pendingAnswers(), 0u);
        ASSERT_TRUE(test::activate(form.get()));
    }
    // The peak table by Enter; the main window keeps the keyboard.
    void peakTable() {
        typeKeyIn(form.get(), Qt::Key_Return);
        ASSERT_EQ(st().ProgramMode, ModePeakTable);
        ASSERT_TRUE(table->isVisible());
        ASSERT_TRUE(test::activate(form.get()));
    }
    // Up doubles the vertical scale, M sets it back, Ctrl+X shows the check by method X.
    void expectTheWindowsKeysWork() {
        const double zoom = st().View.VerticalZoom;
        typeKeyIn(form.get(), Qt::Key_Up);
        EXPECT_EQ(st().View.VerticalZoom, zoom * 2);
        typeTextIn(form.get(), QStringLiteral("m"));
        EXPECT_EQ(st().View.VerticalZoom, 1.0);
        QWidget* checkX = form->windows().Form11;
        checkX->hide();
        typeKeyIn(form.get(), Qt::Key_X, Qt::ControlModifier);
        EXPECT_TRUE(checkX->isVisible());
        checkX->hide();
        ASSERT_TRUE(test::activate(form.get()));
    }
};

TEST_F(ProcessingKeyboard, AfterTheRecalculationTheMainWindowsKeysWork) {
    openWithF3(dir.path() / "DATA" / "h1a.hrm");
    peakTable();
    QTest::mouseClick(table->SpeedButton8, Qt::LeftButton);  // "НКУ"
    ASSERT_TRUE(form->Panel13->isVisible());
    QTest::mouseClick(form->Edit6, Qt::LeftButton);  // the temperature, clicked as a user does
    ASSERT_EQ(form->focusWidget(), form->Edit6);
    form->Edit6->selectAll();
    typeTextIn(form.get(), QStringLiteral("27.3"));
    QTest::mouseClick(form->SpeedButton34, Qt::LeftButton);  // "Пересчет"
    ASSERT_FALSE(form->Panel13->isVisible());
    EXPECT_EQ(readLines(dir.path() / "space" / "klimat.dat")[1], " 2.73000000000000E+0001");

    expectTheWindowsKeysWork();
    // Typed letters never reach the hidden box.
    typeTextIn(form.get(), QStringLiteral("5"));
    EXPECT_EQ(form->Edit6->text(), QStringLiteral("27.3"));

    // The other file: the keys still work.
    openWithF3(chromatogram("h2a.hrm", threePeaks(), "second"));
    peakTable();
    expectTheWindowsKeysWork();
}

TEST_F(ProcessingKeyboard, AfterTheExportOfPointsTheMainWindowsKeysWork) {
    openWithF3(dir.path() / "DATA" / "h1a.hrm");
    peakTable();
    typeKeyIn(form.get(), Qt::Key_C, Qt::ControlModifier);  // "Экспорт в Excel"
    ASSERT_TRUE(form->Panel11->isVisible());
    ASSERT_EQ(form->focusWidget(), form->Edit7);
    EXPECT_EQ(form->Edit7->text(), QString::number(st().Chrom.PointCount()));
    typeTextIn(form.get(), QStringLiteral("100"));
    EXPECT_EQ(form->Edit7->text(), QStringLiteral("100"));  // the count shown is replaced
    typeKeyIn(form.get(), Qt::Key_Return);
    ASSERT_FALSE(form->Panel11->isVisible());
    EXPECT_EQ(shell.opened, std::vector<fs::path>{dir.path() / "results" / "points.xlsx"});

    expectTheWindowsKeysWork();

    // Closed with Esc, and with "Отмена", the same.
    for (bool escape : {true, false}) {
        typeKeyIn(form.get(), Qt::Key_C, Qt::ControlModifier);
        ASSERT_EQ(form->focusWidget(), form->Edit7);
        if (escape)
            typeKeyIn(form.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(form->SpeedButton36, Qt::LeftButton);
        ASSERT_FALSE(form->Panel11->isVisible());
        expectTheWindowsKeysWork();
    }
}

TEST_F(ProcessingKeyboard, TheCommentBoxOpenedByItsButtonTakesTypedTextInPlaceOfTheComment) {
    openWithF3(dir.path() / "DATA" / "h1a.hrm");
    form->SpeedButton3->click();  // "Редактировать комментарий"
    ASSERT_EQ(form->focusWidget(), form->Edit2);
    EXPECT_EQ(fromQString(form->Edit2->text()), RU("10.12.2025 14:05 first"));
    typeTextIn(form.get(), QStringLiteral("Z"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("Z"));
    typeKeyIn(form.get(), Qt::Key_Return);
    EXPECT_EQ(st().Chrom.CommentText, "Z");
    EXPECT_EQ(st().ProgramMode, ModeShown);  // Enter saved the comment, no peak table
    // The box is disabled now: the window's keys work.
    typeKeyIn(form.get(), Qt::Key_Up);
    EXPECT_EQ(st().View.VerticalZoom, 2.0);
}

}  // namespace
}  // namespace vk7
