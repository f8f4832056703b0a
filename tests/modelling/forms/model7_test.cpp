#include "modelling/forms/model7.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/typing.h"

namespace vk7 {
namespace {

// A start folder with the installation data (test.mod named by mod.dat, the section model),
// the modelling window owned by a main window that is shown.
class ModelWindow : public ::testing::Test {
protected:
    ModelWindow() {
        fs::copy(fs::path(VK7_SOURCE_DIR) / "install", dir.path(), fs::copy_options::recursive);
        owner.show();
        form = std::make_unique<TForm14>(state, dialogs, clock, [this](HelpPage p) { helpShown.push_back(p); }, &owner);
    }
    ~ModelWindow() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    void type(int key, const QString& text = {}) {
        QWidget* target = QApplication::focusWidget() && form->isAncestorOf(QApplication::focusWidget())
                              ? QApplication::focusWidget()
                              : form.get();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    }
    void mouse(QEvent::Type type, int x, int y) {
        const QPointF at(x, y);
        QMouseEvent e(type, at, form->Image1->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Image1, &e);
    }
    std::string cell(int row, int column) const { return fromQString(form->Grid->item(row, column)->text()); }
    // An offscreen picture of the window for a look: VK7_SCREENSHOT_DIR names the folder.
    void save(const char* name) {
        if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
            form->grab().save(QString::fromStdString((fs::path(shots) / name).string()));
    }

    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2026, 3, 5, 14, 7, 0}};
    std::vector<HelpPage> helpShown;
    QWidget owner;
    std::unique_ptr<TForm14> form;
};

TEST_F(ModelWindow, ShowsTheInstalledModelAndSwitchesViews) {
    form->show();
    EXPECT_EQ(fromQString(form->windowTitle()), RU("Модель test.mod"));
    EXPECT_EQ(form->editState(), 1);
    EXPECT_TRUE(form->Image1->isVisible());
    EXPECT_FALSE(form->Image3->isVisible());
    EXPECT_TRUE(form->Panel3->isVisible());
    EXPECT_TRUE(form->Panel6->isVisible());
    EXPECT_EQ(form->Grid->rowCount(), 3);
    EXPECT_EQ(cell(1, 0), "     2");
    EXPECT_EQ(cell(1, 1), "       4.500");
    EXPECT_EQ(fromQString(form->Edit3->text()), " 10.000");
    EXPECT_FALSE(form->Edit3->isEnabled());
    save("vk7-model-plot.png");
    type(Qt::Key_S, "s");
    EXPECT_FALSE(form->plotShown());
    EXPECT_TRUE(form->Grid->isVisible());
    EXPECT_FALSE(form->Image1->isVisible());
    save("vk7-model-table.png");
    type(Qt::Key_S, QString::fromUtf8("ы"));  // the S key on the Russian layout
    EXPECT_TRUE(form->plotShown());
    EXPECT_TRUE(form->Image1->isVisible());
    form->SpeedButton1->click();
    EXPECT_EQ(helpShown, std::vector<HelpPage>{help_page::ChromatogramModels});
    EXPECT_TRUE(dialogs.messageTexts().empty());
}

// The length box opened by a click on its panel shows the length; a length typed there
// replaces it, and after Enter the window's letter keys act again.
TEST_F(ModelWindow, TheLengthBoxTakesTheTypedLengthInPlaceOfTheShownOne) {
    form->show();
    ASSERT_TRUE(test::activate(form.get()));
    const std::string firstTime = form->model().Rows[0][model_col::T];
    QTest::mouseClick(form->Panel5, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    ASSERT_TRUE(form->Edit3->isEnabled());
    ASSERT_EQ(QApplication::focusWidget(), form->Edit3);
    EXPECT_EQ(fromQString(form->Edit3->text()), " 10.000");
    test::typeTextIn(form.get(), QStringLiteral("5"));
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("5"));
    test::typeKeyIn(form.get(), Qt::Key_Return);
    EXPECT_FALSE(form->Edit3->isEnabled());
    EXPECT_EQ(form->model().ModelLength, 300);
    EXPECT_NEAR(parseLenient(form->model().Rows[0][model_col::T]), parseLenient(firstTime) / 2, 1e-3);
    EXPECT_TRUE(form->model().ModelModified);

    test::typeTextIn(form.get(), QStringLiteral("s"));
    EXPECT_FALSE(form->plotShown());
    dialogs.expectMessage(Answer::Cancel);  // the changed model is not saved at the end
    form->hide();
}

