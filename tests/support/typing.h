// Keys typed by a user: each goes the way the window system delivers it, to the active window
// (or the list dropped down in it), through the shortcuts of the menus, the key previews of
// the windows and the focused control, exactly as in the running program.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QWidget>
#include <QWindow>
#include <QtTest/QTest>

namespace vk7::test {

// Waits (a generous deadline) until the keyboard types into `window`: it is the application's
// focus window. (A tool window counts its owner as active too, so activeness is not enough.)
inline bool waitKeyboardIn(QWidget* window) {
    return QTest::qWaitFor([window] { return window->windowHandle() && QGuiApplication::focusWindow() == window->windowHandle(); },
                           10000);
}

// Makes `window` the active window, as a click on its title would, and waits until it is.
inline bool activate(QWidget* window) {
    window->activateWindow();
    window->raise();
    return waitKeyboardIn(window);
}

// One key pressed and released, with its modifiers, while `window` is the active window: the
// application hands it to the window's focused control, or to the list dropped down in it.
// (Headless, the activation follows a closed list or window late, so the keys name their
// window instead of asking the platform which one is active.)
inline void typeKeyIn(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->window()->windowHandle(), key, modifiers);
}

// Text typed character by character (Latin, digits, Cyrillic, ',' and '.') in `window`.
inline void typeTextIn(QWidget* window, const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        Qt::Key key = Qt::Key_unknown;
        if (u >= 'a' && u <= 'z') key = Qt::Key(Qt::Key_A + (u - 'a'));
        else if (u >= 'A' && u <= 'Z') key = Qt::Key(Qt::Key_A + (u - 'A'));
        else if (u < 0x80) key = Qt::Key(u);
        QTest::sendKeyEvent(QTest::Click, window->window()->windowHandle(), key, QString(c),
                            c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

// Drops the list of `combo` down with Alt+Down, in its window made active first (headless, a
// late activation of another window would close the list again). False when it did not drop.
inline bool dropDown(QComboBox* combo) {
    if (!activate(combo->window())) return false;
    typeKeyIn(combo, Qt::Key_Down, Qt::AltModifier);
    return QTest::qWaitFor([combo] { return combo->view()->isVisible(); }, 10000);
}

// Whether the list of `combo` is dropped down, waiting for it (a generous deadline).
inline bool waitDroppedDown(QComboBox* combo, bool dropped = true) {
    return QTest::qWaitFor([&] { return combo->view()->isVisible() == dropped; }, 10000);
}

}  // namespace vk7::test
