// The acquisition engine driven by the simulated box: start and close, the values shown,
// the power check, the auto-start, the noise, the calibration capture and failures.
#include "acquisition/acquisition_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// Records what the engine hands over to the box command link and the calibration.
struct Hooks : AcquisitionHooks {
    std::vector<uint8_t> commands;
    int threadsCreated = 0, threadsEnded = 0;
    SimulatedBox* box = nullptr;

    void sendBoxCommand(uint8_t c) override {
        commands.push_back(c);
        if (box && c == 128) box->setConnection(BoxConnection::ReferenceZero);
        if (box && c == 192) box->setConnection(BoxConnection::ReferenceVoltage);
        if (box && c == 0) box->setConnection(BoxConnection::PairAB);
    }
    void createServiceThread() override { ++threadsCreated; }
    void endServiceThread() override { ++threadsEnded; }
    bool commandsPlayed() const override { return !played || played(); }
    std::string outputNote() const override { return note; }
    std::function<bool()> played;
    std::string note;
};

const std::string kInstalledSettings = "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n";
const std::string kInstalledCalibration =
    "7\r\n 1.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n 6.66666666666667E-0002\r\n-3.33333333333333E-0001\r\n"
    " 6.66666666666667E-0002\r\n-3.33333333333333E-0001\r\n 0.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n"
    " 0.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n";

class EngineTest : public ::testing::Test {
protected:
    EngineTest() { hooks.box = &box; }

    void installFiles(const std::string& settings = kInstalledSettings,
                      const std::string& calibration = kInstalledCalibration) {
        dir.write("vk7.dat", settings);
        dir.write("calibrvk", calibration);
    }
    void start() {
        engine.create(277, 29);
        engine.showStartMessages();
    }
    std::string file(const char* name) { return readFileBytes(dir / name); }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    int sleptMs = 0;
    Hooks hooks;
    AcquisitionEngine engine{{StartFolder(dir.path()), box, dialogs, clock, [this](int ms) { sleptMs += ms; }}, &hooks};
};

TEST_F(EngineTest, StartOpensTheInputAtTheFileRateAndCloseWritesBothFilesBack) {
    installFiles("48000\r\n48000\r\nA\r\nB\r\n600\r\n600\r\n 23.437500000000\r\n0\r\n");
    engine.create(277, 29);
    EXPECT_TRUE(box.isOpen());
    EXPECT_EQ(box.rate(), 48000);
    EXPECT_EQ(hooks.threadsCreated, 1);
    EXPECT_EQ(hooks.commands, std::vector<uint8_t>{0});  // the pair AB selected
    EXPECT_FALSE(engine.state().settings.channel2On);
    engine.showStartMessages();
    EXPECT_TRUE(dialogs.shown().empty());

    engine.acceptRecordTime(1, "2.5");
    engine.toggleChannel2();
    ASSERT_TRUE(engine.close());
    EXPECT_FALSE(box.isOpen());
    EXPECT_TRUE(fs::exists(dir / "space/regim.dat"));
    EXPECT_TRUE(fs::exists(dir / "space/rsv.dat"));
    EXPECT_EQ(file("vk7.dat"), "48000\r\n48000\r\nA\r\nB\r\n150\r\n600\r\n 23.437500000000\r\n1\r\n");
    EXPECT_EQ(file("calibrvk"), kInstalledCalibration);  // line 1 "7" kept

    engine.destroy();
    EXPECT_EQ(sleptMs, 0) << "the pair command played long ago";
    EXPECT_EQ(hooks.threadsEnded, 1);
}

TEST_F(EngineTest, TheOutputEndsOnceTheLastCommandHasPlayedAndWaitsForItAtMostHalfASecond) {
    struct Case { int playedAfterMs; int waitedMs; };
    for (const Case c : {Case{0, 0}, Case{120, 120}, Case{500, 500}, Case{100000, 500}}) {
        AcquisitionEngine e{{StartFolder(dir.path()), box, dialogs, clock, [this](int ms) { sleptMs += ms; }}, &hooks};
        hooks.played = [&] { return sleptMs >= c.playedAfterMs; };
        hooks.threadsEnded = 0;
        sleptMs = 0;
        e.destroy();
        EXPECT_EQ(sleptMs, c.waitedMs) << c.playedAfterMs;
        EXPECT_EQ(hooks.threadsEnded, 1) << c.playedAfterMs;
    }
}

