#include "platform/qt/tool_window.h"

namespace vk7 {

ToolWindow::ToolWindow(const QString& objectName, const QString& caption, QWidget* owner)
    : QWidget(owner, Qt::Tool) {
    setObjectName(objectName);
    setWindowTitle(caption);
}

void ToolWindow::showInFront() { vk7::showInFront(this); }

void showInFront(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace vk7
