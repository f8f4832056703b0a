// Excel protocol settings window (TForm19) "Протоколы Excel".
#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"
#include "results/office_protocols.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace vk7 {

class TForm19 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm19(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner);

    QLabel* Label1;   // the blank's name
    QLabel* Label2;   // "Оператор"
    QLineEdit* Edit2;  // the operator
    QLabel* Label3;   // "Номер"
    QLineEdit* Edit1;  // the protocol number
    QToolButton* SpeedButton1;  // "Бланк"
    QToolButton* SpeedButton2;  // "?"

    // A protocol advanced the number: the field shows it.
    void protocolNumberChanged(int number);

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Every edit is saved at once, so that a protocol written meanwhile takes it.
    void save();

    ProcessingState& state_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;
    ExcelProtocolSettings settings_;
};

}  // namespace vk7
