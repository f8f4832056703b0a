// The three windows that prepare the HTML protocol: its settings, the media and norms, the
// selected sums; each keeps its file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/processing_state.h"
#include "results/forms/sredy7.h"
#include "results/forms/usthtm7.h"
#include "results/forms/vibsum7.h"
#include "results/protocol_files.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

QString q(const std::string& cp1251) { return toQString(cp1251); }

class ProtocolWindows : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("space/prot.dat", toCp1251("v\r\nВоздух рабочей зоны\r\npdk.htm\r\n7\r\nПетров\r\n"));
        dir.write("space/komp.dat", toCp1251("Воздух рабочей зоны\r\n-------------\r\n") +
                                        padRight(RU("Бензол"), 24) + "     0.100\r\n");
        dir.write("doc/pdk.htm", "<html></html>\r\n");
        form17 = new TForm17(state, dialogs, [this](HelpPage p) { pages.push_back(p); }, &owner);
        form18 = new TForm18(state, dialogs, [this](HelpPage p) { pages.push_back(p); }, &owner);
        form16 = new TForm16(state, dialogs, [this](HelpPage p) { pages.push_back(p); }, form17, form18, &owner);
        form17->setMediumChosen([this] { form16->SettingsChanged(); });
    }
    void TearDown() override { EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front(); }

    std::string file(const char* name) const { return readFileBytes(dir.path() / "space" / name); }
    void type(QLineEdit* edit, const std::string& text) {
        edit->setText(q(text));
        QMetaObject::invokeMethod(edit, "returnPressed");
    }
    void setCell(int row, int column, const std::string& text) {
        form17->StringGrid1->item(row, column)->setText(q(text));
    }
    void doubleClick(QWidget* w) {
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    ScriptedDialogs dialogs;
    std::vector<HelpPage> pages;
    QWidget owner;
    TForm16* form16 = nullptr;
    TForm17* form17 = nullptr;
    TForm18* form18 = nullptr;
};

TEST_F(ProtocolWindows, SettingsWindowSavesEachChange) {
    form16->show();
    EXPECT_EQ(form16->windowTitle(), q(RU("Протоколы HTML")));
    EXPECT_EQ(form16->Label1->text(), QStringLiteral("pdk.htm"));
    EXPECT_EQ(form16->Label5->text(), q(RU("Воздух рабочей зоны")));
    EXPECT_EQ(form16->Edit1->text(), QStringLiteral("7"));
    EXPECT_EQ(form16->Edit2->text(), q(RU("Петров")));

    // The operator is taken on Enter only.
    form16->Edit2->setText(q(RU("Сидоров")));
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).Operator, RU("Петров"));
    type(form16->Edit2, RU("Сидоров"));
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).Operator, RU("Сидоров"));

    // The number: 0 .. 65535.
    form16->Edit1->setText(QStringLiteral("70000"));
    form16->Edit1Exit();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Номер протокола: целое от 0 до 65535"));
    EXPECT_EQ(form16->Edit1->text(), QStringLiteral("7"));
    form16->Edit1->setText(QStringLiteral("12"));
    form16->Edit1Exit();
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).ProtocolNumber, 12);

    // The blank must lie in \doc.
    dir.write("elsewhere/x.htm", "");
    dialogs.expectOpenOne(dir.path() / "elsewhere" / "x.htm");
    form16->SpeedButton1->click();
    EXPECT_EQ(dialogs.shown().back().message.text, RU("Бланк должен лежать в папке \\doc"));
    EXPECT_EQ(dialogs.shown()[dialogs.shown().size() - 2].file.title, RU("Выбор бланка"));
    EXPECT_EQ(dialogs.shown()[dialogs.shown().size() - 2].file.filter, "*.htm |*.htm");
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).Blank, "pdk.htm");
    dir.write("doc/base_long_name_of_a_blank.htm", "");
    dialogs.expectOpenOne(dir.path() / "doc" / "base_long_name_of_a_blank.htm");
    form16->SpeedButton1->click();
    EXPECT_EQ(form16->Label1->text(), QStringLiteral("base_long_name_of_a_blank.htm"));
    EXPECT_EQ(readLines(dir.path() / "space" / "prot.dat"),
              (std::vector<std::string>{"v", RU("Воздух рабочей зоны"), "base_long_name_of_a_blank.htm", "12",
                                        RU("Сидоров")}));

    form16->SpeedButton2->click();
    EXPECT_EQ(pages, std::vector<HelpPage>{17});
    form16->SpeedButton5->click();
    EXPECT_TRUE(form18->isVisible());
    form16->hide();
    EXPECT_FALSE(form18->isVisible());
}

