#include "platform/qt/cell_text_tips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

namespace vk7 {

namespace {

// Answers the tooltip request of an item view's viewport for a cut cell without a tooltip of
// its own; every other request goes on to the view as usual.
class CellTextTips : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* view = qobject_cast<QAbstractItemView*>(static_cast<QWidget*>(watched)->parentWidget());
        if (!view || view->viewport() != watched) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = view->indexAt(help->pos());
        if (!index.isValid() || index.data(Qt::ToolTipRole).isValid()) return false;
        const QString text = index.data(Qt::DisplayRole).toString();
        // The part of the cell the view shows: a column may run past the view's right edge.
        const QRect cell = view->visualRect(index).intersected(view->viewport()->rect());
        if (text.isEmpty() || view->sizeHintForIndex(index).width() <= cell.width()) return false;
        QToolTip::showText(help->globalPos(), text, view->viewport(), cell);
        return true;
    }
};

}  // namespace

void installCellTextTips(QApplication& app) { app.installEventFilter(new CellTextTips(&app)); }

}  // namespace vk7
