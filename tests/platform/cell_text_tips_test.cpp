#include "platform/qt/cell_text_tips.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>

namespace vk7 {
namespace {

// Rests the mouse on cell (row, column) of `table`, as Qt does after the hover delay.
void hover(QTableWidget& table, int row, int column) {
    const QPoint at = table.visualItemRect(table.item(row, column)).center();
    QHelpEvent event(QEvent::ToolTip, at, table.viewport()->mapToGlobal(at));
    QApplication::sendEvent(table.viewport(), &event);
}

// Hides the tip and waits (generously) until it is gone: Qt hides it after a short delay.
bool tipHidden() {
    QToolTip::hideText();
    QDeadlineTimer deadline(30000);
    while (QToolTip::isVisible() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 50);
    return !QToolTip::isVisible();
}

// A column too narrow for "Насадочная 3 м x 3 мм, 15% ПЭГ-20М" and wide enough for "ПИД".
struct Attributes : QTableWidget {
    Attributes() : QTableWidget(3, 1) {
        const QString column = QString::fromUtf8("Насадочная 3 м x 3 мм, 15% ПЭГ-20М");
        setItem(0, 0, new QTableWidgetItem(QString::fromUtf8("ПИД")));
        setItem(1, 0, new QTableWidgetItem(column));
        setItem(2, 0, new QTableWidgetItem(column));
        item(2, 0)->setToolTip(QString::fromUtf8("своя подсказка"));
        setColumnWidth(0, 60);
        resize(200, 150);
        show();
        QApplication::processEvents();
    }
};

TEST(CellTextTips, ACutCellShowsItsWholeTextAndAWholeOneNothing) {
    static const bool installed = [] {
        installCellTextTips(*qApp);
        return true;
    }();
    ASSERT_TRUE(installed);
    ASSERT_TRUE(tipHidden());
    {
        Attributes table;
        hover(table, 0, 0);
        EXPECT_FALSE(QToolTip::isVisible()) << "a text that fits needs no tip";
        hover(table, 1, 0);
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_EQ(QToolTip::text(), table.item(1, 0)->text()) << "the cut cell shows its whole text";
        hover(table, 2, 0);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8("своя подсказка")) << "a cell's own tip stays";
    }
    ASSERT_TRUE(tipHidden());
    {
        Attributes table;
        table.setColumnWidth(0, 400);
        QApplication::processEvents();
        hover(table, 1, 0);
        EXPECT_TRUE(QToolTip::isVisible()) << "a column wide enough but running past the view's edge";
    }
    ASSERT_TRUE(tipHidden());
    {
        Attributes table;
        table.setColumnWidth(0, 400);
        table.resize(500, 150);
        QApplication::processEvents();
        hover(table, 1, 0);
        EXPECT_FALSE(QToolTip::isVisible()) << "the same text in a column wide enough, all in sight";
    }
}

}  // namespace
}  // namespace vk7
