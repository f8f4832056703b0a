// Calibration graphs window (TForm9) "Градуировочные графики для актуальных компонентов".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/tool_window.h"
#include "processing/calibration_graph.h"
#include "processing/help_pages.h"
#include "processing/plot_view.h"
#include "processing/processing_state.h"

class QLabel;
class QTableWidget;
class QToolButton;

namespace vk7 {

class TForm9 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm9(ProcessingState& state, Dialogs& dialogs, Printer& printer, std::function<void(HelpPage)> showHelpPage,
           QWidget* owner);

    const CalibrationGraph& graph() const { return graph_; }
    const std::vector<std::string>& components() const { return components_; }

    QTableWidget* StringGrid1;
    PaintBox* PaintBox1;
    QLabel* Label2;  // "Площадь (приведенная)"
    QLabel* Label3;  // "Концентрация"
    QLabel* Label5;  // "Наклон"
    QLabel* Label6;  // "Начальное значение"
    QLabel* Label7;  // "Коэффициент корреляции"
    QToolButton* SpeedButton1;  // "?"
    QToolButton* SpeedButton2;  // print
    QToolButton* SpeedButton3;  // "Выделение фрагмента"
    QToolButton* SpeedButton4;  // "Общий вид"

public slots:
    void StringGrid1Click(int row);
    void PaintBox1MouseDown(int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp(int x, int y);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void redraw();
    void showTexts();

    ProcessingState& state_;
    Dialogs& dialogs_;
    Printer& printer_;
    std::function<void(HelpPage)> showHelpPage_;
    std::vector<std::string> gradLines_;
    std::vector<std::string> components_;
    int selected_ = -1;
    CalibrationGraph graph_;
    bool noComponents_ = true;
    bool zoomArmed_ = false;
    bool dragging_ = false;
    PlotPoint dragStart_, dragCorner_;
};

}  // namespace vk7