TEST_F(EngineTest, StartRemovesTemporariesOfKilledRewrites) {
    // The start folder and \space\ (regime files, metn, dictionaries) are rewritten.
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    const std::vector<fs::path> stale = {dir.write(".vk7-vk7.dat.Qw3rTy", "copy"),
                                         dir.write("space/.vk7-regim.dat.Ab12Cd", "copy"),
                                         dir.write("space/.vk7-metn.Ef34Gh", "copy"),
                                         dir.write("space/.vk7-gas.Ij56Kl", "copy")};
    for (const fs::path& f : stale) std::filesystem::last_write_time(f, old);
    const auto young = dir.write("space/.vk7-rsv.dat.Mn78Op", "copy");  // a rewrite may be running
    engine.create(277, 29);
    for (const fs::path& f : stale) EXPECT_FALSE(std::filesystem::exists(f)) << f;
    EXPECT_TRUE(std::filesystem::exists(young));
    ASSERT_TRUE(engine.close());
}

TEST_F(EngineTest, MissingFilesAreReportedOnceTheWindowIsUpAndWrittenAtClose) {
    engine.create(277, 29);
    EXPECT_TRUE(dialogs.shown().empty()) << "no box before the main window is shown";
    EXPECT_TRUE(box.isOpen());
    EXPECT_EQ(box.rate(), 44100);
    engine.showStartMessages();
    const auto texts = dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("calibrvk"), std::string::npos);
    EXPECT_NE(texts[1].find("vk7.dat"), std::string::npos);
    engine.showStartMessages();
    EXPECT_EQ(dialogs.messageTexts().size(), 2u);
    ASSERT_TRUE(engine.close());
    EXPECT_EQ(file("vk7.dat"), joinLinesCrLf(programSettingsLines(defaultProgramSettings())));
    EXPECT_EQ(file("calibrvk"), joinLinesCrLf(voltageCalibrationLines(VoltageCalibration{})));
}

TEST_F(EngineTest, AFileThatCannotBeReadIsReportedAndLeftAlone) {
    installFiles();
    fs::remove(dir / "vk7.dat");
    fs::create_directory(dir / "vk7.dat");  // exists, but cannot be read as a file
    start();
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find("vk7.dat"), std::string::npos);
    EXPECT_TRUE(box.isOpen());
    ASSERT_TRUE(engine.close());
    EXPECT_TRUE(fs::is_directory(dir / "vk7.dat"));
    EXPECT_EQ(dialogs.messageTexts().size(), 1u) << "nothing is written over it, nothing fails at close";
    EXPECT_EQ(file("calibrvk"), kInstalledCalibration);
}

TEST_F(EngineTest, EachSoundOpenFailureHasItsOwnBoxAndTheProgramGoesOn) {
    // The caption stays; the text says what failed and the device's own reason.
    struct Case {
        SoundOpenError error;
        const char* caption;
        const char* text;
    } cases[] = {
        {SoundOpenError::NoDevice, "нет звуковой платы", "Нет звуковой платы\nУстройство default: No such file or directory"},
        {SoundOpenError::OpenFailed, "Не открывается зв. карта", "Не открывается зв. карта\nУстройство default: Connection refused"},
        {SoundOpenError::PrepareFailed, "error", "Ошибка подготовки буфера\nУстройство default: Invalid argument"},
        {SoundOpenError::StartFailed, "error", "Ошибка включения\nУстройство default: Broken pipe"},
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        folder.write("vk7.dat", kInstalledSettings);
        folder.write("calibrvk", kInstalledCalibration);
        SimulatedBox failing;
        ScriptedDialogs shown;
        Hooks h;
        AcquisitionEngine e({StartFolder(folder.path()), failing, shown, clock, nullptr}, &h);
        const std::string text = toCp1251(c.text);
        failing.failNextOpen(c.error, text.substr(text.find('\n') + 1));
        e.create(277, 29);
        e.showStartMessages();
        ASSERT_EQ(shown.shown().size(), 1u);
        EXPECT_EQ(shown.shown()[0].message.caption, toCp1251(c.caption));
        EXPECT_EQ(shown.shown()[0].message.text, text);
        EXPECT_EQ(e.inputError(), c.error);
        EXPECT_EQ(h.commands, std::vector<uint8_t>{0}) << "the start goes on after the box";
        EXPECT_TRUE(e.close());
        EXPECT_TRUE(fs::exists(folder / "vk7.dat"));
    }
}

