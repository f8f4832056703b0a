#include "platform/qt/focus_rules.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

namespace vk7 {

namespace {

// The grid (or list) that holds `w`, such as a cell editor or a picker placed over a cell.
QAbstractItemView* itemViewOf(const QWidget* w) {
    for (QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(p)) return view;
    return nullptr;
}

// A focus the user did not place with the mouse: a handler's setFocus, Tab, a shortcut.
bool placedByProgramOrKeyboard(Qt::FocusReason reason) {
    return reason == Qt::OtherFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

void selectWholeText(QWidget* w) {
    // The cell editors of a grid are the grid's own business: it opens them for a typed key
    // and decides itself what becomes of the cell's text.
    if (itemViewOf(w)) return;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable() && combo->lineEdit()) combo->lineEdit()->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // The line edit of an editable combo box gets its focus through the combo box.
        if (!qobject_cast<QComboBox*>(edit->parentWidget())) edit->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        spin->selectAll();
    }
}

class FocusRules : public QObject {
public:
    explicit FocusRules(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("vk7FocusRules")); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::FocusIn) {
            if (placedByProgramOrKeyboard(static_cast<QFocusEvent*>(event)->reason())) selectWholeText(w);
        } else if (event->type() == QEvent::Hide) {
            if (w->isWindow())
                toolWindowHidden(w);
            else
                controlHidden(w);
        }
        return false;
    }

private:
    // A control (or the panel holding it) hidden while it has the focus of a window that
    // stays shown: the focus goes to the window, so that its key handlers see the keys and no
    // hidden box takes them (nor the shortcuts, such as Ctrl+X, that an edit box claims). A
    // box over a grid's cell gives it back to the grid.
    static void controlHidden(QWidget* w) {
        QWidget* top = w->window();
        if (!top || !top->isVisible()) return;
        QWidget* focus = top->focusWidget();
        if (!focus || focus == top || (focus != w && !w->isAncestorOf(focus))) return;
        QAbstractItemView* grid = itemViewOf(w);
        if (grid && grid->isVisible() && grid->isEnabled())
            grid->setFocus(Qt::OtherFocusReason);
        else
            top->setFocus(Qt::OtherFocusReason);
    }

    // A tool window that goes away while it is the active window: its owner becomes active,
    // as the window the user works in.
    static void toolWindowHidden(QWidget* w) {
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Tool && type != Qt::Window) return;
        // The platform may have taken the activation away already; the focus window says
        // where the keyboard was.
        const bool active = QApplication::activeWindow() == w ||
                            (w->windowHandle() && QGuiApplication::focusWindow() == w->windowHandle());
        if (!active || !w->parentWidget()) return;
        QWidget* owner = w->parentWidget()->window();
        if (!owner || !owner->isVisible()) return;
        owner->activateWindow();
    }
};

}  // namespace

void installFocusRules() {
    if (!qApp || qApp->findChild<QObject*>(QStringLiteral("vk7FocusRules"), Qt::FindDirectChildrenOnly)) return;
    qApp->installEventFilter(new FocusRules(qApp));
}

}  // namespace vk7
