// TForm6 "Архив градуировок": the calibration archive window.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "platform/dialogs.h"
#include "processing/calibration_archive.h"
#include "processing/help_pages.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm6 : public QWidget {
    Q_OBJECT

public:
    // `archiveName` is the processing setting that names the active archive; "Другой файл"
    // changes it. `showHelpPage` stores the page as the one chosen last and shows it.
    TForm6(const StartFolder& start, std::string& archiveName, Dialogs& dialogs,
           std::function<void(HelpPage)> showHelpPage, QWidget* parent = nullptr);

    // The archive in the window differs from its file.
    bool hasUnsavedChanges() const;
    // Asks "Файл градуировок изменен. Сохранить его?" when there are unsaved changes; OK saves,
    // Cancel drops them; either way the window reads the archive afresh when it is shown
    // next. False only when the save failed: the changes are then still in the window.
    // The main window calls it when the program closes.
    bool askToSaveChanges();

    // "Превратить в стандарт для градуировки" of the peak table: appends the rows with an empty
    // status as a new table under `key`. When the window is open it first asks about its own
    // unsaved changes and shows the archive again afterwards.
    void AppendCalibrationTable(const std::string& key, const std::vector<PeakRowForCalibration>& rows);

    // Components.
    QWidget* Panel1;
    QToolButton* SpeedButton20;  // "?"
    QToolButton* SpeedButton1;   // "Другой файл"
    QToolButton* SpeedButton12;  // "Сохранить файл"
    QToolButton* SpeedButton11;  // "D": "Удалить таблицу"
    QTableWidget* Grid3;         // tables of the file
    QTableWidget* Grid1;         // rows of the selected table
    QTableWidget* Grid2;         // attributes of the selected table
    QComboBox* ComboBox1;        // dictionary picker over Grid2
    QWidget* Panel4;             // operation buttons
    QToolButton* SpeedButton3;   // "M"
    QToolButton* SpeedButton4;   // "S*"
    QToolButton* SpeedButton5;   // "C*"
    QToolButton* SpeedButton6;   // "K"
    QToolButton* SpeedButton7;   // "R"
    QToolButton* SpeedButton2;   // "I"
    QToolButton* SpeedButton8;   // "-"
    QToolButton* SpeedButton9;   // "+"
    QToolButton* SpeedButton10;  // "D": "Удаление строки"
    QLabel* StaticText5;         // "Введите:"
    QLineEdit* Edit1;
    QToolButton* SpeedButton13;  // "Возврат"

    // State the tests look at.
    const CalibrationArchive& archive() const { return archive_; }
    int currentTable() const { return currentTable_; }

public slots:
    void FormShow();
    void Grid3Click(int row);
    void Grid1DblClick(int row);
    void Grid1SetEditText(int row, int column);
    void Grid2Click(int row, int column);
    void Grid2SetEditText(int row, int column);
    void ComboBox1Change(int index);
    void Edit1Enter();
    void SpeedButton1Click();   // "Другой файл"
    void SpeedButton2Click();   // "I"
    void SpeedButton3Click();   // "M"
    void SpeedButton4Click();   // "S*"
    void SpeedButton5Click();   // "C*"
    void SpeedButton6Click();   // "K"
    void SpeedButton7Click();   // "R"
    void SpeedButton8Click();   // "-"
    void SpeedButton9Click();   // "+"
    void SpeedButton10Click();  // "D" of a row
    void SpeedButton11Click();  // "D" of a table
    void SpeedButton12Click();  // "Сохранить файл"
    void SpeedButton13Click();  // "Возврат"
    void SpeedButton20Click();  // "?"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class EditMode { None, AreaFactor, ConcFactor, TotalConc };

    void loadArchive();
    void installArchive(CalibrationArchive archive);
    void dropArchive();
    void save();
    CalibrationTable* table();
    int selectedRow() const;

    void showTableList();
    void showCalibrationRows();  // the table shown anew: "St" back on the first row
    void refreshRows();
    void refreshRow(int r);
    void showCalibrationPassport();
    void widenAttributesToTheirTexts();
    void showResponseFactors();
    void leaveResponseFactors();
    void askForValue(EditMode mode);
    void cancelValue();
    void updateButtons();
    void hidePicker();
    void reportRowEdit(RowEdit e);
    void reportAttributeEdit(AttributeEdit e, int row);

    const StartFolder& start_;
    std::string& archiveName_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;

    CalibrationArchive archive_;
    bool loaded_ = false;  // the archive was read; only then can it be saved
    CalibrationDictionaries dictionaries_;
    std::vector<std::string> captions_;
    void loadCaptions();
    int currentTable_ = -1;
    EditMode editMode_ = EditMode::None;
    int valueRow_ = -1;              // the row S* or C* applies to
    double totalConcentration_ = 0;  // the total entered last for R
    bool responseView_ = false;      // the K view is shown
    int pickerRow_ = -1;             // the Grid2 row the picker is open for
    bool filling_ = false;           // cells are being filled by the program
};

}  // namespace vk7