TEST_F(EngineTest, ValuesFrequencyBarAndNoiseFollowTheDetectorVoltage) {
    installFiles();
    box.setDetector(0, DetectorScript{0.05, {}});
    box.setDetector(1, DetectorScript{-0.02, {}});
    start();
    box.run(0.1);  // two blocks: the frequency shows from the second
    const ChannelDisplay& a = engine.display(1);
    const ChannelDisplay& b = engine.display(2);
    // 0.05 V at the box reads 1.18 x 50 mV in normal operation.
    EXPECT_NEAR(parseLenient(a.valueText), 59.0, 1.0) << a.valueText;
    EXPECT_EQ(a.valueText.substr(a.valueText.size() - 3), RU(" мВ"));
    EXPECT_EQ(a.valueText.size(), 9u);
    EXPECT_NEAR(parseLenient(b.valueText), -23.6, 1.0) << b.valueText;
    EXPECT_NEAR(parseLenient(a.adcText), 5750, 10);
    EXPECT_NEAR(parseLenient(a.frequencyText), 4.0, 0.05) << a.frequencyText;
    EXPECT_NEAR(parseLenient(b.frequencyText), 4.5, 0.05) << b.frequencyText;
    EXPECT_NEAR(a.barWidth, 0.059 * 277 / 0.15625, 2.0);
    EXPECT_TRUE(a.barRed);
    EXPECT_FALSE(b.barRed);
    EXPECT_TRUE(b.barShown);
    EXPECT_TRUE(a.noiseText.empty());
    box.run(30 * 2048.0 / 44100);
    EXPECT_FALSE(a.noiseText.empty());
    EXPECT_LT(parseLenient(a.noiseText), 1.0) << a.noiseText;
    EXPECT_EQ(box.droppedBlocks(), 0u);
    EXPECT_EQ(box.deliveredBlocks(), box.producedBlocks());
    EXPECT_TRUE(dialogs.shown().empty());

    // Channel 2 switched off: no value and no bar, but the frequency and noise go on.
    engine.toggleChannel2();
    box.run(0.05);
    EXPECT_EQ(b.valueText, "");
    EXPECT_FALSE(b.barShown);
    EXPECT_FALSE(b.frequencyText.empty());

    // A voltage beyond the scale fills the bar, no more.
    box.setDetector(0, DetectorScript{0.5, {}});
    box.run(0.05);
    EXPECT_EQ(a.barWidth, 277);
}

TEST_F(EngineTest, PowerCheckFiresOnceOnTheFirstSilentBlock) {
    installFiles();
    box.setPower(false);
    start();
    box.run(0.5);
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Проверьте питание приставки!")});
    EXPECT_EQ(engine.display(1).frequencyText, "");
    box.setPower(true);
    box.run(0.5);
    box.setPower(false);
    box.run(0.5);
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);

    // Power on from the start: no box.
    test::TempDir folder;
    SimulatedBox powered;
    ScriptedDialogs shown;
    AcquisitionEngine e({StartFolder(folder.path()), powered, shown, clock, nullptr});
    folder.write("vk7.dat", kInstalledSettings);
    folder.write("calibrvk", kInstalledCalibration);
    e.create(277, 29);
    e.showStartMessages();
    powered.run(1.0);
    EXPECT_TRUE(shown.shown().empty());
}

