// The calibration archive window driven headless: load, edit, save, reload, questions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include <cstdlib>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/cell_text_tips.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/calibration_files.h"
#include "processing/forms/grad_tab.h"
#include "tests/support/calibration_fixture.h"
#include "tests/support/cut_texts.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

const fs::path kInstall = fs::path(VK7_SOURCE_DIR) / "install";

using test::calibrationKey;
using test::calibrationLine;

std::string text(const QTableWidget* g, int r, int c) {
    const QTableWidgetItem* item = g->item(r, c);
    return item ? fromQString(item->text()) : std::string("<none>");
}

// What the user types into a cell, committed.
void type(QTableWidget* g, int r, int c, const std::string& cp1251) { g->item(r, c)->setText(toQString(cp1251)); }

class GradTab : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("space/regn.txt", readFileBytes(kInstall / "space/regn.txt"));
        dir.write("space/detect", joinLinesCrLf({RU("ПИД"), RU("ТКД"), RU("ПИД")}));
        dir.write("space/gas", joinLinesCrLf({RU("Азот"), RU("Гелий")}));
        dir.write("space/kolon", joinLinesCrLf({RU("Колонка 1")}));
        dir.write("space/temp", joinLinesCrLf({RU("Изотерма 100")}));
        dir.write("space/sm", joinLinesCrLf({"Mix A", "Mix B", RU("Смесь природного газа")}));
        dir.write("space/grad.grd", original);
        dir.write("space/stt.dat", calibrationKey(2, 2, 9.0) + "\r\n");
    }
    void TearDown() override { EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front(); }

    std::string file(const char* name) const { return readFileBytes(dir / "space" / name); }

    test::TempDir dir;
    StartFolder start{dir.path()};
    std::string archiveName = "grad";
    std::vector<HelpPage> helpPages;
    ScriptedDialogs dialogs;
    const std::string table1 =
        joinLinesCrLf({calibrationKey(1, 1), calibrationLine(60, 2, 0.0004, "Std", true), calibrationLine(95, 1.23456789, 1, "X1")});
    const std::string table2 = joinLinesCrLf({calibrationKey(2, 2), calibrationLine(30, 5, 1, "Y")});
    const std::string table3 =
        joinLinesCrLf({calibrationKey(1, 3), calibrationLine(40, 7.5, 2, RU("Метан")), calibrationLine(50, 8.25, 3, RU("Этан"), true)});
    const std::string original = table1 + table2 + table3 + "#\r\n";
};

TEST_F(GradTab, LoadEditSaveAndReload) {
    TForm6 form(start, archiveName, dialogs, [this](HelpPage p) { helpPages.push_back(p); });
    form.show();
    EXPECT_EQ(fromQString(form.windowTitle()), RU("Архив градуировок. Файл grad"));
    ASSERT_EQ(form.Grid3->rowCount(), 3);
    EXPECT_EQ(text(form.Grid3, 0, 0), "Mix A");
    EXPECT_EQ(text(form.Grid3, 1, 1), RU("Акт"));
    EXPECT_EQ(text(form.Grid3, 2, 0), RU("Смесь природного газа"));
    EXPECT_EQ(form.currentTable(), 1);  // the active table is shown first
    EXPECT_EQ(text(form.Grid2, 0, 0), RU("Детектор"));
    EXPECT_EQ(text(form.Grid2, 1, 0), RU("Газ-носитель"));
    EXPECT_EQ(text(form.Grid2, 0, 1), RU("ТКД"));
    EXPECT_EQ(text(form.Grid2, 5, 1), "10");

    // The first table: its standard is switched off and its C shows as 0.000.
    emit form.Grid3->cellClicked(0, 0);
    ASSERT_EQ(form.Grid1->rowCount(), 2);
    EXPECT_EQ(text(form.Grid1, 0, 2), "0.000");
    EXPECT_EQ(text(form.Grid1, 0, 4), "St " + RU("Выкл"));
    type(form.Grid1, 1, 3, "X2");
    type(form.Grid1, 1, 0, "1,5");
    EXPECT_EQ(text(form.Grid1, 1, 0), "1.50");
    EXPECT_TRUE(form.hasUnsavedChanges());

    // The second table is removed, the third only looked at.
    emit form.Grid3->cellClicked(1, 0);
    form.SpeedButton11->click();
    EXPECT_EQ(text(form.Grid3, 1, 1), "Del");
    emit form.Grid3->cellClicked(2, 0);
    emit form.Grid2->cellClicked(4, 1);  // a click in the attributes alone changes nothing
    EXPECT_EQ(text(form.Grid1, 0, 3), RU("Метан"));

    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR")) {
        emit form.Grid3->cellClicked(0, 0);
        form.grab().save(QString::fromStdString((fs::path(shots) / "grad_tab.png").string()));
        emit form.Grid3->cellClicked(2, 0);
    }

    form.SpeedButton12->click();
    EXPECT_EQ(file("grad.bak"), original);
    const std::string saved = file("grad.grd");
    EXPECT_EQ(saved, joinLinesCrLf({calibrationKey(1, 1), calibrationLine(60, 2, 0.0004, "Std", true), calibrationLine(90, 1.23456789, 1, "X2")}) +
                         table3 + "#\r\n");
    // Reloaded: the table selected by the load (no table is active any more).
    EXPECT_FALSE(form.hasUnsavedChanges());
    ASSERT_EQ(form.Grid3->rowCount(), 2);
    EXPECT_EQ(text(form.Grid3, 0, 1), "");
    EXPECT_EQ(form.currentTable(), 0);
    EXPECT_EQ(text(form.Grid1, 1, 3), "X2");
    EXPECT_EQ(text(form.Grid1, 0, 4), "St " + RU("Выкл"));

    form.SpeedButton20->click();
    EXPECT_EQ(helpPages, std::vector<HelpPage>{9});
    form.close();  // nothing changed: no question
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(dialogs.messageTexts().empty());
}

