// The window of a channel view, the common design of TForm2 "Канал 1" and TForm3 "Канал 2":
// the plot of the channel's recording, the zoom and time-window buttons, the cursor
// readout and the time correction.
#pragma once

#include <functional>

#include <QWidget>

#include "acquisition/acquisition_engine.h"
#include "acquisition/channel_view.h"

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QKeyEvent;

namespace vk7 {

class KeyPreview;
class PaintBox;
class Dialogs;

class ChannelViewWindow : public QWidget {
    Q_OBJECT

public:
    ChannelViewWindow(AcquisitionEngine& engine, int channel, Colour curveColour, const QString& caption,
                      QWidget* parent = nullptr);
    ~ChannelViewWindow() override;

    // LoadPreview, RedrawChannelView and the window shown (the main window's preview buttons).
    void ShowChannelView();
    // The main window's timer: the preview of the growing file drawn again.
    void RefreshView();
    // The range shown follows the channel's planned record time.
    void setRecordTimeSec(uint16_t seconds);
    uint16_t ChannelViewEndSec() const { return static_cast<uint16_t>(view_.endSec); }
    // F1 and "?" (the main window chooses the page; the view has the focus then).
    void setHelpHandler(std::function<void()> handler) { help_ = std::move(handler); }

    ChannelViewState& view() { return view_; }
    int channel() const { return channel_; }

    // Components probed by tests.
    QFrame *Panel1, *Panel2;
    PaintBox* PaintBox1;
    QLabel *Label1, *Label2, *Label3;
    QLineEdit* Edit1;
    QToolButton *SpeedButton4, *SpeedButton5, *SpeedButton6, *SpeedButton7, *SpeedButton1, *SpeedButton9,
        *SpeedButton10, *SpeedButton8;

    // The handlers, also driven by tests.
    void PaintBox1MouseDown(int x, int y);
    void PaintBox1MouseMove(int x, int y, bool buttonHeld);
    void PaintBox1MouseUp(int x, int y);
    void PaintBox1DblClick(int x, int y);
    void Edit1Enter();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RedrawChannelView();
    void ShowStatus();
    void layoutControls();
    bool FormKeyDown(QKeyEvent* key);
    void guard(const std::function<void()>& action);
    int32_t recordingEndSec() const;

    AcquisitionEngine& engine_;
    Dialogs& dialogs_;
    const int channel_;
    const Colour colour_;
    ChannelViewState view_;
    std::function<void()> help_;
    KeyPreview* keyPreview_ = nullptr;
};

}  // namespace vk7