TEST_F(EngineTest, StartToneStartsARecordingWhosePointsBeginWithTheNextBlock) {
    installFiles();
    box.setDetector(0, DetectorScript{0.02, {}});
    box.addStartTone(0, 1.0, 1.3);
    box.addStartTone(1, 1.0, 1.3);
    engine.state().settings.channel2On = false;  // channel 2 never starts by itself when off
    engine.create(277, 29);
    engine.state().settings.channel2On = false;
    engine.showStartMessages();
    box.run(0.99);
    EXPECT_FALSE(engine.isRecording(1));
    uint64_t startBlock = 0;
    while (!engine.isRecording(1) && box.time() < 1.5) box.step();
    ASSERT_TRUE(engine.isRecording(1));
    startBlock = box.deliveredBlocks();
    EXPECT_FALSE(engine.isRecording(2));
    // Blocks from 1.0 s on carry the tone; the frequency measured on the first of them
    // starts the recording while the second is processed, whose point is not recorded.
    const uint64_t firstToneBlock = uint64_t(std::ceil(1.0 * 44100 / 2048));
    EXPECT_EQ(startBlock, firstToneBlock + 2);
    EXPECT_EQ(engine.recording(1).recordedCount(), 0);
    box.run(0.5);
    const auto words = readWords(engine.recording(1).currentPath());
    ASSERT_EQ(words.size(), 20 + (box.deliveredBlocks() - startBlock));
    for (size_t k = 20; k < words.size(); ++k) EXPECT_NEAR(words[k], 0.0236 * 209715.2, 200);
    EXPECT_EQ(engine.recording(1).fileName(), "h1a.hr");
    EXPECT_NEAR(parseLenient(engine.display(1).frequencyText), 4.0, 0.05);
}

TEST_F(EngineTest, NoAutoStartWhileCalibrating) {
    installFiles();
    box.addStartTone(0, 0.0, 2.0);
    start();
    engine.state().calibrationState = 1;
    box.run(1.0);
    EXPECT_FALSE(engine.isRecording(1));
    // In the setup the values are shown without zero correction and the factor 1.18.
    engine.state().calibration.zeroCorrection[0] = 0.1;
    box.setDetector(0, DetectorScript{0.05, {}});
    box.run(0.1);
    EXPECT_NEAR(parseLenient(engine.display(1).valueText), 50.0, 1.0);
    engine.state().calibrationState = 0;
    box.run(0.1);
    EXPECT_NEAR(parseLenient(engine.display(1).valueText), 1.18 * 150.0, 1.0);
}

TEST_F(EngineTest, AFailureInTheHandlerIsReportedOnceAndTheBlocksKeepComing) {
    installFiles();
    // The channel's data folder is a plain file: every start by the tone fails.
    dir.write("data/kanal1", "not a folder");
    dir.write("space/rsv.dat", "0\r\nA\r\nB\r\n1800\r\n1800\r\n\r\n\r\n\r\n\r\n0\r\n0\r\n\r\n\r\n1\r\n1\r\n\r\n\r\nkanal1\r\nkanal2\r\n");
    box.addStartTone(0, 0.0, 3.0);
    start();
    box.run(2.0);
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find("kanal1"), std::string::npos);
    EXPECT_FALSE(engine.isRecording(1));
    EXPECT_EQ(box.deliveredBlocks(), box.producedBlocks());
    EXPECT_GT(box.deliveredBlocks(), 40u);
    EXPECT_EQ(box.droppedBlocks(), 0u);
    EXPECT_FALSE(box.outstanding());
}

TEST_F(EngineTest, NoiseOverThirtyBlocks) {
    installFiles();
    start();
    // Amplitudes alternating 5000 +- 15 units around 0 V: +-1.18 mV.
    auto block = [](int amplitude) {
        std::vector<int16_t> b(2 * 2048, 0);
        b[2 * 600] = b[2 * 600 + 1] = int16_t(amplitude / 2);
        b[2 * 601] = b[2 * 601 + 1] = int16_t(amplitude / 2 - amplitude);
        return b;
    };
    for (int i = 0; i < 29; ++i) engine.processInputBuffer(block(i % 2 ? 5015 : 4985).data());
    EXPECT_EQ(engine.display(1).noiseText, "");
    engine.processInputBuffer(block(5015).data());
    const double s = 0.00118 * std::sqrt(30.0 / 29.0);
    EXPECT_EQ(engine.display(1).noiseText, fixedText(s / 0.3125 * 100, 7, 4) + " %");
    // A steady input shows no noise.
    for (int i = 0; i < 30; ++i) engine.processInputBuffer(block(5000).data());
    EXPECT_EQ(engine.display(1).noiseText, " 0.0000 %");
    EXPECT_EQ(engine.state().noiseCount, 0);
}

