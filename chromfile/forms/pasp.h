// Passport window (TForm2) "Паспорт хроматограммы".
#pragma once

#include <functional>

#include "chromfile/passport.h"
#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"

class QComboBox;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm2 : public ToolWindow {
    Q_OBJECT

public:
    // What the window asks of the main window.
    struct Hooks {
        // Stores the page as the one chosen last and shows it in the help window.
        std::function<void(HelpPage)> showHelpPage;
        // The passport changed the open chromatogram: with `reread` its samples or its rate
        // changed in the file and it has to be read again; otherwise only header values in
        // memory are new (the plot and the comment box show them again).
        std::function<void(bool reread)> chromatogramChanged;
    };

    // Created once at program start with the main window as `owner`; shown and hidden. Reads
    // \space\regn.txt and the dictionaries; a missing one gives one notice when the window
    // is first shown.
    TForm2(ProcessingState& state, Dialogs& dialogs, Hooks hooks, QWidget* owner = nullptr);

    // The grid was clicked or edited, or the template applied, since the window was shown
    // or the passport written.
    bool PassportChanged() const { return passportChanged_; }

    // Column 1 from the open chromatogram (after it was read, and when the window is shown).
    void FillPassportGrid();
    // \results\pasp.txt from the open chromatogram, for the peak table. Throws IoError.
    void WritePassportText();
    // Writes the grid into the chromatogram file; false when a value was refused (the
    // refusal is shown) or nothing is open. Throws IoError.
    bool RewriteChromatogramPassport();

    const PassportSources& sources() const { return sources_; }
    const PassportGrid& grid() const { return grid_; }

    // Components.
    QWidget* Panel1;
    QToolButton* SpeedButton2;   // "Сделать образцовым"
    QToolButton* SpeedButton3;   // "Переписать по образцовому"
    QToolButton* SpeedButton12;  // write the passport into the file
    QToolButton* SpeedButton1;   // "?"
    QTableWidget* Grid;
    QComboBox* ComboBox1;        // dictionary picker over a cell of column 1

public slots:
    void GridClick(int row, int column);
    void ComboBox1Change(int index);
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton12Click();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showGrid();
    void hidePicker();
    void GridSetEditText(int row, int column);
    // Rewrites and refreshes the chromatogram in memory; false when refused.
    bool rewrite();
    // The question on hiding; OK writes. A refused or failed write shows the window again
    // with the edits kept.
    void askOnHide();
    bool chromatogramOpen() const;

    ProcessingState& state_;
    Dialogs& dialogs_;
    Hooks hooks_;
    PassportSources sources_;
    PassportGrid grid_;
    bool passportChanged_ = false;
    bool filling_ = false;
    bool keepEditsOnShow_ = false;
    bool noticesPending_ = false;
    int pickerRow_ = -1;
};

}  // namespace vk7
