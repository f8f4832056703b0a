// Selected sums window (TForm18) "Выборочные суммы".
#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"

class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm18 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm18(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner);

    QTableWidget* StringGrid1;   // "№ п.", "EC1" .. "EC6"; one row per table row 1 .. 32
    QToolButton* SpeedButton1;   // "?"

public slots:
    void FormShow();  // LoadSumsMask into the grid
    void FormHide();  // the grid to \space\mask.dat, always
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ProcessingState& state_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;
    bool loaded_ = false;  // the grid holds mask.dat: only then does hiding write it
};

}  // namespace vk7
