#include "platform/qt/key_preview.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace vk7 {

KeyPreview::KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (qApp) qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !window_ || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_) return false;
    // The application delivers a key to the focused control first and then, when that
    // control ignores it, to each of its parents; only that first delivery is offered, so
    // a key is never acted on twice.
    QWidget* focus = window_->focusWidget();
    if (widget != (focus ? focus : window_.data())) return false;
    return handler_(static_cast<QKeyEvent*>(event));
}

bool isEditBox(const QWidget* w) {
    if (!w) return false;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return true;
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->isEditable();
    return false;
}

}  // namespace vk7
