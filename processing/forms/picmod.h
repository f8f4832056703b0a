// Peak modelling window (TForm8) "Моделирование пиков".
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"
#include "processing/group_modelling.h"
#include "processing/help_pages.h"
#include "processing/markup_editing.h"
#include "processing/processing_state.h"

class QFrame;
class QLabel;
class QSlider;
class QToolButton;

namespace vk7 {

class TForm8 : public ToolWindow {
    Q_OBJECT

public:
    // What the window asks of the others, wired when the program's windows are created.
    struct Hooks {
        std::function<Canvas&()> plotCanvas;        // the main plot's canvas
        std::function<void()> repaintPlot;          // the main window's RepaintPlot
        std::function<void(HelpPage)> showHelpPage;
        // The modelled areas: the peak table is computed and shown again from this markup.
        std::function<void(PeakMarkup)> applyAreas;
    };

    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm8(ProcessingState& state, Dialogs& dialogs, QWidget* owner);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // "Моделирование неразделенных пиков": shown, Panel3 enabled, the next plot click picks
    // the group.
    void StartModelling();
    // The outcome of the main window's pick click.
    void GroupPicked(const MarkupClickResult& pick);

    QLabel* Label1;
    QFrame* Panel3;              // the track bars
    QFrame* Panel2;              // the explanatory picture
    QLabel* Image1;
    QSlider* TrackBar7;          // "Положение вершины большой гауссианы"
    QSlider* TrackBar2;          // "Высота большой гауссианы" (vertical)
    QSlider* TrackBar1;          // "Ширина большой гауссианы"
    QSlider* TrackBar9;          // "Положение вершины малой гауссианы"
    QSlider* TrackBar10;         // "Высота малой гауссианы" (vertical)
    QSlider* TrackBar3;          // "Ширина малой гауссианы"
    QToolButton* SpeedButton2;   // "Предыдущий пик"
    QToolButton* SpeedButton3;   // "Следующий пик"
    QToolButton* SpeedButton4;   // "ok"
    QToolButton* SpeedButton1;   // "?"

    // The bar of each model value.
    QSlider* trackBar(ModelBar bar) const { return bars_[static_cast<size_t>(bar)]; }

public slots:
    void TrackBarChange(ModelBar bar, int position);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void FormHide();
    void SetModelTrackBars();
    void stepPeak(int delta);
    Canvas* canvas();

    ProcessingState& state_;
    Dialogs& dialogs_;
    Hooks hooks_;
    std::array<QSlider*, kModelBars> bars_{};
};

}  // namespace vk7
