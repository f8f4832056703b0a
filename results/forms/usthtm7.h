// HTML protocol settings window (TForm16) "Протоколы HTML".
#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace vk7 {

class TForm17;
class TForm18;

class TForm16 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`, after the norms window
    // and the selected sums window that its buttons show; shown and hidden.
    TForm16(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, TForm17* form17,
            TForm18* form18, QWidget* owner);

    // The settings changed elsewhere (a medium chosen, a protocol written): the window shows
    // them when it is shown.
    void SettingsChanged();

    QToolButton* SpeedButton1;  // "Бланк"
    QLabel* Label1;             // the blank's name
    QToolButton* SpeedButton3;  // "Среда"
    QLabel* Label5;             // the medium
    QToolButton* SpeedButton5;  // "Суммы"
    QToolButton* SpeedButton2;  // "?"
    QLabel* Label2;             // "Оператор"
    QLineEdit* Edit2;           // the operator, taken on Enter
    QLabel* Label3;             // "Номер"
    QLineEdit* Edit1;           // the protocol number, taken when the field is left

public slots:
    void FormShow();
    void FormHide();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void Edit1Exit();
    void Edit2Enter();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showSettings();
    // Stores the settings of the window in \space\prot.dat.
    void save();
    // Takes the number of Edit1 when it changed; false (the old number shown again) when it is
    // no integer from 0 to 65535. `tell` shows the refusal.
    bool takeNumber(bool tell);

    ProcessingState& state_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;
    TForm17* form17_;
    TForm18* form18_;
    bool checkingNumber_ = false;
};

}  // namespace vk7
