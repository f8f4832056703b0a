// The acquisition program at the keyboard: every box the program opens takes typed text in
// place of what it shows, the method list answers F8 while dropped down and does not apply a
// method on the arrows, the windows' keys work again after a box is hidden, and F10/F11 say
// why they start nothing during a calibration. Keys go the way the window system delivers them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "chromfile/processing_settings.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/acquisition/forms/acquisition_windows.h"
#include "tests/support/temp_dir.h"
#include "tests/support/typing.h"

namespace vk7 {
namespace {

using test::activate;
using test::typeKeyIn;
using test::typeTextIn;

class AcquisitionKeyboard : public ::testing::Test, protected test::AcquisitionWindows {
protected:
    AcquisitionKeyboard() {
        test::copyInstallation(fs::path(VK7_SOURCE_DIR) / "install", dir.path());
        open(dir.path(), box, dialogs, clock);
        EXPECT_TRUE(activate(form.get()));
    }
    ~AcquisitionKeyboard() override {
        if (form) form->close();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }
    // A click on a cell of the regime grid.
    void clickCell(int row, int column) {
        form->StGr1->setCurrentCell(row, column);
        QTest::mouseClick(form->StGr1->viewport(), Qt::LeftButton, Qt::NoModifier,
                          form->StGr1->visualItemRect(form->StGr1->item(row, column)).center());
    }
    std::string cell(int row, int column) { return fromQString(form->StGr1->item(row, column)->text()); }
    std::vector<std::string> spaceLines(const char* name) { return readLines(dir.path() / "space" / name); }
    // Box time passes with the main window's timer every second.
    void run(double seconds) {
        for (double t = 0; t < seconds; t += 1.0) {
            box.run(1.0);
            QMetaObject::invokeMethod(form->Timer1, "timeout");
        }
        QApplication::processEvents();
    }
    // Saves the grid's channel 1 as a method typed on row 0.
    void saveMethod(const QString& name) {
        clickCell(0, 1);
        EXPECT_TRUE(form->ComboBox3->isVisible());
        typeTextIn(form.get(), name);
        typeKeyIn(form.get(), Qt::Key_Return);
    }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
};

// Each box a handler shows and focuses, with the text it shows; one character typed replaces
// that text, and Enter takes it.
TEST_F(AcquisitionKeyboard, EveryBoxTheProgramOpensTakesTypedTextInPlaceOfItsOwn) {
    struct Case {
        const char* what;
        std::function<QWidget*()> open;  // the box, shown and focused by its handler
        std::string shown;               // what it shows then
        QString typed;
        std::function<void()> check;  // after Enter
    };
    const std::vector<Case> cases = {
        {"record time of channel 1", [&] { form->SpeedButton13->click(); return form->Edit4; }, " 30.00", "5",
         [&] { EXPECT_EQ(form->engine().state().settings.recordTimeSec[0], 300); }},
        {"record time of channel 2", [&] { form->SpeedButton14->click(); return form->Edit5; }, " 30.00", "3",
         [&] { EXPECT_EQ(form->engine().state().settings.recordTimeSec[1], 180); }},
        {"carrier gas over its list", [&] { clickCell(3, 1); return form->ComboBox3; }, RU("Гелий"), "Xe",
         [&] {
             EXPECT_EQ(spaceLines("gas").back(), "Xe");
             EXPECT_EQ(cell(3, 1), "Xe");
             EXPECT_EQ(form->engine().state().regime.parameters[0][2], int(spaceLines("gas").size()));
         }},
        {"method name on row 0", [&] { clickCell(0, 1); return form->ComboBox3; }, "?", "MA",
         [&] {
             const std::vector<std::string> metn = spaceLines("metn");
             EXPECT_NE(std::find(metn.begin(), metn.end(), "#MA"), metn.end());
             EXPECT_EQ(std::find(metn.begin(), metn.end(), "#?MA"), metn.end());
             EXPECT_EQ(cell(0, 1), "MA");
         }},
        {"channel name on row 14", [&] { clickCell(14, 2); return form->Edit1; }, RU("Канал В"), "N",
         [&] { EXPECT_EQ(cell(14, 2), "N"); }},
        // (A letter that begins no folder of the list: the list completes a typed beginning.)
        {"data folder on row 15", [&] { clickCell(15, 1); return form->ComboBox3; }, "kanal1", "p",
         [&] { EXPECT_EQ(cell(15, 1), "p"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget* editor = c.open();
        ASSERT_TRUE(editor->isVisible());
        ASSERT_EQ(form->focusWidget(), editor);
        const auto shown = [editor] {
            auto* combo = qobject_cast<QComboBox*>(editor);
            return fromQString(combo ? combo->currentText() : static_cast<QLineEdit*>(editor)->text());
        };
        EXPECT_EQ(shown(), c.shown);
        typeTextIn(form.get(), c.typed);
        EXPECT_EQ(shown(), fromQString(c.typed));
        typeKeyIn(form.get(), Qt::Key_Return);
        EXPECT_FALSE(editor->isVisible());
        c.check();
        // The box is gone and its keys with it: F12 still reaches the window, once.
        EXPECT_NE(form->focusWidget(), editor);
        const bool shownDiagnostics = form->Label9->isVisible();
        typeKeyIn(form.get(), Qt::Key_F12);
        EXPECT_NE(form->Label9->isVisible(), shownDiagnostics);
    }

    // The reference voltage of the calibration's setup; the setup's "X" hides it with the
    // focus in it, and the typing goes nowhere afterwards.
    form->SpeedButton11->click();
    ASSERT_TRUE(form->Panel3->isVisible());
    ASSERT_EQ(form->focusWidget(), form->Edit3);
    EXPECT_EQ(fromQString(form->Edit3->text()), " 1.000");
    typeTextIn(form.get(), "2");
    EXPECT_EQ(fromQString(form->Edit3->text()), "2");
    form->SpeedButton18->click();
    EXPECT_FALSE(form->Panel3->isVisible());
    EXPECT_NE(form->focusWidget(), form->Edit3);
    typeTextIn(form.get(), "7");
    EXPECT_EQ(fromQString(form->Edit3->text()), "2");
}

TEST_F(AcquisitionKeyboard, F8InTheDroppedDownListDeletesTheMethodHighlighted) {
    saveMethod("A1");
    saveMethod("B2");
    clickCell(0, 1);
    ASSERT_TRUE(test::dropDown(form->ComboBox3));
    QAbstractItemView* list = form->ComboBox3->view();
    for (int i = 0; i < 3 && list->currentIndex().row() != 1; ++i) typeKeyIn(form.get(), Qt::Key_Down);
    ASSERT_EQ(list->currentIndex().row(), 1);
    ASSERT_EQ(form->ComboBox3->itemText(1), "B2");

    dialogs.expectMessage(Answer::Ok);
    typeKeyIn(form.get(), Qt::Key_F8);
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Удалить методику B2 ?"));
    EXPECT_FALSE(form->ComboBox3->isVisible());
    const std::vector<std::string> metn = spaceLines("metn");
    EXPECT_NE(std::find(metn.begin(), metn.end(), "#A1"), metn.end());
    EXPECT_EQ(std::find(metn.begin(), metn.end(), "#B2"), metn.end());

    // On the closed list F8 asks for the method shown; cancelled, nothing goes.
    clickCell(0, 1);
    typeKeyIn(form.get(), Qt::Key_Down);
    ASSERT_EQ(form->ComboBox3->currentText(), "A1");
    dialogs.expectMessage(Answer::Cancel);
    typeKeyIn(form.get(), Qt::Key_F8);
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Удалить методику A1 ?"));
    EXPECT_TRUE(form->ComboBox3->isVisible());
    EXPECT_EQ(spaceLines("metn"), metn);
}

TEST_F(AcquisitionKeyboard, ArrowsInTheClosedMethodListShowAMethodWithoutApplyingIt) {
    // Channel 1 saved with hydrogen; channel 2 keeps helium.
    clickCell(3, 1);
    const int hydrogen = form->ComboBox3->findText(toQString(RU("Водород")));
    ASSERT_GE(hydrogen, 0);
    ASSERT_TRUE(test::chooseInList(form->ComboBox3, hydrogen));
    EXPECT_EQ(cell(3, 1), RU("Водород"));
    saveMethod("H2");
    ASSERT_EQ(cell(3, 2), RU("Гелий"));

    clickCell(0, 2);
    typeKeyIn(form.get(), Qt::Key_Down);
    EXPECT_TRUE(form->ComboBox3->isVisible());
    EXPECT_EQ(form->ComboBox3->currentText(), "H2");
    EXPECT_EQ(cell(3, 2), RU("Гелий"));  // shown, not applied
    EXPECT_EQ(cell(0, 2), "?");
    typeKeyIn(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->ComboBox3->isVisible());
    EXPECT_EQ(cell(3, 2), RU("Гелий"));

    // Chosen in the dropped-down list, the method is applied.
    clickCell(0, 2);
    ASSERT_TRUE(test::dropDown(form->ComboBox3));
    for (int i = 0; i < 3 && form->ComboBox3->view()->currentIndex().row() != 0; ++i) typeKeyIn(form.get(), Qt::Key_Down);
    typeKeyIn(form.get(), Qt::Key_Return);
    EXPECT_TRUE(test::waitDroppedDown(form->ComboBox3, false));
    EXPECT_EQ(cell(3, 2), RU("Водород"));
    EXPECT_EQ(cell(0, 2), "H2");
}

TEST_F(AcquisitionKeyboard, F10AndF11DuringTheCalibrationSayWhyNothingRecords) {
    form->SpeedButton11->click();
    ASSERT_TRUE(form->Panel3->isVisible());
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_F11}) {
        dialogs.expectMessage(Answer::Ok);
        typeKeyIn(form.get(), key);
        EXPECT_EQ(dialogs.messageTexts().back(), RU("Идет калибровка: запись не начата."));
    }
    EXPECT_EQ(dialogs.messageTexts().size(), 2u);
    EXPECT_FALSE(form->engine().isRecording(1));
    EXPECT_FALSE(form->engine().isRecording(2));
    EXPECT_FALSE(form->SpeedButton3->isEnabled());

    form->SpeedButton18->click();  // "X": the setup closed, F10 records
    typeKeyIn(form.get(), Qt::Key_F10);
    EXPECT_TRUE(form->engine().isRecording(1));
    EXPECT_EQ(dialogs.messageTexts().size(), 2u);
    dialogs.expectMessage(Answer::Ok);  // the recording is running at the close
}

// The true length of the marked stretch: the box shows the length by the current scale,
// the typed one replaces it, and the view's keys work again once the box is gone.
TEST_F(AcquisitionKeyboard, TheTimeCorrectionTakesTheTypedLengthAndTheViewKeepsItsKeys) {
    box.setDetector(0, DetectorScript{0.02, {}});
    typeKeyIn(form.get(), Qt::Key_F10);
    run(12 * 60);
    form->SpeedButton2->click();
    ASSERT_TRUE(form2->isVisible());
    ASSERT_TRUE(activate(form2.get()));
    const ChannelViewState& v = form2->view();
    const int perMinute = (v.right - v.left) / 30;
    typeKeyIn(form2.get(), Qt::Key_F9);
    for (int minute : {1, 11})
        QTest::mouseClick(form2->PaintBox1, Qt::LeftButton, Qt::NoModifier, QPoint(v.left + minute * perMinute, 100));
    ASSERT_TRUE(form2->Edit1->isVisible());
    ASSERT_EQ(form2->focusWidget(), form2->Edit1);
    const double marked = parseLenient(fromQString(form2->Edit1->text()));
    EXPECT_NEAR(marked, 10.0, 0.15);
    typeTextIn(form2.get(), "9");
    EXPECT_EQ(fromQString(form2->Edit1->text()), "9");
    typeKeyIn(form2.get(), Qt::Key_Return);
    EXPECT_FALSE(form2->Edit1->isVisible());
    const double rate = 21.533203125 * (v.correctionEndSec - v.correctionStartSec) / 60 / 9;
    EXPECT_NEAR(form->engine().state().settings.pointsPerSecond, rate, 1e-9);

    // The letters and arrows of the view act again.
    typeKeyIn(form2.get(), Qt::Key_Up);
    EXPECT_EQ(v.zoom, 2);
    typeTextIn(form2.get(), "m");
    EXPECT_EQ(v.zoom, 1);

    dialogs.expectMessage(Answer::Ok);  // the recording is running at the close
    EXPECT_TRUE(close());
    const auto read = readVk7PointsPerSecond(StartFolder(dir.path()));
    ASSERT_TRUE(read);
    EXPECT_NEAR(*read, rate, 1e-9);
}

}  // namespace
}  // namespace vk7
