// Chromatogram modelling window (TForm14) "Моделирование хроматограмм": the current model as
// a plot or as a table of peaks, its length and peaks edited in the table or on the plot,
// model files loaded and saved, the model written as a chromatogram.
#pragma once

#include <functional>
#include <optional>
#include <random>
#include <string>

#include "common/clock.h"
#include "modelling/chromatogram_model.h"
#include "modelling/model_chromatogram.h"
#include "modelling/model_plot.h"
#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;

namespace vk7 {

class KeyPreview;
class PaintBox;

class TForm14 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    // `showHelpPage` stores and shows a help page (the main window's ShowHelpPage).
    TForm14(ProcessingState& state, Dialogs& dialogs, const Clock& clock, std::function<void(HelpPage)> showHelpPage,
            QWidget* owner);

    // ModelEditState: 0 no model, 1 model shown, 2 writing armed, 7 waiting for the click
    // that deletes a peak, 8 waiting for the rectangle that inserts one.
    int editState() const { return editState_; }
    bool plotShown() const { return view_ == 1; }
    const ChromatogramModel& model() const { return model_; }
    const ModelPlot& plot() const { return plot_; }

    // The window's actions, as its keys and buttons run them.
    void OpenModelDialog();                // F5
    bool SaveModelFileAction();            // F6; false when nothing was saved
    void WriteModelAsChromatogramAction(); // F7
    void ToggleModelView();                // S
    void ArmDeletePeak();                  // D (plot)
    void ArmInsertPeak();                  // I (plot)
    void Escape();

    PaintBox* Image1;
    PaintBox* Image3;
    QTableWidget* Grid;
    QWidget *Panel1, *Panel2, *Panel3, *Panel4, *Panel5, *Panel6;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5, *SpeedButton6;
    QToolButton *SpeedButton7, *SpeedButton8, *SpeedButton9, *SpeedButton10, *SpeedButton11, *SpeedButton12;
    QLabel *Label2, *Label4, *Label5;
    QLineEdit *Edit2, *Edit3;
    QComboBox* ComboBox1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handler(const std::function<void()>& action);
    // The open and save dialogs of model files, and the model name of their choice (with
    // the message when the choice is refused).
    FileDialogRequest modelDialog(const std::string& title) const;
    std::optional<std::string> chosenModelName(const std::optional<fs::path>& chosen);
    void activate();
    void setupModelWindow();
    bool askSaveModel();  // false when a save was asked for and refused by the check
    bool leaveWindow();   // the hiding: ask, write mod.dat; false keeps the window shown
    bool recompute();     // check the grid, then N and the curve; false (with the message) on a bad row
    void redraw();
    void fillGrid();
    void gridChanged(int row, int column);
    void showPlotControls();
    void restoreState();
    void lengthEntered();
    void noiseEntered();
    void sectionChosen(int index);
    void fillSections();
    void mouseDown(int x, int y);
    void mouseMove(int x, int y);
    void mouseUp(int x, int y);
    bool previewKey(QKeyEvent* event);
    void SpeedButton10Click();
    void SpeedButton11Click();

    ProcessingState& state_;
    Dialogs& dialogs_;
    const Clock& clock_;
    std::function<void(HelpPage)> showHelpPage_;
    KeyPreview* keyPreview_ = nullptr;
    std::mt19937 random_;

    ChromatogramModel model_;
    ModelPlot plot_;
    ModelRegime regime_;
    std::string section_;  // the chosen section; empty when none is valid
    int view_ = 1;
    int editState_ = 0;
    int savedState_ = 0;
    bool dragging_ = false;
    int pressX_ = 0, pressY_ = 0, lastX_ = 0, lastY_ = 0;
    bool left_ = false;  // the hiding was handled (asked, mod.dat written)
    bool filling_ = false;
};

}  // namespace vk7