TEST_F(GradTab, HidingAsksAndSavesOnlyOnOk) {
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    type(form.Grid1, 0, 3, "Y2");
    dialogs.expectMessage(Answer::Cancel);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(file("grad.grd"), original);
    EXPECT_FALSE(fs::exists(dir / "space/grad.bak"));
    EXPECT_FALSE(form.hasUnsavedChanges());  // dropped: closing the program asks nothing more

    form.show();
    EXPECT_EQ(text(form.Grid1, 0, 3), "Y");
    type(form.Grid1, 0, 3, "Y3");
    dialogs.expectMessage(Answer::Ok);
    form.hide();  // hidden by the program: the same question
    EXPECT_EQ(file("grad.grd"), table1 + joinLinesCrLf({calibrationKey(2, 2), calibrationLine(30, 5, 1, "Y3")}) + table3 + "#\r\n");
    EXPECT_EQ(file("grad.bak"), original);
    EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{RU("Файл градуировок изменен. Сохранить его?"),
                                                                RU("Файл градуировок изменен. Сохранить его?")}));
    EXPECT_EQ(dialogs.shown()[0].message.buttons, MessageButtons::OkCancel);
}

TEST_F(GradTab, HiddenWithItsMainWindowItAsksNothing) {
    QWidget mainWindow;
    TForm6 form(start, archiveName, dialogs, {}, &mainWindow);
    mainWindow.show();
    form.show();
    type(form.Grid1, 0, 3, "Y2");
    mainWindow.hide();  // the main window asks through askToSaveChanges() when it closes
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(form.hasUnsavedChanges());
    dialogs.expectMessage(Answer::Ok);
    EXPECT_TRUE(form.askToSaveChanges());
    EXPECT_NE(file("grad.grd").find(calibrationLine(30, 5, 1, "Y2")), std::string::npos);
}

TEST_F(GradTab, AFailedSaveOnCloseKeepsTheWindowAndTheEdits) {
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    type(form.Grid1, 0, 3, "Y2");
    fs::create_directory(dir / "space/grad.bak");
    dialogs.expectMessage(Answer::Ok);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.hasUnsavedChanges());
    EXPECT_EQ(text(form.Grid1, 0, 3), "Y2");
    EXPECT_EQ(file("grad.grd"), original);
    ASSERT_EQ(dialogs.messageTexts().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].message.kind, MessageKind::Error);
    fs::remove(dir / "space/grad.bak");
    dialogs.expectMessage(Answer::Ok);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(file("grad.bak"), original);
}