TEST_F(EngineTest, CalibrationCycleCapturesTheReferenceAndTheZero) {
    installFiles();
    start();
    hooks.commands.clear();
    engine.state().calibrationState = 2;
    engine.state().calibrationBufferCount = 0;
    box.setConnection(BoxConnection::ReferenceVoltage);
    for (int i = 0; i < 11; ++i) box.step();
    EXPECT_EQ(engine.state().calibrationState, 2);
    box.step();
    EXPECT_EQ(engine.state().calibrationState, 3);
    EXPECT_EQ(hooks.commands, std::vector<uint8_t>{128});
    EXPECT_NEAR(engine.state().ampPlus[0], 20000, 30);
    EXPECT_NEAR(engine.state().ampPlus[1], 20000, 30);
    for (int i = 0; i < 12; ++i) box.step();
    EXPECT_EQ(engine.state().calibrationState, 1);
    EXPECT_NEAR(engine.state().ampZero[0], 5000, 30);
    EXPECT_EQ(hooks.commands, (std::vector<uint8_t>{128, 0}));  // the zero, then the pair AB again
    EXPECT_TRUE(engine.state().channelPairAB);
    EXPECT_TRUE(fs::exists(dir / "space/regim.dat")) << "the pair's grid is kept before pair AB is loaded";
    // The installed line already fits this box: computed again, it stays within the noise.
    EXPECT_NEAR(engine.state().calibration.slope[0], 1.0 / 15.0, 2e-4);
}

TEST_F(EngineTest, SetupPanelStatesAndTheirGuards) {
    installFiles();
    start();
    hooks.commands.clear();
    EXPECT_EQ(engine.openCalibration(), " 1.000");
    EXPECT_EQ(engine.state().calibrationState, 1);
    EXPECT_EQ(engine.state().correctionEnabled, (std::array<bool, 4>{true, true, false, false}));

    // A manual start is refused while the setup is open.
    engine.startRecording(1);
    EXPECT_FALSE(engine.isRecording(1));

    // An invalid reference voltage: the message, the setup stays in state 1, "X" closes it.
    for (const char* text : {"0.1", "abc", "-2"}) {
        engine.startCalibrationCycle(text);
        EXPECT_EQ(engine.state().calibrationState, 1) << text;
    }
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>(3, RU("Проверьте величину образцового напряжения")));
    EXPECT_TRUE(hooks.commands.empty());

    // "+" and "0": the captions say what is connected, no correction may be taken.
    engine.connectReference();
    EXPECT_EQ(engine.state().groupCaption[0], RU("Образцовое напряжение"));
    EXPECT_EQ(engine.state().correctionEnabled, (std::array<bool, 4>{false, false, false, false}));
    engine.connectZero();
    EXPECT_EQ(engine.state().groupCaption[1], RU("Образцовый ноль"));
    EXPECT_EQ(hooks.commands, (std::vector<uint8_t>{192, 128}));

    // "CD": the grid of AB is saved first; the correction buttons follow the pair.
    EXPECT_FALSE(fs::exists(dir / "space/regim.dat"));
    EXPECT_TRUE(engine.selectChannelPair(false));
    EXPECT_TRUE(fs::exists(dir / "space/regim.dat"));
    EXPECT_EQ(hooks.commands.back(), 64);
    EXPECT_EQ(engine.state().groupCaption[0], RU("Канал C"));
    EXPECT_EQ(engine.state().correctionEnabled, (std::array<bool, 4>{false, false, true, true}));

    // Zero corrections only for the current pair's channels.
    engine.state().measuredVolts = {0.012, -0.004};
    EXPECT_FALSE(engine.takeZeroCorrection(0));
    EXPECT_TRUE(engine.takeZeroCorrection(2));
    EXPECT_TRUE(engine.takeZeroCorrection(3));
    EXPECT_EQ(engine.state().calibration.zeroCorrection, (std::array<double, 4>{0, 0, -0.012, 0.004}));

    // A valid voltage starts the cycle after the command and a 100 ms wait; "X" and the
    // pair switches do nothing while it runs.
    sleptMs = 0;
    engine.startCalibrationCycle("1,25");
    EXPECT_EQ(engine.state().calibrationState, 2);
    EXPECT_EQ(engine.state().calibration.referenceVolts, 1.25);
    EXPECT_EQ(hooks.commands.back(), 192);
    EXPECT_EQ(sleptMs, 100);
    EXPECT_FALSE(engine.leaveCalibration(false));
    EXPECT_FALSE(engine.pairSwitchAllowed());
    EXPECT_FALSE(engine.selectChannelPair(true));
    EXPECT_EQ(engine.state().calibrationState, 2);

    // Esc in the editor leaves from any state, with pair AB.
    EXPECT_TRUE(engine.leaveCalibration(true));
    EXPECT_EQ(engine.state().calibrationState, 0);
    EXPECT_TRUE(engine.state().channelPairAB);
    EXPECT_EQ(hooks.commands.back(), 0);

    // While a channel records: no calibration, no pair switch.
    engine.startRecording(2);
    ASSERT_TRUE(engine.isRecording(2));
    EXPECT_FALSE(engine.calibrationAllowed());
    EXPECT_FALSE(engine.selectChannelPair(false));
    EXPECT_TRUE(engine.state().channelPairAB);
    engine.stopRecording(2);
}

