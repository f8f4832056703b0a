// Peak table window (TForm4) "Таблица пиков".
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/qt/tool_window.h"
#include "processing/calibration_archive.h"
#include "processing/help_pages.h"
#include "processing/peak_table.h"
#include "processing/processing_state.h"

class QColor;
class QComboBox;
class QFrame;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm1;

class TForm4 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    // `showHelpPage` stores and shows a help page (the main window's ShowHelpPage).
    TForm4(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner);

    // What the window asks of the others, wired when the program's windows are created.
    struct Hooks {
        // Draws the plot again and saves it as \results\fig.gif (after a substance is picked).
        std::function<void()> plotChanged;
        // "Превратить в стандарт для градуировки": the calibration archive window's append.
        std::function<void(const std::string& key, const std::vector<PeakRowForCalibration>& rows)>
            appendCalibrationTable;
        // The buttons of the protocols and the result tables.
        std::function<void()> print, excel, word, html, normalise, normalConditions, formula, average;
    };
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Enter in the main window (and its "Таблица пиков"): builds the table of the open
    // chromatogram and shows it, or steps to the next file of the several-files list, or
    // shows the summary after the last one.
    void EnterPeakTable(TForm1& main);

    // The grid for the table of one chromatogram / for the summary of the several-files mode.
    void FillPeakTableGrid();
    void ShowSummaryGrid();
    // The substance picker's items (from the calibration points).
    void LoadSubstanceNames();
    // The grid from \results\tabl.txt (an averaged or recalculated table): its title as the
    // caption, a silver grid, the heading "C, 1/см3". Throws IoError.
    void LoadTableGrid();
    // The grid from \results\tablr.txt (the normalised table): the ordinary colours, the
    // heading "C, %". Throws IoError.
    void LoadNormalisedGrid();
    // After "Пересчет" rewrote tabl.txt: the concentration column of the rows that are
    // tabl.txt's takes the recalculated values (100000 and more in the exponent form) and the
    // caption `suffix`; colours, statuses, the substance picker and the standard stay as they
    // are. A grid whose rows are not tabl.txt's (the summary of the several-files mode, or its
    // normalisation) shows the recalculated tabl.txt instead. Throws IoError.
    void ShowRecalculatedConcentrations(const std::string& suffix);
    // Whether the grid shows a table read from a file rather than the peaks of the open
    // chromatogram or the summary collected in this run.
    bool fileTableShown() const { return fileTableShown_; }

    // What the window shows.
    PeakTableContent& content() { return content_; }
    const PeakTableContent& content() const { return content_; }
    // The text of a grid cell; row 1 is the first peak, row 0 the captions. Number cells
    // hold their texts without the aligning blanks.
    std::string cellText(int row, int column) const;
    int rowCount() const;  // data rows

    // "Печатать таблицу и паспорт": the grid and, unless in the several-files mode, the
    // heading and \results\pasp.txt (checked before anything is printed).
    void PrintTable(Printer& printer);

    // Components.
    QFrame* Panel1;              // the grid's panel
    QTableWidget* Grid;
    QFrame* Panel2;              // buttons
    QToolButton* SpeedButton20;  // "?"
    QToolButton* SpeedButton1;   // "Печатать таблицу и паспорт"
    QToolButton* SpeedButton2;   // "Превратить в стандарт для градуировки"
    QToolButton* SpeedButton4;   // "Excel"
    QToolButton* SpeedButton5;   // "Word"
    QToolButton* SpeedButton3;   // "включить/выключить подбор"
    QComboBox* ComboBox1;        // the substance picker
    QToolButton* SpeedButton6;   // "HTML"
    QToolButton* SpeedButton7;   // "Нормал"
    QToolButton* SpeedButton8;   // "НКУ"
    QToolButton* SpeedButton9;   // "C'=aC/b"
    QToolButton* SpeedButton10;  // "Усредн"

    bool namePickMode() const { return namePickMode_; }

public slots:
    void FormShow();
    void ComboBox1Change(int index);
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton20Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormResize();
    void setCaption(const std::string& caption);
    void fillRows(const std::vector<PeakTableRow>& rows, bool summary);
    // The grid from rows of cell texts (number .. status), `colour` for the cells, `fixed` for
    // the columns that cannot be edited and the heading.
    void fillGrid(const std::vector<std::vector<std::string>>& rows, const QColor& colour, const QColor& fixed,
                  const std::string& concHeading);
    void loadFileGrid(const std::filesystem::path& file, bool normalised);
    bool pickerAllowed() const;
    void updatePicker();
    // The window at the main window's left edge, its top 90 pixels above the main window's
    // bottom, shown without taking the focus from it.
    void placeAndShow(TForm1& main);
    void afterTable(TForm1& main);
    void finishSummary(TForm1& main);

    ProcessingState& state_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;
    Hooks hooks_;
    PeakTableContent content_;
    bool namePickMode_ = false;
    bool fileTableShown_ = false;
    bool rowsOfTabl_ = false;  // the grid's rows are those of tabl.txt, in its order
};

}  // namespace vk7
