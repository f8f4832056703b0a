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
    // controls, not in other windows) before the focused control; returning true consumes
    // the key. A key that a control passes on to its parents is offered only once.
    KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    std::function<bool(QKeyEvent*)> handler_;
};

// Whether `widget` is a box the user types text into (line edits, spin boxes, text edits,
// editable combo boxes).
bool isEditBox(const QWidget* widget);

}  // namespace vk7