TEST_F(EngineTest, CloseAsksBeforeStoppingARecording) {
    installFiles();
    start();
    engine.startRecording(2);
    box.run(0.5);
    dialogs.expectMessage(Answer::Cancel);
    EXPECT_FALSE(engine.close());
    EXPECT_TRUE(engine.isRecording(2));
    EXPECT_TRUE(box.isOpen());
    EXPECT_FALSE(fs::exists(dir / "space/regim.dat"));

    // OK: the recording is finished, then the settings files are written.
    engine.toggleChannel2();
    dialogs.expectMessage(Answer::Ok);
    EXPECT_TRUE(engine.close());
    EXPECT_FALSE(engine.isRecording(2));
    EXPECT_TRUE(fs::exists(dir / "data/kanal2/h1b.hrm") || fs::exists(dir / "data/h1b.hrm"));
    EXPECT_NE(file("vk7.dat"), kInstalledSettings);
    EXPECT_TRUE(fs::exists(dir / "space/regim.dat"));
    EXPECT_FALSE(box.isOpen());
    EXPECT_EQ(dialogs.messageTexts()[0], RU("Запись сигналов не окончена. Остановить ее?"));
    EXPECT_TRUE(dialogs.unexpected().empty());
}

// An input whose close tells whether the settings files were already written.
struct WatchedBox : SimulatedBox {
    std::function<void()> onReset;
    void reset() override {
        if (onReset) onReset();
        SimulatedBox::reset();
    }
};

TEST_F(EngineTest, TheSettingsAreWrittenBeforeTheInputIsClosed) {
    // A device that stopped answering may hold up its close: the files come first.
    test::TempDir folder;
    folder.write("vk7.dat", kInstalledSettings);
    folder.write("calibrvk", kInstalledCalibration);
    WatchedBox watched;
    Hooks h;
    AcquisitionEngine e({StartFolder(folder.path()), watched, dialogs, clock, nullptr}, &h);
    e.create(277, 29);
    e.showStartMessages();
    e.toggleChannel2();
    std::string atReset;
    bool regimeAtReset = false;
    watched.onReset = [&] {
        atReset = readFileBytes(folder / "vk7.dat");
        regimeAtReset = fs::exists(folder / "space/regim.dat");
        watched.onReset = nullptr;
    };
    ASSERT_TRUE(e.close());
    EXPECT_NE(atReset, kInstalledSettings);
    EXPECT_EQ(atReset, readFileBytes(folder / "vk7.dat"));
    EXPECT_TRUE(regimeAtReset);
}

TEST_F(EngineTest, BlocksKeepComingUnderAModalBoxAndNoPointIsLost) {
    // A recording runs while a modal box is open for 100 blocks (about 4.6 s): from inside
    // the block handler (the power check) and from another handler (the close question).
    installFiles();
    box.setPower(false);
    start();
    engine.startRecording(1);
    ASSERT_TRUE(engine.isRecording(1));
    dialogs.setWhileNextMessageOpen([&](const MessageRequest& r) {
        EXPECT_EQ(r.text, RU("Проверьте питание приставки!"));
        for (int i = 0; i < 100; ++i) box.step();
    });
    box.step();
    EXPECT_EQ(engine.recording(1).recordedCount(), 101);
    EXPECT_EQ(box.deliveredBlocks(), box.producedBlocks());

    dialogs.expectMessage(Answer::Cancel);
    dialogs.setWhileNextMessageOpen([&](const MessageRequest&) {
        for (int i = 0; i < 100; ++i) box.step();
    });
    EXPECT_FALSE(engine.close());
    EXPECT_EQ(engine.recording(1).recordedCount(), 201);
    EXPECT_EQ(box.lostBlocks(), 0u);
    const fs::path file = engine.recording(1).currentPath();
    engine.stopRecording(1);
    EXPECT_EQ(dialogs.messageTexts().size(), 2u) << "nothing lost, nothing reported";
    EXPECT_EQ(engine.state().recordingLost[0], 0u);
    EXPECT_TRUE(fs::exists(fs::path(file.string() + "m")));
}

