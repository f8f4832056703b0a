// Keys typed by a user: each goes the way the window system delivers it, to the active window
// (or the list dropped down in it), through the shortcuts of the menus, the key previews of
// the windows and the focused control, exactly as in the running program.
#pragma once

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

// The window the keyboard types into now: the focus window of the application.
inline QWindow* keyboardWindow() {
    if (QWindow* w = QGuiApplication::focusWindow()) return w;
    QWidget* active = QApplication::activeWindow();
    return active ? active->windowHandle() : nullptr;
}

// One key pressed and released, with its modifiers.
inline void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(keyboardWindow(), key, modifiers);
}

// Text typed character by character (Latin, digits, Cyrillic, ',' and '.').
inline void typeText(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        Qt::Key key = Qt::Key_unknown;
        if (u >= 'a' && u <= 'z') key = Qt::Key(Qt::Key_A + (u - 'a'));
        else if (u >= 'A' && u <= 'Z') key = Qt::Key(Qt::Key_A + (u - 'A'));
        else if (u < 0x80) key = Qt::Key(u);
        QTest::sendKeyEvent(QTest::Click, keyboardWindow(), key, QString(c),
                            c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

// Whether the list of `combo` is dropped down, waiting for it (a generous deadline).
inline bool waitDroppedDown(QComboBox* combo, bool dropped = true) {
    return QTest::qWaitFor([&] { return combo->view()->isVisible() == dropped; }, 10000);
}

}  // namespace vk7::test