TEST_F(ProtocolWindows, NormsWindowEditsAndSavesTheTable) {
    form16->show();
    form16->SpeedButton3->click();
    ASSERT_TRUE(form17->isVisible());
    EXPECT_FALSE(form17->ComboBox1->isEditable());
    ASSERT_EQ(form17->StringGrid1->rowCount(), 3);
    EXPECT_EQ(form17->StringGrid1->item(0, 1)->text(), q(RU("Воздух рабочей зоны")));
    EXPECT_EQ(form17->StringGrid1->item(1, 0)->text(), q(RU("Бензол")));
    EXPECT_EQ(form17->StringGrid1->item(1, 1)->text(), QStringLiteral("0.100"));
    EXPECT_FALSE(form17->StringGrid1->item(0, 1)->flags() & Qt::ItemIsEditable);

    // "-" on the empty row and on the names' column does nothing.
    form17->StringGrid1->setCurrentCell(2, 0);
    doubleClick(form17->SpeedButton5);
    form17->SpeedButton2->click();
    EXPECT_TRUE(dialogs.shown().empty());

    // A medium and a substance.
    form17->SpeedButton1->click();
    EXPECT_TRUE(form17->Edit1->isVisible());
    EXPECT_EQ(form17->Label1->text(), q(RU("Назовите:")));
    type(form17->Edit1, "A-");
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Второй символ имени среды не может быть \"-\""));
    type(form17->Edit1, RU("Атмосферный воздух"));
    EXPECT_FALSE(form17->Edit1->isVisible());
    EXPECT_EQ(form17->ComboBox1->count(), 2);
    form17->StringGrid1->setCurrentCell(2, 0);
    doubleClick(form17->SpeedButton4);
    ASSERT_TRUE(form17->Edit2->isVisible());
    // A name longer than 24 characters is kept whole, up to what a line holds beside nine media.
    type(form17->Edit2, RU("Метиловый спирт технический, чистый д.а."));  // 40 characters
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Имя вещества длиннее 38 символов"));
    type(form17->Edit2, RU("Метиловый спирт технический"));  // 27 characters
    ASSERT_EQ(form17->StringGrid1->rowCount(), 4);
    setCell(2, 2, "abc");
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Норма должна быть неотрицательным числом"));
    EXPECT_EQ(form17->StringGrid1->item(2, 2)->text(), QString());
    setCell(2, 2, "-1");
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Норма должна быть неотрицательным числом"));
    setCell(2, 2, "0,0001");
    setCell(1, 2, "0.3");
    setCell(1, 1, "0,0015");  // three decimals would store 0.002
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR")) {
        form17->grab().save(QString::fromStdString((fs::path(shots) / "norms_window.png").string()));
        form16->grab().save(QString::fromStdString((fs::path(shots) / "html_settings_window.png").string()));
    }

    dialogs.expectMessage(Answer::Ok);
    form16->hide();
    EXPECT_FALSE(form17->isVisible());
    EXPECT_EQ(dialogs.shown().back().message.text, RU("Таблица изменена. Сохранить ее?"));
    EXPECT_EQ(file("komp.dat"), RU("Воздух рабочей зоны\r\nАтмосферный воздух\r\n-------------\r\n") +
                                    padRight(RU("Бензол"), 24) + " 1.5000E-3     0.300\r\n" +
                                    RU("Метиловый спирт технический") + "           1.0000E-4\r\n");

    // Unchanged: no question; the long name and its norms read back where they were.
    const size_t shown = dialogs.shown().size();
    form17->show();
    EXPECT_EQ(form17->StringGrid1->item(2, 0)->text(), q(RU("Метиловый спирт технический")));
    EXPECT_EQ(form17->StringGrid1->item(2, 1)->text(), QString());
    EXPECT_EQ(form17->StringGrid1->item(2, 2)->text(), QStringLiteral("1.0000E-4"));
    EXPECT_EQ(form17->StringGrid1->item(1, 1)->text(), QStringLiteral("1.5000E-3"));
    form17->hide();
    EXPECT_EQ(dialogs.shown().size(), shown);
}

