// The processing-parameters window with the running main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/forms/trparam.h"
#include "chromfile/methodology.h"
#include "common/cp1251.h"
#include "platform/qt/qt_text.h"
#include "tests/processing/forms/main_window_fixture.h"

namespace vk7 {
namespace {

using test::PointGenerator;

class ParametersWindow : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        file = writeChromatogram("h1a.hrm", PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20));
        open(file);
        params = form->windows().Form3;
        form->Parameters1->trigger();
    }
    // Types into a value cell as the editor reports it.
    void type(int row, const std::string& text) { params->GridSetEditText(row, text); }
    void click(int row) {
        params->Grid->setCurrentCell(row, 1);
        emit params->Grid->cellClicked(row, 1);
    }

    std::filesystem::path file;
    TForm3* params = nullptr;
};

TEST_F(ParametersWindow, LeavingAfterAChangeReadsTheChromatogramAgain) {
    EXPECT_TRUE(params->isVisible());
    EXPECT_EQ(params->cellText(0, 1), "     200");
    EXPECT_EQ(st().Chrom.SamplesPerPoint, 5);

    // Row 9 alone is no reason to read again.
    click(9);
    params->FormDeactivate();
    EXPECT_EQ(st().Chrom.SamplesPerPoint, 5);

    click(0);
    type(0, "250");
    EXPECT_EQ(st().Settings.AveragingMs, 250);
    EXPECT_EQ(st().Settings.MethodologyName, "?");
    click(9);  // does not clear the change
    params->FormDeactivate();
    EXPECT_EQ(st().Chrom.SamplesPerPoint, 6);  // 250 ms at 25 samples a second
    EXPECT_FALSE(params->parametersChanged());

    // Escape of the main window hides it; a change made before is applied on hiding.
    click(1);
    type(1, "7,5");
    EXPECT_EQ(st().Settings.DetectThreshold, 7.5);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &esc);
    EXPECT_FALSE(params->isVisible());
    EXPECT_FALSE(params->parametersChanged());
}

TEST_F(ParametersWindow, StoredMarkupKeepsTheAveragingOfItsPointNumbers) {
    key(QStringLiteral("k"));
    ASSERT_EQ(st().ProgramMode, ModeMarkupEdit);
    click(0);
    type(0, "400");
    params->FormDeactivate();  // nothing is read again outside mode 1
    EXPECT_EQ(st().Chrom.SamplesPerPoint, 5);
    key(QStringLiteral("\r"));
    const std::vector<int16_t> words = readWords(file);
    EXPECT_EQ(words.back(), 200);
}

TEST_F(ParametersWindow, ListsShowAndHideTheirRows) {
    click(3);
    EXPECT_TRUE(params->ComboBox1->isVisible());
    EXPECT_EQ(params->ComboBox1->count(), 2);
    params->ComboBox1Change(1);  // "t отн"
    EXPECT_FALSE(params->ComboBox1->isVisible());
    EXPECT_EQ(params->cellText(5, 0), RU("Номер опорного пика N опор"));
    click(3);
    params->ComboBox1Change(0);  // "t абс"
    EXPECT_EQ(params->cellText(5, 0), "");
    EXPECT_EQ(params->cellText(6, 1), "");
    click(7);
    params->ComboBox1Change(1);  // "ВнутрСт"
    EXPECT_EQ(params->cellText(9, 0), RU("Концентрация стандартного вещества C st"));
    click(9);
    type(9, "2.5/10");
    params->FillParameterGrid();
    EXPECT_EQ(params->cellText(9, 1), "   2.50/ 10.000");
    click(2);
    QApplication::processEvents();
    EXPECT_TRUE(params->ComboBox1->isVisible());
    EXPECT_EQ(params->ComboBox1->currentText(), QString::fromUtf8("Авто"));

    params->CheckBox1->click();
    EXPECT_TRUE(st().AdditionalFilter);
    EXPECT_TRUE(params->parametersChanged());
}

TEST_F(ParametersWindow, SaveAndLoadMethodologies) {
    const std::filesystem::path space = dir.path() / "space";
    click(0);
    type(0, "150");
    dialogs.expectSaveAs(space / "m1");
    params->SpeedButton2->click();
    EXPECT_EQ(dialogs.shown().back().file.title, RU("Сохранение методики обработки"));
    EXPECT_EQ(st().Settings.MethodologyName, "m1");
    EXPECT_EQ(params->cellText(11, 1), "m1");
    const std::string saved = readFileBytes(space / "m1.trp");
    EXPECT_EQ(saved.substr(0, 5), "150\r\n");

    // The same file again under another spelling: asked, Cancel leaves it as it was.
    type(0, "160");
    dialogs.expectSaveAs(space / "M1.TRP");
    dialogs.expectMessage(Answer::Cancel);
    params->SpeedButton2->click();
    EXPECT_EQ(dialogs.messageTexts().back(), OverwriteMethodologyQuestion("M1"));
    EXPECT_EQ(st().Settings.MethodologyName, "?");
    EXPECT_EQ(readFileBytes(space / "m1.trp"), saved);

    // Names the window refuses.
    dialogs.expectSaveAs(space / "abcdefghijklm.trp");
    params->SpeedButton2->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Имя методики должно содержать от 1 до 12 знаков"));
    dialogs.expectSaveAs(dir.path() / "DATA" / "m2.trp");
    params->SpeedButton2->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Файл методики должен находиться в папке space"));

    // Loading through row 11.
    dialogs.expectOpenOne(space / "m1.trp");
    click(11);
    EXPECT_EQ(st().Settings.AveragingMs, 150);
    EXPECT_EQ(st().Settings.MethodologyName, "m1");
    EXPECT_EQ(params->cellText(0, 1), "     150");

    dialogs.expectOpenOne(space / "none.trp");
    click(11);
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет файла методики none"));
    EXPECT_EQ(st().Settings.MethodologyName, "m1");
}

}  // namespace
}  // namespace vk7
