// File list window (TForm7) "Список": the files chosen at once, the current one selected.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"

class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm7 : public ToolWindow {
    Q_OBJECT

public:
    // `showHelpPage` stores and shows a help page (the main window's ShowHelpPage).
    TForm7(std::function<void(HelpPage)> showHelpPage, QWidget* owner);

    // One row per file name (Windows-1251, at most 32 characters each), row 0 selected.
    void ShowList(const std::vector<std::string>& names);
    // Selects the row of the file being processed.
    void SelectRow(int row);
    // The names in the grid (for protocols that list the files).
    std::vector<std::string> names() const;

    QTableWidget* Grid;
    QToolButton* SpeedButton20;  // "?"

public slots:
    void SpeedButton20Click();

private:
    std::function<void(HelpPage)> showHelpPage_;
};

}  // namespace vk7
