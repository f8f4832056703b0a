// Acquisition main window (TForm1, "Велетрон-7М. Прием сигналов."): both channels live,
// the level bars, record times, the about panel; the host of calibration and regime.
#pragma once

#include <functional>
#include <memory>

#include <QColor>
#include <QImage>
#include <QWidget>

#include "acquisition/acquisition_engine.h"
#include "acquisition/box_command_link.h"

class QComboBox;
class QKeyEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;
class QToolButton;

namespace vk7 {

class KeyPreview;
class TForm2;
class TForm3;
class TForm4;

// An image component: a persistent picture that paint events only copy to the screen.
class TImage : public QWidget {
public:
    TImage(int width, int height, QWidget* parent);
    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};

// A shape component: a filled circle with a pen outline.
class TShape : public QWidget {
public:
    explicit TShape(QWidget* parent);
    void setBrush(QColor c);
    QColor brush() const { return brush_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor brush_{0, 128, 0};
};

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The window creates the engine and runs its start (FormCreate): the settings files
    // are read, the input opened and, with an `output`, the box command link started.
    // Messages of the start are shown once the window is.
    TForm1(StartFolder start, SoundInput& input, Dialogs& dialogs, const Clock& clock,
           std::function<void(int)> sleep, QWidget* parent = nullptr, SoundOutput* output = nullptr);
    ~TForm1() override;

    // The windows created after this one. The views' F1 and "?" come back to the page
    // chooser of this window.
    void setOtherForms(TForm2* form2, TForm3* form3, TForm4* form4);

    AcquisitionEngine& engine() { return *engine_; }
    // The box command link (null without an output).
    BoxCommandLink* commandLink() { return link_.get(); }
    // After a close that went through (the program ends then).
    bool closed() const { return closed_; }

    // The button-face colour of the level images.
    static QColor buttonFace();

    // Components used by the handlers and probed by tests.
    QGroupBox *GroupBox1, *GroupBox2;
    QLabel *Label1, *Label2;
    TImage *Image1, *Image2;
    QLabel *Label9, *Label10, *Label14, *Label15, *Label6, *Label8;
    // Diagnostics: how the sound input was opened and the blocks it lost.
    QLabel* InputLabel;
    // Diagnostics: the command output's device buffer, when it is more than two buffers.
    QLabel* OutputLabel;
    QToolButton *SpeedButton13, *SpeedButton14;
    QLineEdit *Edit4, *Edit5;
    QToolButton *SpeedButton2, *SpeedButton5, *SpeedButton3, *SpeedButton6;
    TShape *Shape1, *Shape2;
    QLabel *Label12, *Label13;
    QToolButton* SpeedButton22;
    QToolButton* SpeedButton8;
    QFrame* Panel1;
    TShape* Shape3;
    TImage* Image3;
    QLabel *Label20, *Label19;
    QTimer *Timer1, *Timer2;
    // Hosts of the polarity, calibration, pair switch and regime grid.
    QToolButton *SpeedButton1, *SpeedButton4, *SpeedButton11, *SpeedButton17;
    QLabel *Label3, *Label7;
    QFrame* Panel3;
    QLineEdit* Edit3;
    QToolButton *SpeedButton9, *SpeedButton10, *SpeedButton16, *SpeedButton12, *SpeedButton15;
    QToolButton *SpeedButton7, *SpeedButton19, *SpeedButton20, *SpeedButton21, *SpeedButton18;
    QTableWidget* StGr1;
    QComboBox* ComboBox3;
    QLineEdit* Edit1;

signals:
    // The close went through: the program may end.
    void programClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    // The window sees every key before its controls (FormKeyDown), then the keys of the
    // editors above the grid and of the calibration panel; true consumes the key.
    bool previewKey(QKeyEvent* key);
    void FormKeyDown(int key);
    void Timer1Timer();
    void Timer2Timer();
    void MMInOpen();  // repaint after the engine processed a block
    void DrawLevelScale(int channel);
    void DrawLevelBar(int channel);
    void ToggleDiagnostics();
    void OpenRecordTimeEditor(int channel);
    void CloseRecordTimeEditor(int channel, bool accept);
    void ShowChannelView(int channel);
    void ShowAbout(bool shown);
    // The voltage calibration's setup panel.
    void SpeedButton11Click();
    void LeaveCalibration(bool anyState);
    void UpdateCalibrationControls();
    void guard(const std::function<void()>& action);
    // The regime grid, channel captions, polarity buttons and record times as the engine has them.
    void ShowRegime();
    // Enabled states, markers and progress texts of the recording controls.
    void ShowRecordingState();
    void StartRecording(int channel);
    void StopRecording(int channel);
    void StGr1Click(int row, int column);
    void ComboBox3Click(int index);
    void ComboBox3Enter();
    void ComboBox3Delete();
    void Edit1Enter();
    void HidePopups();
    void ShowAcquisitionHelp();

    std::unique_ptr<BoxCommandLink> link_;
    std::unique_ptr<AcquisitionEngine> engine_;
    Dialogs& dialogs_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    bool startMessagesShown_ = false;
    bool closed_ = false;
    // The grid is being filled by the program (its changes are not typed values).
    bool fillingGrid_ = false;
    int shownRegimeGeneration_ = -1;
    int gridRow_ = 0, gridColumn_ = 1;
    // The record times the views were last given.
    std::array<int, 2> viewRecordTime_{-1, -1};
    KeyPreview* keyPreview_ = nullptr;
    // An item of the dropped-down list was just chosen (clicked or Enter): the activation
    // that follows applies it.
    bool listChoice_ = false;
};

}  // namespace vk7
