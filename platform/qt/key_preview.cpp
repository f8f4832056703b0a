#include "platform/qt/key_preview.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "platform/qt/focus_rules.h"

namespace vk7 {

namespace {

// The combo box whose dropped-down list holds `widget`, if any.
const QComboBox* comboOfPopup(const QWidget* widget) {
    const QWidget* top = widget ? widget->window() : nullptr;
    if (!top || top->windowType() != Qt::Popup) return nullptr;
    return qobject_cast<const QComboBox*>(top->parentWidget());
}

}  // namespace

KeyPreview::KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
    installFocusRules();
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (qApp) qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !window_ || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (keyWindowOf(widget) != window_) return false;
    // The application delivers a key to the focused control first and then, when that
    // control ignores it, to each of its parents; only that first delivery is offered, so
    // a key is never acted on twice.
    QWidget* top = widget->window();
    QWidget* focus = top->focusWidget();
    if (widget != (focus ? focus : top)) return false;
    return handler_(static_cast<QKeyEvent*>(event));
}

QWidget* keyWindowOf(QWidget* widget) {
    if (!widget) return nullptr;
    if (const QComboBox* combo = comboOfPopup(widget)) return combo->window();
    return widget->window();
}

bool isEditBox(const QWidget* w) {
    if (!w || !w->isVisible() || !w->isEnabled()) return false;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return true;
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->isEditable();
    return comboOfPopup(w) != nullptr;
}

}  // namespace vk7
