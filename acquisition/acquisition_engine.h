// The acquisition program's engine: its state, the start and close of the program, the
// demodulation of every input block into one value per channel with its texts, bar and
// noise, the power check and the carrier auto-start. The main window shows what it says.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/acquisition_files.h"
#include "acquisition/demodulation.h"
#include "acquisition/level_scale.h"
#include "acquisition/recording.h"
#include "acquisition/regime.h"
#include "common/clock.h"
#include "common/paths.h"
#include "platform/dialogs.h"
#include "platform/sound_input.h"

namespace vk7 {

// The box commands.
inline constexpr uint8_t kCommandPairAB = 0;
inline constexpr uint8_t kCommandPairCD = 64;
inline constexpr uint8_t kCommandReferenceVoltage = 192;
inline constexpr uint8_t kCommandReferenceZero = 128;

// Where the engine hands over to the box command link. Each does nothing until that part
// of the program is connected.
class AcquisitionHooks {
public:
    virtual ~AcquisitionHooks() = default;
    // Box commands: 0 pair AB, 64 pair CD, 192 reference voltage, 128 reference zero.
    virtual void sendBoxCommand(uint8_t command) { (void)command; }
    virtual void createServiceThread() {}
    virtual void endServiceThread() {}
    // Whether every command sent so far has been played out (nothing is pending or still
    // in the device's buffers).
    virtual bool commandsPlayed() const { return true; }
    // A note on the command output for the diagnostics (its device buffer), or nothing.
    virtual std::string outputNote() const { return {}; }
};

// What the main window shows for one channel.
struct ChannelDisplay {
    std::string valueText;      // Label1 / Label2: "  12.3 мВ"
    std::string adcText;        // Label9 / Label10: the amplitude in ADC units
    std::string frequencyText;  // Label6 / Label8: "   20.05 кГц"
    std::string noiseText;      // Label14 / Label15: " 0.1234 %"
    std::string progressText;   // Label12 / Label13: "   1.25/ 30.00 мин" while recording
    int barWidth = 0;           // the level bar, pixels from the left
    bool barRed = false;        // red above 0 V, blue otherwise
    bool barShown = false;      // channel 2 shows no bar while it is switched off
};

// The state of the acquisition program, owned by the main window.
struct AcquisitionState {
    ProgramSettings settings = defaultProgramSettings();
    VoltageCalibration calibration;
    bool channelPairAB = true;
    std::array<double, 2> fullScaleVolts{1.5625, 1.5625};
    int levelWidth = 277;
    int levelHeight = 29;
    std::array<double, 2> levelScale{277 / kLevelFullScaleVolts, 277 / kLevelFullScaleVolts};
    bool diagnosticsShown = false;
    std::array<bool, 2> blinkPhase{false, false};
    std::array<int, 2> polarity{0, 0};

    // Demodulation.
    std::array<double, 2> measuredVolts{0, 0};
    std::array<double, 2> periodMs{0, 0};
    int noiseCount = 0;
    std::array<double, 2> noiseSum{0, 0};
    std::array<double, 2> noiseSumSq{0, 0};
    bool firstBufferDone = false;
    int calibrationState = 0;  // 0 normal, 1 setup, 2 on the reference, 3 on the zero
    int calibrationBufferCount = 0;
    std::array<uint16_t, 2> ampPlus{0, 0};
    std::array<uint16_t, 2> ampZero{0, 0};

    std::array<ChannelDisplay, 2> display;

    // The setup panel of the voltage calibration: the group boxes' captions (the pair, or
    // the reference connected) and which zero-correction buttons A..D may be pressed.
    std::array<std::string, 2> groupCaption;
    std::array<bool, 4> correctionEnabled{true, true, false, false};

    // The sound input's health, shown with the diagnostics: how it was opened, blocks lost
    // since the start, and per channel the blocks lost in its running or last recording
    // (each lost block is a point missing from that recording).
    std::string inputHow;
    uint64_t lostBlocks = 0;
    std::array<uint64_t, 2> recordingLost{0, 0};
    std::array<bool, 2> countingLoss{false, false};