TEST_F(GradTab, FactorsRecountAndResponseView) {
    dir.write("space/grad.grd",
              joinLinesCrLf({calibrationKey(2, 2), calibrationLine(60, 2, 4, "St"), calibrationLine(70, 1, 1, "A"), calibrationLine(80, 0, 1, "B"), calibrationKey(1, 1),
                             calibrationLine(60, 0, 1, "Z"), "#"}));
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    ASSERT_EQ(form.currentTable(), 0);

    // S* on the second row; the value asked for, 0 leaves the field open.
    form.Grid1->setCurrentCell(1, 1);
    form.SpeedButton4->click();
    EXPECT_FALSE(form.Edit1->isHidden());
    form.Edit1->setText("0");
    emit form.Edit1->returnPressed();
    EXPECT_FALSE(form.Edit1->isHidden());
    form.Edit1->setText("1,5");
    emit form.Edit1->returnPressed();
    EXPECT_TRUE(form.Edit1->isHidden());
    EXPECT_EQ(text(form.Grid1, 1, 1), "1.5000");

    // A pending C* is cancelled by a click in the table list.
    form.SpeedButton5->click();
    emit form.Grid3->cellClicked(0, 0);
    EXPECT_TRUE(form.Edit1->isHidden());
    form.Edit1->setText("10");
    emit form.Edit1->returnPressed();
    EXPECT_EQ(text(form.Grid1, 1, 2), "1.000");

    // K: the standard 1, S_i = 0 gives "-"; the view changes nothing.
    form.SpeedButton6->click();
    EXPECT_TRUE(form.Panel4->isHidden());
    EXPECT_FALSE(form.SpeedButton13->isHidden());
    EXPECT_EQ(form.Grid1->horizontalHeaderItem(1)->text(), QStringLiteral("           K"));
    EXPECT_EQ(text(form.Grid1, 0, 1), "1.00000");
    EXPECT_EQ(text(form.Grid1, 1, 1), "0.33333");
    EXPECT_EQ(text(form.Grid1, 2, 1), "-");
    EXPECT_EQ(text(form.Grid1, 1, 2), "");
    EXPECT_FALSE(form.Grid1->item(1, 1)->flags() & Qt::ItemIsEditable);
    form.SpeedButton13->click();  // "Возврат": the rows as before K, the edit still pending
    EXPECT_EQ(text(form.Grid1, 1, 1), "1.5000");
    EXPECT_EQ(fromQString(form.Grid1->horizontalHeaderItem(1)->text()), RU("S,мВ.с"));
    EXPECT_TRUE(form.hasUnsavedChanges());

    // R: C in proportion to S over the rows that stay.
    form.Grid1->setCurrentCell(2, 0);
    form.SpeedButton10->click();  // "D" on the row with S = 0
    EXPECT_EQ(text(form.Grid1, 2, 4), "Del");
    form.SpeedButton7->click();
    EXPECT_EQ(fromQString(form.StaticText5->toolTip()), RU("суммарную концентрацию"));
    form.Edit1->setText("100");
    emit form.Edit1->returnPressed();
    EXPECT_EQ(text(form.Grid1, 0, 2), "57.143");
    EXPECT_EQ(text(form.Grid1, 1, 2), "42.857");
    EXPECT_EQ(fromQString(form.StaticText5->toolTip()), RU("значение коэффициента"));

    // R with ΣS = 0 says so and changes nothing.
    emit form.Grid3->cellClicked(1, 0);
    form.SpeedButton7->click();
    form.Edit1->setText("50");
    emit form.Edit1->returnPressed();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Сумма площадей равна 0: пересчет невозможен")});
    EXPECT_EQ(text(form.Grid1, 0, 2), "1.000");

    // M and the moved standard, "I", "-", "+".
    emit form.Grid3->cellClicked(0, 0);
    emit form.Grid1->cellDoubleClicked(1, 0);
    EXPECT_EQ(text(form.Grid1, 1, 4), "St");
    EXPECT_EQ(text(form.Grid1, 0, 4), "");
    form.SpeedButton3->click();
    EXPECT_EQ(text(form.Grid1, 0, 1), "1.5000");
    EXPECT_EQ(text(form.Grid1, 0, 2), "42.857");
    form.SpeedButton2->click();
    ASSERT_EQ(form.Grid1->rowCount(), 4);
    EXPECT_EQ(text(form.Grid1, 3, 4), "");
    form.Grid1->setCurrentCell(3, 0);
    form.SpeedButton8->click();
    EXPECT_EQ(text(form.Grid1, 3, 4), RU("Выкл"));
    form.SpeedButton9->click();
    EXPECT_EQ(text(form.Grid1, 3, 4), "");

    dialogs.expectMessage(Answer::Ok);
    form.close();
    auto a = loadCalibrationArchive(start, "grad");
    ASSERT_EQ(a.table(0).rowCount(), 3);  // the "Del" row is gone, the new row added
    EXPECT_NEAR(a.table(0).row(0).conc(), 300.0 / 7, 1e-6);
    EXPECT_DOUBLE_EQ(a.table(0).row(2).area(), 1.5);
}

