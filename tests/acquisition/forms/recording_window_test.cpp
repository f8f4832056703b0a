// The acquisition program's regime grid, methods and recordings of both channels of the
// simulated box, driven through its main window.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/chromatogram_file.h"
#include "tests/acquisition/forms/acquisition_windows.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "platform/qt/cell_text_tips.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/cut_texts.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

void saveShot(QWidget* w, const char* name) {
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
        w->grab().save(QString::fromStdString((fs::path(shots) / name).string()));
}

class RecordingWindowTest : public ::testing::Test, protected test::AcquisitionWindows {
protected:
    RecordingWindowTest() {
        // A start folder prepared from the installation data.
        test::copyInstallation(fs::path(VK7_SOURCE_DIR) / "install", dir.path());
    }
    void openAcquisition() { open(dir.path(), box, dialogs, clock); }
    void closeAcquisition() { EXPECT_TRUE(close()); }
    void clickCell(int row, int column) {
        form->StGr1->setCurrentCell(row, column);
        emit form->StGr1->cellClicked(row, column);
    }
    std::string cell(int row, int column) { return fromQString(form->StGr1->item(row, column)->text()); }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
};

TEST_F(RecordingWindowTest, TheGridIsEditedSavedAsAMethodAndRecalledAfterARestart) {
    openAcquisition();
    EXPECT_EQ(cell(1, 0), RU("Детектор"));
    EXPECT_EQ(cell(1, 1), RU("ПИД"));
    // The carrier gas from the dictionary list: the third entry.
    clickCell(3, 1);
    ASSERT_TRUE(form->ComboBox3->isVisible());
    ASSERT_GE(form->ComboBox3->count(), 3);
    ASSERT_TRUE(test::chooseInList(form->ComboBox3, 2));
    EXPECT_FALSE(form->ComboBox3->isVisible());
    EXPECT_EQ(cell(3, 1), RU("Водород"));
    EXPECT_EQ(cell(0, 1), "?");
    // A number typed in place.
    form->StGr1->item(6, 1)->setText("45");
    // The channel name through its editor.
    clickCell(14, 1);
    ASSERT_TRUE(form->Edit1->isVisible());
    form->Edit1->setText(toQString(RU("Метан")));
    test::typeKey(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(cell(14, 1), RU("Метан"));
    saveShot(form.get(), "vk7r_regime.png");
    // Saved as a method: Enter in the list of row 0.
    clickCell(0, 1);
    form->ComboBox3->setEditText("Metan-H2");
    test::typeKey(form.get(), Qt::Key_Return);
    EXPECT_EQ(cell(0, 1), "Metan-H2");
    // Channel 2 takes the method from the list.
    clickCell(0, 2);
    ASSERT_EQ(form->ComboBox3->count(), 1);
    ASSERT_TRUE(test::chooseInList(form->ComboBox3, 0));
    EXPECT_EQ(cell(3, 2), RU("Водород"));
    EXPECT_EQ(cell(6, 2), "45");
    closeAcquisition();

    // After a restart the grid shows what was left.
    openAcquisition();
    EXPECT_EQ(cell(0, 1), "Metan-H2");
    EXPECT_EQ(cell(3, 1), RU("Водород"));
    EXPECT_EQ(cell(6, 1), "45");
    EXPECT_EQ(cell(14, 1), RU("Метан"));
    closeAcquisition();
    EXPECT_TRUE(dialogs.unexpected().empty());
}

// A start tone on channel A and F11 for channel B: two files that run to their planned
// count and are renamed .hrm.
// The list over the column row shows the longest installed entry whole, and the cut cells of
// the grid show theirs on hover.
TEST_F(RecordingWindowTest, TheLongestDictionaryEntryShowsWhole) {
    static const bool tips = [] {
        installCellTextTips(*qApp);
        return true;
    }();
    ASSERT_TRUE(tips);
    openAcquisition();
    const QString column = QString::fromUtf8("Насадочная 3 м x 3 мм, 15% ПЭГ-20М на носителе");
    ASSERT_EQ(form->StGr1->item(4, 1)->text(), column);
    clickCell(4, 1);
    ASSERT_TRUE(form->ComboBox3->isVisible());
    EXPECT_EQ(form->ComboBox3->currentText(), column);
    for (const test::CutText& c : test::cutTexts(form.get()))
        ADD_FAILURE() << c.where << " \"" << c.text << "\" needs " << c.needs << " px, has " << c.has;
    test::typeKey(form->ComboBox3->lineEdit(), Qt::Key_Escape);
    closeAcquisition();
}

TEST_F(RecordingWindowTest, BothChannelsRecordIntoFilesTheProcessingProgramOpens) {
    box.setDetector(0, DetectorScript{0.005, {{30.0, 0.08, 3.0}, {70.0, 0.05, 5.0}}});
    box.setDetector(1, DetectorScript{0.002, {{45.0, 0.1, 4.0}}});
    box.addStartTone(0, 0.5, 0.8);
    openAcquisition();
    // Two minutes each, recorded into kanal1 and kanal2 of the installation.
    form->engine().state().settings.recordTimeSec = {120, 120};
    box.run(1.0);
    ASSERT_TRUE(form->engine().isRecording(1));
    EXPECT_TRUE(form->SpeedButton2->isEnabled());
    EXPECT_TRUE(form->SpeedButton3->isEnabled());
    EXPECT_FALSE(form->SpeedButton13->isEnabled());
    EXPECT_FALSE(form->SpeedButton1->isEnabled());
    EXPECT_FALSE(form->SpeedButton11->isEnabled());
    EXPECT_FALSE(form->SpeedButton17->isEnabled());
    EXPECT_TRUE(fs::exists(dir / "data/kanal1/h1a.hr"));
    test::typeKey(form.get(), Qt::Key_F11);
    ASSERT_TRUE(form->engine().isRecording(2));
    box.run(60.0);
    EXPECT_TRUE(form->Label12->isVisible());
    EXPECT_NE(fromQString(form->Label12->text()).find(RU("/2.00 мин")), std::string::npos) << fromQString(form->Label12->text());
    saveShot(form.get(), "vk7r_recording.png");
    while ((form->engine().isRecording(1) || form->engine().isRecording(2)) && box.time() < 200) box.run(1.0);
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_TRUE(form->SpeedButton11->isEnabled());
    const fs::path a = dir / "data/kanal1/h1a.hrm", b = dir / "data/kanal2/h1b.hrm";
    ASSERT_TRUE(fs::exists(a));
    ASSERT_TRUE(fs::exists(b));
    EXPECT_EQ(readWords(a).size(), 20u + 2585u + 17u + form->engine().state().settings.channelName[0].size() + 1u);
    closeAcquisition();
    EXPECT_TRUE(dialogs.unexpected().empty());
    const auto header = readWords(a);
    EXPECT_EQ(header[0], 21);
    EXPECT_EQ(header[1], 2) << "the detector of the installed regime";
}

}  // namespace
}  // namespace vk7
