// Comment preview window (TForm15) "Комментарий": the comment of the file selected in an open dialog.
#pragma once

#include <string>

#include "platform/qt/tool_window.h"

class QLabel;

namespace vk7 {

class TForm15 : public ToolWindow {
    Q_OBJECT

public:
    explicit TForm15(QWidget* owner);

    // Shows a comment (Windows-1251); an empty text empties the label.
    void ShowComment(const std::string& comment);

    QLabel* Label1;
};

}  // namespace vk7