TEST_F(GradTab, AttributesThroughThePickerAndTyped) {
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    emit form.Grid3->cellClicked(0, 0);  // detector 1 of a dictionary with two equal entries
    emit form.Grid2->cellClicked(0, 1);
    ASSERT_FALSE(form.ComboBox1->isHidden());
    ASSERT_EQ(form.ComboBox1->count(), 3);
    EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
    emit form.ComboBox1->activated(2);  // the second "ПИД"
    EXPECT_TRUE(form.ComboBox1->isHidden());
    EXPECT_EQ(text(form.Grid2, 0, 1), RU("ПИД"));
    EXPECT_EQ(form.archive().table(0).header().substr(1, 2), " 3");
    EXPECT_TRUE(form.hasUnsavedChanges());

    // Typed texts: one not in the dictionary is refused; the sm entry renames the table.
    type(form.Grid2, 1, 1, RU("Водород"));
    EXPECT_EQ(dialogs.messageTexts(),
              std::vector<std::string>{RU("В словаре gas нет такой строки. Выберите значение из списка")});
    EXPECT_EQ(text(form.Grid2, 1, 1), RU("Азот"));
    type(form.Grid2, 10, 1, "Mix B");
    EXPECT_EQ(text(form.Grid3, 0, 0), "Mix B");
    type(form.Grid2, 4, 1, "12345");
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Число не помещается в 4 знака заголовка таблицы"));
    type(form.Grid2, 4, 1, "7");
    EXPECT_EQ(form.archive().table(0).header().substr(0, 48),
              "# 3 1  1   1   7  10  20  30  40  50   0   0   2");

    form.SpeedButton12->click();
    EXPECT_EQ(file("grad.grd").substr(0, 48), "# 3 1  1   1   7  10  20  30  40  50   0   0   2");
}

// The values of the attributes show whole where the window has room for them, and on a narrow
// screen (the window at its least width) they still lie in sight and show whole on hover.
TEST_F(GradTab, AttributeValuesShowWholeOrOnHover) {
    static const bool tips = [] {
        installCellTextTips(*qApp);
        return true;
    }();
    ASSERT_TRUE(tips);
    const std::string column = RU("Насадочная 3 м x 3 мм, 15% ПЭГ-20М на носителе");
    dir.write("space/kolon", joinLinesCrLf({column}));
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    QApplication::processEvents();
    ASSERT_EQ(text(form.Grid2, 2, 1), column);
    const QRect shown = form.Grid2->visualItemRect(form.Grid2->item(2, 1));
    EXPECT_GE(shown.width(), QFontMetrics(form.Grid2->font()).horizontalAdvance(toQString(column)))
        << "the window widens to the longest value";
    for (const test::CutText& c : test::cutTexts(&form)) ADD_FAILURE() << "wide: " << c.where << " \"" << c.text << "\"";

    form.resize(form.minimumSizeHint().width(), form.height());
    QApplication::processEvents();
    for (int r : {0, 2, 10}) {
        const QRect cell = form.Grid2->visualItemRect(form.Grid2->item(r, 1)).intersected(form.Grid2->viewport()->rect());
        EXPECT_GE(cell.width(), 50) << "row " << r << ": the values' column lies in sight";
    }
    for (const test::CutText& c : test::cutTexts(&form)) ADD_FAILURE() << "narrow: " << c.where << " \"" << c.text << "\"";
}

