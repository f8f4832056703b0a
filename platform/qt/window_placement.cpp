#include "platform/qt/window_placement.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace vk7 {

QRect placeWithin(const QRect& frame, const QRect& available) {
    const int width = std::min(frame.width(), available.width());
    const int height = std::min(frame.height(), available.height());
    const int x = std::clamp(frame.x(), available.left(), available.left() + available.width() - width);
    const int y = std::clamp(frame.y(), available.top(), available.top() + available.height() - height);
    return QRect(x, y, width, height);
}

namespace {

QScreen* screenOfMainWindow(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget()) return parent->window()->screen();
    if (QScreen* s = QGuiApplication::screenAt(window->frameGeometry().center())) return s;
    return QGuiApplication::primaryScreen();
}

bool isPlacedWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool);
}

// Fits every window that is shown, and a shown window whose size changes.
class WindowPlacement : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Resize) && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (isPlacedWindow(w) && (type == QEvent::Show || w->isVisible())) fitOnScreen(w);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void fitOnScreen(QWidget* window) {
    const QScreen* screen = screenOfMainWindow(window);
    if (!screen) return;
    // The frame (title bar, borders) is known only once a window has been shown: before, the
    // main window's frame stands for it.
    QSize decoration = window->frameGeometry().size() - window->geometry().size();
    if (decoration.isNull() && window->parentWidget()) {
        const QWidget* main = window->parentWidget()->window();
        decoration = main->frameGeometry().size() - main->geometry().size();
    }
    const QRect frame(window->pos(), window->size() + decoration);
    const QRect placed = placeWithin(frame, screen->availableGeometry());
    if (placed.size() != frame.size()) window->resize(placed.size() - decoration);
    if (placed.topLeft() != frame.topLeft()) window->move(placed.topLeft());
}

void installWindowPlacement(QApplication& app) { app.installEventFilter(new WindowPlacement(&app)); }

}  // namespace vk7
