// Key preview: a main window sees every key typed in it before the control that has the
// focus, and may consume it.
#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QWidget>

class QKeyEvent;

namespace vk7 {

class KeyPreview : public QObject {
public:
    // `handler` gets each key press typed in `window` (in the window itself or any of its
    // controls, also in the dropped-down list of one of its combo boxes; not in other
    // windows) before the focused control; returning true consumes the key. A key that a
    // control passes on to its parents is offered only once. Puts the focus rules of
    // platform/qt/focus_rules.h in force.
    KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    std::function<bool(QKeyEvent*)> handler_;
};

// The window whose keys a key typed in `widget` is: the widget's window, or for the
// dropped-down list of a combo box the window of the combo box.
QWidget* keyWindowOf(QWidget* widget);

// Whether `widget` is a shown, enabled box the user types into (line edits, spin boxes, text
// edits, editable combo boxes, and the dropped-down list of a combo box, which takes typed
// letters to find its items). A hidden or disabled box never takes the keys of its window.
bool isEditBox(const QWidget* widget);

}  // namespace vk7
