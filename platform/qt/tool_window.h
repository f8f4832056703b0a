// A tool window of a program: a window of its own that stays on top of the main window
// it belongs to, is shown and hidden, and lives as long as the main window.
#pragma once

#include <QString>
#include <QWidget>

namespace vk7 {

class ToolWindow : public QWidget {
    Q_OBJECT

public:
    // `owner` is the main window; the tool window stays on top of it.
    ToolWindow(const QString& objectName, const QString& caption, QWidget* owner);

    // Shows the window, brings it to the front and gives it the focus.
    void showInFront();
};

// Shows any window in front of the others, with the focus.
void showInFront(QWidget* window);

}  // namespace vk7