TEST_F(EngineTest, BlocksLostDuringARecordingAreCountedAndReportedOnceAtItsEnd) {
    installFiles();
    start();
    box.run(0.5);
    box.injectOverrun();  // before the recording: not its loss
    box.run(0.5);
    engine.acceptRecordTime(2, "2");  // 2584 points planned
    engine.startRecording(1);
    engine.startRecording(2);
    box.run(0.5);
    box.injectOverrun();
    box.run(0.2);
    box.injectOverrun();
    box.run(0.2);
    EXPECT_EQ(engine.state().lostBlocks, 3u);
    EXPECT_EQ(engine.state().recordingLost, (std::array<uint64_t, 2>{2, 2}));
    EXPECT_NE(engine.inputDiagnosticsText().find(RU("Потеряно блоков: 3; при записи: 2 / 2")), std::string::npos);
    // An output device that holds more than two buffers says so with the diagnostics.
    EXPECT_EQ(engine.outputDiagnosticsText(), "");
    hooks.note = RU("Выход default: буфер 557 мс вместо 372 мс");
    EXPECT_EQ(engine.outputDiagnosticsText(), RU("Выход default: буфер 557 мс вместо 372 мс"));
    hooks.note.clear();
    engine.stopRecording(1);
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("При записи потеряно 2 точки")});
    engine.stopRecording(1);
    EXPECT_EQ(dialogs.messageTexts().size(), 1u) << "once per recording";

    // Channel 2 ends by itself (its planned length) from inside the block handler: the
    // message comes after the block is handed back.
    box.injectOverrun();
    bool outstandingAtMessage = true;
    dialogs.setWhileNextMessageOpen([&](const MessageRequest&) { outstandingAtMessage = box.outstanding(); });
    while (engine.isRecording(2)) box.step();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("При записи потеряно 3 точки"));
    EXPECT_FALSE(outstandingAtMessage);
}

TEST_F(EngineTest, ALostDeviceGetsOneMessage) {
    // The capture fails for good; the device then gives no sound either, which the input's
    // watchdog may still report: that is the same fault and gets no second box.
    installFiles();
    start();
    box.run(0.5);
    engine.inputFailed(RU("Устройство default: No such device"));
    engine.inputStalled(RU("Устройство default: нет звука более 2 с"));
    engine.inputFailed(RU("Устройство default: No such device"));
    EXPECT_EQ(dialogs.messageTexts(),
              std::vector<std::string>{RU("Прием сигналов прекращен\nУстройство default: No such device")});
    ASSERT_TRUE(engine.close());
}

TEST_F(EngineTest, NothingIsDeliveredAfterReset) {
    installFiles();
    start();
    box.run(0.2);
    const uint64_t delivered = box.deliveredBlocks();
    ASSERT_TRUE(engine.close());
    box.run(0.5);
    EXPECT_EQ(box.deliveredBlocks(), delivered);
}

TEST_F(EngineTest, LevelScaleOfTheLaidOutImage) {
    installFiles();
    start();
    const LevelScaleGeometry& g = engine.levelScale(1);
    EXPECT_DOUBLE_EQ(g.pixelsPerVolt, 1772.8);
    EXPECT_EQ(g.barHeight, 15);
    ASSERT_EQ(g.ticks.size(), 16u);
    EXPECT_EQ(g.ticks[0].x, 0);
    EXPECT_EQ(g.ticks[1].x, 18);
    EXPECT_EQ(g.ticks[15].x, 266);
    EXPECT_EQ(g.ticks[15].label, "150");
    EXPECT_EQ(levelBarWidth(-0.15625, g.pixelsPerVolt, 277), 277);
    EXPECT_EQ(levelBarWidth(1e300, g.pixelsPerVolt, 277), 277);
    EXPECT_EQ(levelBarWidth(0.001, g.pixelsPerVolt, 277), 2);
}

}  // namespace
}  // namespace vk7
