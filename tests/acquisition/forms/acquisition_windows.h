// The four windows of the acquisition program on a start folder, as the program creates
// them, for the window tests; and keys typed into a window.
#pragma once

#include <memory>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QtTest/QTest>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7u1.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "tests/support/typing.h"

namespace vk7::test {

struct AcquisitionWindows {
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;

    // Creates the windows, the main one first, shows it and takes the about panel away.
    void open(const fs::path& start, SoundInput& input, Dialogs& dialogs, const Clock& clock) {
        form = std::make_unique<TForm1>(StartFolder(start), input, dialogs, clock, [](int) {});
        form2 = std::make_unique<TForm2>(form->engine());
        form3 = std::make_unique<TForm3>(form->engine());
        form4 = std::make_unique<TForm4>(StartFolder(start));
        form->setOtherForms(form2.get(), form3.get(), form4.get());
        form->show();
        QApplication::processEvents();
        form->Panel1->setVisible(false);
    }
    // Closes the program (true when the close went through) and frees the windows.
    bool close() {
        const bool closed = form->close();
        form3.reset();
        form2.reset();
        form4.reset();
        form.reset();
        return closed;
    }
};

// A key typed in a window: it goes to the window's focused control, each press at its own
// moment as typed keys are.
inline void typeKey(QWidget* window, int key, const QString& text = {}) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    static quint64 time = 1;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    press.setTimestamp(++time);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    release.setTimestamp(time);
    QApplication::sendEvent(target, &release);
}

// Item `index` chosen with the mouse in the dropped-down list of `combo`. False when the list
// did not drop down.
inline bool chooseInList(QComboBox* combo, int index) {
    if (!dropDown(combo)) return false;
    QAbstractItemView* list = combo->view();
    const QPoint at = list->visualRect(list->model()->index(index, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return QTest::qWaitFor([list] { return !list->isVisible(); }, 10000);
}

}  // namespace vk7::test