TEST_F(ProtocolWindows, ChoosingAndDeletingMedia) {
    dir.write("space/komp.dat", "A\r\nB\r\nC\r\n-------------\r\n");
    dir.write("space/prot.dat", "v\r\nA\r\npdk.htm\r\n7\r\n\r\n");
    form16->show();
    form17->show();
    form17->ComboBox1->setCurrentIndex(2);
    form17->ComboBox1Change(2);
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).Medium, "C");
    EXPECT_EQ(form16->Label5->text(), QStringLiteral("C"));
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).ProtocolNumber, 7);

    form17->ComboBox1Change(0);
    form17->StringGrid1->setCurrentCell(0, 1);
    dialogs.expectMessage(Answer::Ok);
    form17->SpeedButton2->click();
    EXPECT_EQ(dialogs.shown().back().message.text, RU("Удалить столбец \"A\" из таблицы?"));
    EXPECT_EQ(LoadHtmlProtocolSettings(state.Start).Medium, "B");
    EXPECT_EQ(form17->ComboBox1->currentText(), QStringLiteral("B"));
    EXPECT_EQ(form16->Label5->text(), QStringLiteral("B"));
    dialogs.expectMessage(Answer::Cancel);
    form17->hide();
    EXPECT_EQ(file("komp.dat"), "A\r\nB\r\nC\r\n-------------\r\n");

    // At 9 media "+" is off; more media in the file are kept whole.
    std::string nine;
    for (int i = 1; i <= 10; ++i) nine += "M" + intText(i) + "\r\n";
    dir.write("space/komp.dat", nine + "-------------\r\n" + padRight("x", 24) + std::string(90, ' ') + "     1.000\r\n");
    form17->show();
    EXPECT_FALSE(form17->SpeedButton1->isEnabled());
    form17->StringGrid1->setCurrentCell(1, 0);
    doubleClick(form17->SpeedButton4);
    type(form17->Edit2, "y z");
    form17->StringGrid1->setCurrentCell(1, 0);
    dialogs.expectMessage(Answer::Cancel);
    doubleClick(form17->SpeedButton5);
    EXPECT_EQ(dialogs.shown().back().message.text, RU("Удалить строку \"y\" из таблицы?"));
    dialogs.expectMessage(Answer::Ok);
    form17->hide();
    const NormsTable saved = LoadNormsTable(state.Start);
    ASSERT_EQ(saved.Media.size(), 10u);
    ASSERT_EQ(saved.Substances.size(), 2u);
    EXPECT_EQ(saved.Substances[0].Name, "y z");
    EXPECT_EQ(saved.norm("x", 9), 1.0);
}

TEST_F(ProtocolWindows, SumsWindowWritesOneMarkPerCell) {
    std::vector<std::string> lines(40, "010000");
    dir.write("space/mask.dat", joinLinesCrLf(lines));
    form18->show();
    ASSERT_EQ(form18->StringGrid1->rowCount(), 32);
    EXPECT_EQ(form18->StringGrid1->horizontalHeaderItem(0)->text(), q(RU("№ п.")));
    EXPECT_EQ(form18->StringGrid1->horizontalHeaderItem(6)->text(), QStringLiteral("EC6"));
    EXPECT_EQ(form18->StringGrid1->item(31, 0)->text(), QStringLiteral(" 32"));
    EXPECT_EQ(form18->StringGrid1->item(0, 2)->text(), QStringLiteral("1"));
    form18->StringGrid1->item(0, 1)->setText(QStringLiteral("1"));
    form18->StringGrid1->item(0, 2)->setText(QStringLiteral("11"));
    form18->StringGrid1->item(1, 3)->setText(QString());
    form18->hide();
    const auto mask = readLines(dir.path() / "space" / "mask.dat");
    ASSERT_EQ(mask.size(), 32u);
    EXPECT_EQ(mask[0], "100000");
    EXPECT_EQ(mask[1], "010000");
    form18->SpeedButton1->click();
    EXPECT_EQ(pages, std::vector<HelpPage>{19});
}

// The sums' grid shows all seven columns beside its scroll bar, the last one too.
TEST_F(ProtocolWindows, SumsWindowShowsEveryColumnWithoutScrollingSideways) {
    dir.write("space/mask.dat", joinLinesCrLf(std::vector<std::string>(32, "010000")));
    form18->show();
    QApplication::processEvents();
    const QHeaderView* heading = form18->StringGrid1->horizontalHeader();
    for (int c = 0; c <= 6; ++c)
        EXPECT_LE(heading->sectionViewportPosition(c) + heading->sectionSize(c), form18->StringGrid1->viewport()->width())
            << "column " << c;
    EXPECT_FALSE(form18->StringGrid1->horizontalScrollBar()->isVisible());
    EXPECT_LE(form18->SpeedButton1->geometry().right(), form18->width());
}

}  // namespace
}  // namespace vk7
