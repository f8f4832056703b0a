// The keyboard rules of every window: a panel hidden with the focus gives it back to its
// window, a box focused by the program takes typed text in place of what it shows, and the
// dropped-down list of a combo box belongs to the window's key preview.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

#include "platform/qt/key_preview.h"
#include "platform/qt/tool_window.h"
#include "tests/support/typing.h"

namespace vk7 {
namespace {

using test::activate;

// A window with a key preview, a panel with a box, a box and a list of its own, a menu
// command on Ctrl+X and a grid.
class KeyWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        panel = new QFrame(window.get());
        panel->setGeometry(10, 10, 200, 40);
        panelEdit = new QLineEdit(panel);
        panelEdit->setGeometry(4, 4, 120, 24);
        edit = new QLineEdit(window.get());
        edit->setGeometry(10, 60, 120, 24);
        combo = new QComboBox(window.get());
        combo->setEditable(true);
        combo->addItems({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")});
        combo->setGeometry(10, 90, 160, 24);
        spin = new QSpinBox(window.get());
        spin->setGeometry(10, 120, 80, 24);
        grid = new QTableWidget(2, 2, window.get());
        grid->setGeometry(10, 150, 300, 100);
        grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("cell")));
        check = new QAction(window.get());
        check->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
        window->addAction(check);
        QObject::connect(check, &QAction::triggered, [this] { ++checks; });
        new KeyPreview(window.get(), [this](QKeyEvent* e) {
            previewed.push_back(e->key());
            return e->key() == Qt::Key_Up || e->key() == Qt::Key_F8;
        });
        window->show();
        ASSERT_TRUE(activate(window.get()));
    }

    std::unique_ptr<QWidget> window;
    QFrame* panel;
    QLineEdit* panelEdit;
    QLineEdit* edit;
    QComboBox* combo;
    QSpinBox* spin;
    QTableWidget* grid;
    QAction* check;
    int checks = 0;
    std::vector<int> previewed;
};

TEST_F(KeyWindow, APanelHiddenWithTheFocusGivesItToTheWindowAndItsKeysWorkAgain) {
    panelEdit->setFocus();
    ASSERT_TRUE(isEditBox(window->focusWidget()));
    test::typeKeyIn(window.get(), Qt::Key_X, Qt::ControlModifier);  // the box cuts: the command waits
    EXPECT_EQ(checks, 0);

    panel->hide();
    EXPECT_EQ(window->focusWidget(), window.get());
    test::typeKeyIn(window.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(checks, 1);
    previewed.clear();
    test::typeKeyIn(window.get(), Qt::Key_Up);
    EXPECT_EQ(previewed, std::vector<int>{Qt::Key_Up});
    test::typeTextIn(window.get(), QStringLiteral("ab"));
    EXPECT_EQ(panelEdit->text(), QString());

    // A box hidden by itself, as one hidden after Enter.
    edit->setFocus();
    edit->hide();
    EXPECT_EQ(window->focusWidget(), window.get());
    test::typeKeyIn(window.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(checks, 2);
}

TEST_F(KeyWindow, AHiddenOrDisabledBoxIsNoEditBoxForTheKeyPreview) {
    edit->setFocus();
    EXPECT_TRUE(isEditBox(edit));
    edit->setEnabled(false);
    EXPECT_FALSE(isEditBox(edit));
    edit->setEnabled(true);
    panel->hide();
    EXPECT_FALSE(isEditBox(panelEdit));
    EXPECT_FALSE(isEditBox(nullptr));
}

// Focused by the program or by Tab, a box takes typed text in place of what it shows; a click
// places the cursor where it is.
TEST_F(KeyWindow, ABoxFocusedByTheProgramReplacesItsTextWithWhatIsTyped) {
    struct Case {
        const char* what;
        std::function<void(const QString&)> show;
        std::function<void()> focus;
        std::function<QString()> text;
        QString shown, typed, expected;
    };
    const std::vector<Case> cases = {
        {"line edit", [&](const QString& t) { edit->setText(t); }, [&] { edit->setFocus(); },
         [&] { return edit->text(); }, "15.762", "9", "9"},
        {"edit in a panel", [&](const QString& t) { panelEdit->setText(t); }, [&] { panelEdit->setFocus(); },
         [&] { return panelEdit->text(); }, "  1.500", "2", "2"},
        {"editable list", [&](const QString& t) { combo->setEditText(t); }, [&] { combo->setFocus(); },
         [&] { return combo->currentText(); }, QString::fromUtf8("Гелий"), "Xe", "Xe"},
        {"spin box", [&](const QString& t) { spin->setValue(t.toInt()); }, [&] { spin->setFocus(); },
         [&] { return spin->text(); }, "42", "7", "7"},
        {"Tab into the list", [&](const QString& t) { combo->setEditText(t); },
         [&] {
             edit->setFocus();
             test::typeKeyIn(window.get(), Qt::Key_Tab);
         },
         [&] { return combo->currentText(); }, "?", "MA", "MA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->setFocus();
        c.show(c.shown);
        c.focus();
        test::typeTextIn(window.get(), c.typed);
        EXPECT_EQ(c.text(), c.expected);
    }

    // A click puts the cursor under the mouse and typing inserts there.
    window->setFocus();
    edit->setText(QStringLiteral("15.762"));
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() - 4, edit->height() / 2));
    ASSERT_EQ(window->focusWidget(), edit);
    test::typeTextIn(window.get(), QStringLiteral("9"));
    EXPECT_EQ(edit->text(), QStringLiteral("15.7629"));
}

TEST_F(KeyWindow, KeysInTheDroppedDownListReachTheWindowFirst) {
    combo->setFocus();
    combo->showPopup();
    ASSERT_TRUE(test::waitDroppedDown(combo));
    EXPECT_TRUE(isEditBox(QApplication::focusWidget()));  // its letters find items
    previewed.clear();
    test::typeKeyIn(window.get(), Qt::Key_F8);
    EXPECT_EQ(previewed, std::vector<int>{Qt::Key_F8});
    EXPECT_TRUE(combo->view()->isVisible());  // the handler took F8; the list stays
    test::typeKeyIn(window.get(), Qt::Key_Escape);                  // not taken: the list closes as lists do
    EXPECT_TRUE(test::waitDroppedDown(combo, false));
    EXPECT_EQ(previewed.back(), Qt::Key_Escape);
}

TEST_F(KeyWindow, AToolWindowHiddenWhileActiveGivesTheActivationBackToItsOwner) {
    ToolWindow tool(QStringLiteral("Tool"), QStringLiteral("Tool"), window.get());
    auto* toolEdit = new QLineEdit(&tool);
    tool.resize(200, 80);
    tool.showInFront();
    ASSERT_TRUE(test::waitKeyboardIn(&tool));
    toolEdit->setFocus();
    tool.hide();
    EXPECT_TRUE(test::waitKeyboardIn(window.get()));
    previewed.clear();
    test::typeKeyIn(window.get(), Qt::Key_Up);
    EXPECT_EQ(previewed, std::vector<int>{Qt::Key_Up});
}

TEST_F(KeyWindow, ABoxOverAGridCellGivesTheFocusBackToTheGrid) {
    auto* picker = new QComboBox(grid->viewport());
    picker->setGeometry(grid->visualItemRect(grid->item(0, 0)));
    picker->show();
    picker->setFocus();
    picker->hide();
    EXPECT_EQ(window->focusWidget(), grid);
}

}  // namespace
}  // namespace vk7
