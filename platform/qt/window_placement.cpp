#include "platform/qt/window_placement.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QWidget>
#include <QWindow>

namespace vk7 {

QRect placeWithin(const QRect& client, const QMargins& frame, const QRect& available, const QSize& minimum) {
    const QRect outer = client.marginsAdded(frame);
    const QSize least = minimum.grownBy(frame);
    const int width = std::max(std::min(outer.width(), available.width()), least.width());
    const int height = std::max(std::min(outer.height(), available.height()), least.height());
    // A window that cannot be made small enough keeps its title bar and left border on the
    // screen.
    const int x = std::max(available.left(), std::min(outer.x(), available.left() + available.width() - width));
    const int y = std::max(available.top(), std::min(outer.y(), available.top() + available.height() - height));
    return QRect(x, y, width, height).marginsRemoved(frame);
}

namespace {

// The least frame counted for a window that the window manager has not framed yet: a title bar
// and borders as large as the usual X11 window managers draw them.
constexpr QMargins kDefaultFrame(8, 40, 8, 8);

QMargins largestOf(const QMargins& a, const QMargins& b) {
    return QMargins(std::max(a.left(), b.left()), std::max(a.top(), b.top()), std::max(a.right(), b.right()),
                    std::max(a.bottom(), b.bottom()));
}

// On X11 the window manager frames a window (and places one that asked for no place) only
// once it maps it: until then Qt reports no frame and no real position. Elsewhere (the
// offscreen platform, Wayland's own decorations) what Qt reports is what is shown.
bool frameComesLate() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

QScreen* screenOfMainWindow(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget()) return parent->window()->screen();
    if (QScreen* s = QGuiApplication::screenAt(window->frameGeometry().center())) return s;
    return QGuiApplication::primaryScreen();
}

bool isPlacedWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool);
}

// Fits every window that is shown and a shown window whose size changes, counting the frame the
// window manager adds. On X11 a window is fitted once more when it is first exposed after being
// shown: the window manager has then framed it and, where the program gave no position, placed
// it, so that its place and (mostly) its real frame are known.
class WindowPlacement : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Expose && watched->isWindowType()) {
            const auto framed = awaitingFrame_.find(static_cast<QWindow*>(watched));
            if (framed != awaitingFrame_.end() && static_cast<QWindow*>(watched)->isExposed()) {
                const QPointer<QWidget> w = framed.value();
                awaitingFrame_.erase(framed);
                if (w && w->isVisible()) fit(w, true);
            }
            return QObject::eventFilter(watched, event);
        }
        if (!watched->isWidgetType() || (type != QEvent::Show && type != QEvent::Resize && type != QEvent::Hide))
            return QObject::eventFilter(watched, event);
        auto* w = static_cast<QWidget*>(watched);
        if (!isPlacedWindow(w)) return QObject::eventFilter(watched, event);
        if (type == QEvent::Hide) {
            if (w->windowHandle()) awaitingFrame_.remove(w->windowHandle());
        } else if (type == QEvent::Show) {
            const bool shownBefore = shownBefore_.contains(w);
            if (!shownBefore) {
                shownBefore_.insert(w);
                connect(w, &QObject::destroyed, this, [this, w] { shownBefore_.remove(w); });
            }
            fit(w, !frameComesLate() || shownBefore || w->testAttribute(Qt::WA_Moved));
            if (frameComesLate() && w->windowHandle()) awaitingFrame_.insert(w->windowHandle(), w);
        } else if (w->isVisible()) {
            fit(w, !(w->windowHandle() && awaitingFrame_.contains(w->windowHandle())));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The frame the window manager reports for `w`, or nothing while it has reported none (or,
    // between a window's hiding and showing, nothing sensible).
    std::optional<QMargins> ownFrame(const QWidget* w) const {
        if (w->windowFlags().testFlag(Qt::FramelessWindowHint)) return QMargins();
        const QMargins m = w->windowHandle() ? w->windowHandle()->frameMargins() : QMargins();
        if (m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0) return std::nullopt;
        if (m.isNull() && frameComesLate()) return std::nullopt;
        return m;
    }

    // Moves and shrinks `w` so that it lies whole on the screen of its main window. Where the
    // place is not known yet (the window manager will choose it), only the size is fitted.
    void fit(QWidget* w, bool placeKnown) {
        const QScreen* screen = screenOfMainWindow(w);
        if (!screen) return;
        const std::optional<QMargins> own = ownFrame(w);
        if (own) unframed_ = largestOf(unframed_, *own);
        // Until the window manager has framed the window (and Qt has heard of it, which on a
        // busy machine may come after the window is shown) its frame is taken as large as the
        // largest seen on the program's windows and at least the default: too large a frame
        // leaves a gap at the screen's edge, too small one would put the border off the screen.
        const QMargins frame = own ? *own : unframed_;
        const QRect client = w->geometry();
        const QRect placed = placeWithin(client, frame, screen->availableGeometry(), w->minimumSize());
        if (placeKnown && placed.topLeft() != client.topLeft())
            w->setGeometry(placed);  // the client area: the window manager draws the frame around it
        else if (placed.size() != client.size())
            w->resize(placed.size());
    }

    QMargins unframed_ = kDefaultFrame;  // the frame counted for a window not framed yet
    QSet<const QObject*> shownBefore_;
    QHash<QWindow*, QPointer<QWidget>> awaitingFrame_;  // shown, not yet exposed by the window manager
};

}  // namespace

void installWindowPlacement(QApplication& app) { app.installEventFilter(new WindowPlacement(&app)); }

}  // namespace vk7