    // The regime grid of the current pair (names, record times and polarities are in
    // `settings` and `polarity`).
    RegimeState regime;

    // The zero correction in force for channel 1 or 2 (A/B in pair AB, C/D in pair CD).
    double zeroCorrection(int channel) const;
};

class AcquisitionEngine : public SoundInputReceiver {
public:
    struct Environment {
        StartFolder start;
        SoundInput& input;
        Dialogs& dialogs;
        const Clock& clock;
        std::function<void(int milliseconds)> sleep;
    };

    explicit AcquisitionEngine(Environment env, AcquisitionHooks* hooks = nullptr);
    ~AcquisitionEngine() override;

    // The text of the error box for a failure (the window passes the program's own).
    void setErrorText(std::function<std::string(const std::exception&)> describe) { describe_ = std::move(describe); }
    // Called after every block has been processed (the window repaints then).
    void setBlockObserver(std::function<void()> observer) { observer_ = std::move(observer); }
    void setHooks(AcquisitionHooks* hooks);

    // The main window's creation: reads calibrvk and vk7.dat, opens the input at the
    // file's rate, sets the level scales for images of `levelWidth` x `levelHeight`.
    // Messages raised here wait for showStartMessages().
    void create(int levelWidth, int levelHeight);
    // Shows the messages raised while the program started (once the main window is up).
    void showStartMessages();
    // The main window's close: asks before stopping running recordings (false: the user
    // refused and nothing changed), closes the input and writes the settings files.
    bool close();
    // The main window's destruction: ends the command output once the commands sent have
    // been played, waiting for that at most kCommandPlayWaitMs.
    void destroy();
    static constexpr int kCommandPlayWaitMs = 500;

    // SoundInputReceiver: one full block; it is always handed back, whatever happens.
    void blockFilled(const int16_t* frames, int frameCount) override;
    void inputFailed(const std::string& what) override;

    void inputStalled(const std::string& what) override;

    // One block of 2048 interleaved stereo frames.
    void processInputBuffer(const int16_t* frames);

    // The line of the diagnostics on the input: how it was opened and what was lost.
    std::string inputDiagnosticsText() const;
    // The diagnostics on the command output: a note when its device holds more than two
    // buffers, else nothing.
    std::string outputDiagnosticsText() const;

    // A message box for the engine and its hooks. Raised while a block is processed, it is
    // shown once the block has been handed back, so that the input goes on under it.
    void message(MessageKind kind, const std::string& caption, const std::string& text);

    // F10 / F11 and the start tone; a channel that records already goes on. Throws IoError
    // when the file cannot be created (nothing records then).
    void startRecording(int channel);
    // The stop buttons and the planned count: the file gets its comment and its .hrm name.
    void stopRecording(int channel);
    void stopAllRecordings();
    bool isRecording(int channel) const;
    const ChannelRecording& recording(int channel) const { return recordings_[size_t(channel - 1)]; }
    // The calibration and the pair switch wait while any channel records.
    bool anyRecording() const { return isRecording(1) || isRecording(2); }

    // The preview of the channel's current or last file, read again (Timer1, the views).
    void loadPreview(int channel);
    const ChannelPreview& preview(int channel) const { return previews_[size_t(channel - 1)]; }

    // The regime grid, its files and methods.
    RegimeEditor& regime() { return regime_; }
    // Labels the channels of the current pair, sends its box command and loads its regime.
    void switchChannelPair();
    // The main pair switch: saves the pair, then switches to the other one. False (and
    // nothing done) while a channel records.
    bool togglePairSaving();
    // "Канал А" / "Канал В" or "Канал C" / "Канал D".
    std::string channelLabel(int channel) const;
    void togglePolarity(int channel) { regime_.togglePolarity(channel); }

    // Record-time editor of channel 1 or 2.
    std::string recordTimeEditText(int channel) const;
    void acceptRecordTime(int channel, const std::string& text);

