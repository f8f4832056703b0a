// Processing parameters window (TForm3) "Параметры обработки".
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm3 : public ToolWindow {
    Q_OBJECT

public:
    // What the window asks of the others, wired when the program's windows are created.
    struct Hooks {
        std::function<void()> reloadChromatogram;    // the main window's ReloadChromatogram
        std::function<void()> switchArchive;         // the calibration archive window's "Другой файл"
        std::function<void(HelpPage)> showHelpPage;
    };

    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm3(ProcessingState& state, Dialogs& dialogs, QWidget* owner);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Captions and values of the settings, the archive name and the filter box.
    void FillParameterGrid();
    // The window is left (deactivated towards another window, or hidden): a changed setting
    // re-reads the shown chromatogram.
    void FormDeactivate();

    bool parametersChanged() const { return parametersChanged_; }
    // The text of a grid cell (column 0 caption, 1 value).
    std::string cellText(int row, int column) const;

    QTableWidget* Grid;
    QComboBox* ComboBox1;      // "Выберите"
    QFrame* Panel1;
    QToolButton* SpeedButton1;   // "Другой файл градуировок"
    QLabel* Label1;              // "Активный файл градуировок"
    QToolButton* SpeedButton2;   // "Сохранить методику"
    QCheckBox* CheckBox1;        // "Дополн. фильтр"
    QToolButton* SpeedButton20;  // "?"

public slots:
    void GridSelectCell(int row, int column);
    void GridSetEditText(int row, const std::string& text);
    void ComboBox1Change(int index);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void CheckBox1Click();
    void SpeedButton20Click();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseMethodology();
    std::optional<std::string> chosenMethodology(bool save);
    // Runs `action` with the window's own dialogs open: their activation is not a leave.
    template <class F>
    void inOwnDialog(F&& action);

    ProcessingState& state_;
    Dialogs& dialogs_;
    Hooks hooks_;
    bool parametersChanged_ = false;
    bool filling_ = false;
    int ownDialogs_ = 0;
    int comboRow_ = -1;
    std::string shownRow9_;  // row 9's text as last shown
};

}  // namespace vk7
