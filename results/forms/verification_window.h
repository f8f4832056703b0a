// What the two repeatability-check windows share (TForm11 "Поверка по методу Х" and TForm12
// "Поверка по методу Y"): the grid of the values, the statistics grid drawn in navy with its
// half-width column in maroon, the help button and the protocol button.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "platform/shell.h"
#include "processing/help_pages.h"
#include "results/verification.h"

class QTableWidget;
class QToolButton;

namespace vk7 {

// What the check takes from the peak table, asked for each time it computes.
struct VerificationSource {
    bool available = false;       // the table the check needs is shown
    std::vector<VerificationInput> rows;
    std::vector<std::string> names;  // X: the file name; Y: the chromatograms' names
};

class VerificationWindow : public ToolWindow {
    Q_OBJECT

public:
    struct Services {
        Dialogs& dialogs;
        Shell* shell = nullptr;
        const Clock& clock;
        std::function<void(HelpPage)> showHelpPage;
        std::function<VerificationSource()> source;
        const StartFolder& start;
    };

    QTableWidget* Grid;
    QTableWidget* Grid2;
    QToolButton* SpeedButton1;   // "?"
    QToolButton* SpeedButton22;  // "протокол поверки"

    // The text of Grid / Grid2 cell (column, row) as the Part's grids count them: row 0 of
    // Grid holds the captions.
    std::string gridText(int column, int row) const;
    std::string grid2Text(int column, int row) const;
    int gridRowCount() const;  // with the caption row
    bool protocolWritten() const { return excelStarted_; }

public slots:
    // Computes from the peak table (on showing and when the table changes while shown).
    void Compute();
    void SpeedButton1Click();
    void SpeedButton22Click();
    // The peak table changed: computed again once the current event is done, if shown.
    void peakTableChanged();

public:
    // The peak-table window: its showing and hiding (a new chromatogram hides it) count as
    // changes of the table.
    void watchTableWindow(QWidget* table);

protected:
    VerificationWindow(VerificationMethod method, const QString& objectName, const std::string& caption,
                       Services services, QWidget* owner);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(const VerificationTable& table, int rows);
    void notice(const std::string& text);

    VerificationMethod method_;
    Services services_;
    VerificationTable table_;
    std::vector<std::string> names_;
    std::string problem_;       // why there are no statistics (no table, too few values)
    bool excelStarted_ = false;  // a protocol was written since the window was shown
    bool noticeShown_ = false;   // one notice per showing
    bool computePending_ = false;
    QWidget* tableWindow_ = nullptr;
};

}  // namespace vk7
