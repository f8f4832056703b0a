// Topic summaries window (TForm13) "Сводные данные по результатам анализов": the table of
// the active topic, adding the current result, new topics, the trend chart of a substance
// with its zoom and cursor, its picture and the printouts.
#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"
#include "results/topics.h"
#include "results/trend_chart.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;

namespace vk7 {

class PaintBox;

class TForm13 : public ToolWindow {
    Q_OBJECT

public:
    struct Services {
        Dialogs& dialogs;
        Printer& printer;
        std::function<void(HelpPage)> showHelpPage;
        // Saves a picture as \results\<the next number>.gif; nullopt when no number is free.
        std::function<std::optional<fs::path>(const QImage&)> savePicture;
        // Whether the summary table (tabsum.txt) and the normalised table (tablr.txt) are the
        // current result's.
        std::function<bool()> summaryWritten;
        std::function<bool()> normalisedShown;
    };

    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm13(ProcessingState& state, Services services, QWidget* owner);

    // Components.
    PaintBox* Image1;
    QTableWidget* StringGrid1;
    QLabel *Label3, *Label4, *Label5, *Label7, *Label9, *Label16, *Label18, *Label19;
    QFrame* Panel4;
    QLabel *Label10, *Label11, *Label12, *Label13, *Label14, *Label15;
    QFrame* Panel5;
    QLabel* Label17;
    QComboBox* ComboBox1;
    QLineEdit* Edit1;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5, *SpeedButton6,
        *SpeedButton7, *SpeedButton8, *SpeedButton9, *SpeedButton11, *SpeedButton16, *SpeedButton27;

    // What the window holds.
    const ThemeBase& base() const { return base_; }
    const ThemeFile& theme() const { return theme_; }
    int changeCount() const { return changeCount_; }
    const std::optional<TrendScale>& chartScale() const { return scale_; }
    int cursorX() const { return cursorX_; }

    void SpeedButton1Click();  // "A": add the current result
    void SpeedButton2Click();  // choose a topic
    void SpeedButton3Click();  // "N": a new topic
    void ComboBox1Change(int index);
    void SpeedButton7Click();  // "Далее"
    void SpeedButton5Click();  // "D": mark or unmark the current row
    void SpeedButton6Click();  // "График"
    void SpeedButton8Click();  // back to the table
    void SpeedButton9Click();  // zoom by a rectangle
    void SpeedButton11Click(); // "Обзор "
    void SpeedButton16Click(); // print the table or the chart
    void SpeedButton27Click(); // save the chart as a picture
    void Image1MouseDown(int x, int y);
    void Image1MouseMove(int x, int y);
    void Image1MouseUp(int x, int y);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormShow();
    void loadTheme();
    void showTheme();
    void showCurrentAnalysis();
    void showTableView();
    void askToSave();
    void toggleRow(int row);
    void drawChart(bool withFit);
    void showReadout();
    CurrentResult currentResult() const;
    bool chartShown() const;

    ProcessingState& state_;
    Services services_;
    ThemeBase base_;
    ThemeFile theme_;
    bool themeFound_ = false;
    int changeCount_ = 0;

    // The new-topic selection.
    bool selecting_ = false;
    std::vector<SelectionRow> selection_;
    int newKind_ = 0;
    int step_ = 0;

    // The chart.
    std::optional<TrendData> data_;
    std::optional<TrendScale> scale_;
    std::optional<TrendFit> fit_;
    bool withFit_ = true;
    std::string substance_;
    int cursorX_ = 100;
    bool zoomArmed_ = false;
    bool dragging_ = false;
    CanvasPoint dragStart_, dragCurrent_;
};

}  // namespace vk7