    // The voltage calibration's setup panel.
    // "Калибровка": the setup (state 1); the reference voltage for its editor.
    std::string openCalibration();
    // Esc in the editor (`anyState`) or "X" (state 1 only): normal operation with pair AB;
    // false when nothing changed.
    bool leaveCalibration(bool anyState);
    // "+" and "0": the box connects its reference voltage or its reference zero.
    void connectReference();
    void connectZero();
    // "Калибр": starts the cycle with the reference voltage typed; a value of 0.1 V or
    // less is refused with a message and the setup stays open.
    void startCalibrationCycle(const std::string& referenceText);
    // "AB" / "CD": the current pair's regime is saved, the other one loaded; refused while
    // a channel records or a cycle runs.
    bool selectChannelPair(bool ab);
    // "A".."D" (physical channel 0..3): the zero correction from the shown voltage, only
    // for a channel of the current pair.
    bool takeZeroCorrection(int physical);
    // Whether "Калибровка", "+", "0" and "Калибр" may be pressed: no channel records.
    bool calibrationAllowed() const { return !anyRecording(); }
    // Whether "AB" and "CD" may be pressed: no channel records and no cycle runs.
    bool pairSwitchAllowed() const;
    // The end of a cycle: the lines from the captured amplitudes, or a message.
    void computeCalibration();

    void toggleDiagnostics();
    void toggleChannel2();
    // Timer1: flips the recording markers' blink phase.
    void timerTick();

    const LevelScaleGeometry& levelScale(int channel) const { return scales_[size_t(channel - 1)]; }
    const ChannelDisplay& display(int channel) const { return state_.display[size_t(channel - 1)]; }
    AcquisitionState& state() { return state_; }
    const AcquisitionState& state() const { return state_; }
    const StartFolder& start() const { return env_.start; }
    Dialogs& dialogs() const { return env_.dialogs; }

    // The time correction of a channel view: the marks in seconds and the true length typed
    // in minutes rescale the points per second (written to vk7.dat at the close). A refused
    // stretch changes nothing and says so; false then.
    bool correctTimeScale(double startSec, double endSec, const std::string& trueMinutesText);
    // Whether the input opened; the error kind when it did not.
    SoundOpenError inputError() const { return inputError_; }

private:
    void reportFailure(const std::exception& e);
    void loadSettingsFiles();
    void writeSettingsFiles();
    void startSoundInput();
    void processChannel(int channel, const ChannelScan& scan);
    void finishNoiseWindow();
    void writePoint(int channel, int16_t point);
    // Where a recording's start and finish are seen: the input blocks lost in between are
    // counted for it, and at its end a loss is reported once ("При записи потеряно 3
    // точки"). Calling either twice does no harm.
    void recordingStarted(int channel);
    void recordingFinished(int channel, const ChannelRecording::Finished& finished);
    // "Файл h1a.hr (N точек) не удалось закончить: ..." for a recording whose finish failed.
    static std::string unfinishedFileText(const ChannelRecording& r);
    // At the start: finishes the recordings cut short in the data folders of both pairs'
    // regimes and says once which files it finished.
    void finishInterruptedRecordings();
    // Takes the input's lost blocks since the last look into the counts.
    void takeLostBlocks();

    Environment env_;
    AcquisitionHooks defaultHooks_;
    AcquisitionHooks* hooks_;
    AcquisitionState state_;
    std::array<ChannelRecording, 2> recordings_;
    std::array<ChannelPreview, 2> previews_;
    RegimeEditor regime_;
    std::array<LevelScaleGeometry, 2> scales_;
    std::function<std::string(const std::exception&)> describe_;
    std::function<void()> observer_;
    SoundOpenError inputError_ = SoundOpenError::None;
    bool inputOpen_ = false;
    bool deferMessages_ = false;
    std::vector<MessageRequest> startMessages_;
    bool inBlock_ = false;
    std::vector<MessageRequest> blockMessages_;
    uint64_t lostSeen_ = 0;
    bool stallReported_ = false;
    bool powerWarned_ = false;
    bool blockErrorReported_ = false;
    bool inputFailureReported_ = false;
    // A settings file that exists but could not be read is not overwritten at close.
    bool keepSettingsFile_ = false;
    bool keepCalibrationFile_ = false;
};

}  // namespace vk7