TEST_F(ModelWindow, AnEditedCellIsAskedForOnHidingAndKeptAcrossActivations) {
    form->show();
    form->Grid->item(0, 4)->setText("  40.000");
    EXPECT_TRUE(form->model().ModelModified);
    // A box closing re-activates the window; that must not load the model again.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(form->model().Rows[0][model_col::H], "  40.000");
    EXPECT_TRUE(form->model().ModelModified);

    dialogs.expectMessage(Answer::Ok);
    dialogs.expectSaveAs(dir / "space" / "edited");
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Модель test.mod изменена. Сохранить ее?")});
    EXPECT_EQ(readLines(dir / "space/edited.mod")[7], " 4.00000000000000E+0001");
    EXPECT_EQ(readLines(dir / "space/mod.dat"), std::vector<std::string>{"edited.mod"});

    // A save refused by the check keeps the window shown and the edit.
    form->show();
    EXPECT_EQ(form->model().ModelName, "edited.mod");
    form->Grid->item(1, 2)->setText("0");
    dialogs.expectMessage(Answer::Ok);
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Исправьте строку 2 таблицы"));
    dialogs.expectMessage(Answer::Cancel);
    form->close();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ModelWindow, F7ArmsThenWritesIntoTheChosenSection) {
    fs::remove_all(dir / "data/kanal1");  // the regime's section is gone: none is chosen
    form->show();
    type(Qt::Key_F7);
    EXPECT_EQ(form->editState(), 2);
    EXPECT_TRUE(form->Panel4->isVisible());
    EXPECT_FALSE(form->Panel6->isVisible());
    type(Qt::Key_F7);
    ASSERT_FALSE(dialogs.messageTexts().empty());
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Выберите раздел для размещения хроматограммы"));
    EXPECT_FALSE(fs::exists(dir / "data/model/H1A.HRM"));
    form->ComboBox1->setCurrentIndex(form->ComboBox1->findText(QStringLiteral("model")));
    save("vk7-model-armed.png");
    type(Qt::Key_F7);
    EXPECT_EQ(form->editState(), 1);
    EXPECT_FALSE(form->Panel4->isVisible());
    ASSERT_TRUE(fs::exists(dir / "data/model/H1A.HRM"));
    ReadRequest req;
    req.AveragingMs = 250;
    const ReadResult r = ReadChromatogram(dir / "data/model/H1A.HRM", req);
    EXPECT_EQ(r.Chrom.CommentText, RU("05.03.2026 14:07 Модель"));
    // The first peak of test.mod: 2 min, 20 mV, plus at most 0.1 mV of noise.
    EXPECT_NEAR(r.Chrom.Points[480] * kModelFullScale / 32768 * 1000, 20, 0.2);

    // Esc in the armed state in the table view: back to state 1, help page 34.
    type(Qt::Key_F7);
    type(Qt::Key_S, "s");
    type(Qt::Key_Escape);
    EXPECT_EQ(form->editState(), 1);
    EXPECT_EQ(state.HelpPage, help_page::ModelTable);
}

TEST_F(ModelWindow, PeaksInsertedAndDeletedOnThePlot) {
    dir.write("space/one.mod", joinLinesCrLf({"600", "250", "", " 0.0E+0000", " 5.0E-0001", " 8.333333333E-0003",
                                               " 8.333333333E-0003", " 1.0E+0001"}));
    dir.write("space/mod.dat", "one.mod\r\n");
    form->show();
    type(Qt::Key_I, "i");
    EXPECT_EQ(form->editState(), 8);
    mouse(QEvent::MouseButtonPress, 250, 226);
    mouse(QEvent::MouseMove, 256, 210);
    mouse(QEvent::MouseMove, 260, 200);
    mouse(QEvent::MouseButtonRelease, 260, 200);
    EXPECT_EQ(form->editState(), 1);
    ASSERT_EQ(form->Grid->rowCount(), 2);
    EXPECT_EQ(cell(0, 1), "       5.000");
    EXPECT_EQ(cell(1, 1), "       5.094");
    EXPECT_EQ(cell(1, 2), "      12.474");
    EXPECT_EQ(cell(1, 4), "      20.312");
    EXPECT_TRUE(form->model().ModelModified);
    save("vk7-model-inserted.png");

    // A click without a drag inserts nothing; D then a click near 5 minutes deletes row 1.
    type(Qt::Key_I, QString::fromUtf8("ш"));  // I on the Russian layout
    mouse(QEvent::MouseButtonPress, 300, 200);
    mouse(QEvent::MouseButtonRelease, 300, 200);
    EXPECT_EQ(form->Grid->rowCount(), 2);
    type(Qt::Key_D, "d");
    EXPECT_EQ(form->editState(), 7);
    mouse(QEvent::MouseButtonPress, 250, 100);
    EXPECT_EQ(form->Grid->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "       5.094");
    // Esc leaves the armed delete without deleting.
    type(Qt::Key_D, "d");
    type(Qt::Key_Escape);
    EXPECT_EQ(form->editState(), 1);
    EXPECT_EQ(form->Grid->rowCount(), 1);
    dialogs.expectMessage(Answer::Cancel);
}

TEST_F(ModelWindow, WithoutModDatTheWindowOpensEmptyAndQuietly) {
    fs::remove(dir / "space/mod.dat");
    form->show();
    EXPECT_EQ(form->editState(), 0);
    EXPECT_TRUE(form->Image3->isVisible());
    EXPECT_FALSE(form->Image1->isVisible());
    type(Qt::Key_F7);
    type(Qt::Key_D, "d");
    type(Qt::Key_S, "s");
    type(Qt::Key_S, "s");
    EXPECT_EQ(form->editState(), 0);
    EXPECT_TRUE(dialogs.messageTexts().empty());
    save("vk7-model-empty.png");
}

}  // namespace
}  // namespace vk7