TEST_F(GradTab, AnotherFile) {
    dir.write("space/other.grd", table3 + "#\r\n");
    dir.write("elsewhere/far.grd", table3 + "#\r\n");
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    type(form.Grid1, 0, 3, "Y2");

    // Unsaved edits: asked first; Cancel, then the dialog cancelled: the edits stay.
    dialogs.expectMessage(Answer::Cancel);
    dialogs.expectOpenOne(std::nullopt);
    form.SpeedButton1->click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].message.text, RU("Файл изменен. Сохранить его?"));
    const FileDialogRequest& request = dialogs.shown()[1].file;
    EXPECT_EQ(request.title, RU("Файлы градуировок"));
    EXPECT_EQ(request.filter, "*.grd |*.grd");
    EXPECT_EQ(request.initialDir, dir / "space");
    EXPECT_EQ(request.proposedName, "grad.grd");
    EXPECT_EQ(text(form.Grid1, 0, 3), "Y2");

    // A file outside the space folder is refused.
    dialogs.clear();
    dialogs.expectMessage(Answer::Cancel);
    dialogs.expectOpenOne(dir / "elsewhere/far.grd");
    form.SpeedButton1->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Файл градуировок должен находиться в папке space"));
    EXPECT_EQ(archiveName, "grad");

    dialogs.expectMessage(Answer::Ok);
    dialogs.expectOpenOne(dir / "space/other.grd");
    form.SpeedButton1->click();
    EXPECT_EQ(file("grad.grd"), table1 + joinLinesCrLf({calibrationKey(2, 2), calibrationLine(30, 5, 1, "Y2")}) + table3 + "#\r\n");
    EXPECT_EQ(archiveName, "other");
    EXPECT_EQ(fromQString(form.windowTitle()), RU("Архив градуировок. Файл other"));
    ASSERT_EQ(form.Grid3->rowCount(), 1);
    EXPECT_EQ(text(form.Grid1, 0, 3), RU("Метан"));
}

TEST_F(GradTab, EmptyAndMissingArchives) {
    dir.write("space/grad.grd", "#\r\n");
    TForm6 form(start, archiveName, dialogs, {});
    form.show();
    EXPECT_EQ(form.Grid3->rowCount(), 0);
    EXPECT_EQ(form.Grid1->rowCount(), 0);
    for (QToolButton* b : {form.SpeedButton2, form.SpeedButton3, form.SpeedButton4, form.SpeedButton5,
                           form.SpeedButton6, form.SpeedButton7, form.SpeedButton8, form.SpeedButton9,
                           form.SpeedButton10, form.SpeedButton11})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(form.SpeedButton12->isEnabled());
    form.hide();

    archiveName = "missing";
    form.show();
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.kind, MessageKind::Error);
    EXPECT_FALSE(form.SpeedButton12->isEnabled());  // nothing read, nothing to write over
    EXPECT_FALSE(form.hasUnsavedChanges());
}

TEST_F(GradTab, AppendFromThePeakTable) {
    TForm6 form(start, archiveName, dialogs, {});
    std::vector<PeakRowForCalibration> rows = {{120.4, "10.000", "1.5", RU("Пропан"), ""}};

    // Hidden window: appended without a question.
    form.AppendCalibrationTable(calibrationKey(2, 1), rows);
    EXPECT_EQ(file("grad.grd"), original.substr(0, original.size() - 3) +
                                    joinLinesCrLf({calibrationKey(2, 1), calibrationLine(120, 10, 1.5, RU("Пропан")), "#"}));
    EXPECT_TRUE(dialogs.shown().empty());

    // Open with changes: asked first, then shown again with the new table.
    form.show();
    type(form.Grid1, 0, 3, "Y2");
    dialogs.expectMessage(Answer::Ok);
    form.AppendCalibrationTable(calibrationKey(1, 2), rows);
    EXPECT_EQ(form.Grid3->rowCount(), 5);
    EXPECT_FALSE(form.hasUnsavedChanges());
    EXPECT_NE(file("grad.grd").find(calibrationLine(30, 5, 1, "Y2")), std::string::npos);

    rows[0].status = RU("Расчет");
    form.AppendCalibrationTable(calibrationKey(1, 2), rows);
    EXPECT_EQ(dialogs.messageTexts().back(),
              RU("Нет строк с пустым статусом: очистите статус у пиков стандарта и введите их концентрации"));
    EXPECT_EQ(form.Grid3->rowCount(), 5);
}

}  // namespace
}  // namespace vk7
