// Media and norms window (TForm17) "Обследуемые среды , ПДК или нормы".
#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/help_pages.h"
#include "processing/processing_state.h"
#include "results/protocol_files.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm17 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    // `mediumChosen` is told when the protocol's medium changed (the settings window shows it).
    TForm17(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner);
    void setMediumChosen(std::function<void()> mediumChosen) { mediumChosen_ = std::move(mediumChosen); }

    static constexpr int kGridMedia = static_cast<int>(kNormsGridMedia);  // media with a grid column

    QComboBox* ComboBox1;        // the medium of the protocols (chosen, not typed)
    QLabel* Label1;              // "Назовите:" while a medium is named
    QLineEdit* Edit1;            // the new medium's name
    QToolButton* SpeedButton1;   // "+" medium
    QToolButton* SpeedButton2;   // "-" medium
    QToolButton* SpeedButton3;   // "?"
    QTableWidget* StringGrid1;   // row 0 the media, column 0 the substances
    QToolButton* SpeedButton4;   // "+" substance (double click)
    QToolButton* SpeedButton5;   // "-" substance (double click)
    QLabel* Label2;              // "Назовите:" while a substance is named
    QLineEdit* Edit2;            // the new substance's name

    const NormsTable& table() const { return table_; }
    bool changed() const { return changed_; }

public slots:
    void FormShow();
    void FormHide();
    void ComboBox1Change(int index);
    void SpeedButton1Click();
    void Edit1Enter();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4DblClick();
    void Edit2Enter();
    void SpeedButton5DblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillGrid();
    void startNaming(QLineEdit* edit, QLabel* label);
    void fillMedia();
    void cellEdited(int row, int column);
    void setMedium(const std::string& medium);
    int substanceRows() const { return static_cast<int>(table_.Substances.size()); }

    ProcessingState& state_;
    Dialogs& dialogs_;
    std::function<void(HelpPage)> showHelpPage_;
    std::function<void()> mediumChosen_;
    NormsTable table_;  // all media, also those beyond the grid's columns
    bool changed_ = false;
    bool loaded_ = false;
    bool filling_ = false;
};

}  // namespace vk7
