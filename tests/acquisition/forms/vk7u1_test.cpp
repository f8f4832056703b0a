// The acquisition main window driven headless by the simulated box.
#include "acquisition/forms/vk7u1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/alsa_sound_input.h"
#include "platform/qt/qt_text.h"
#include "tests/acquisition/forms/alsa_test_config.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

// A key typed while the window of `target` is active: like the window system, the
// application delivers it to the control that has the focus there (the window itself when
// none has).
void pressKey(QWidget* target, int key) {
    QWidget* window = target->window();
    target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

std::string text(const QLabel* l) { return fromQString(l->text()); }

// The installed vk7.dat and calibrvk in a start folder.
void installSettings(const test::TempDir& dir) {
    const fs::path install = fs::path(VK7_SOURCE_DIR) / "install";
    fs::copy_file(install / "vk7.dat", dir / "vk7.dat");
    fs::copy_file(install / "calibrvk", dir / "calibrvk");
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        installSettings(dir);
    }

    // Creates and shows the windows; no event has been handled yet (the main window's
    // timers have not run).
    void create() {
        form = std::make_unique<TForm1>(StartFolder(dir.path()), box, dialogs, clock, [](int) {});
        form2 = std::make_unique<TForm2>(form->engine());
        form3 = std::make_unique<TForm3>(form->engine());
        form4 = std::make_unique<TForm4>(StartFolder(dir.path()));
        form->setOtherForms(form2.get(), form3.get(), form4.get());
        form->show();
    }
    void open() {
        create();
        QApplication::processEvents();
    }

    ~MainWindowTest() override {
        if (form) form->close();
        EXPECT_TRUE(dialogs.unexpected().empty());
    }

    // The colour of a pixel of a level image.
    static QColor pixel(const TImage* image, int x, int y) { return image->picture().pixelColor(x, y); }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
};

TEST_F(MainWindowTest, LabelsAndBarsFollowTheScriptedVoltage) {
    box.setDetector(0, DetectorScript{0.0, {{3.0, 0.1, 0.4}}});   // a 100 mV peak at 3 s
    box.setDetector(1, DetectorScript{-0.03, {}});
    open();
    EXPECT_EQ(form->windowTitle(), toQString(RU("Велетрон-7М. Прием сигналов.")));
    EXPECT_TRUE(dialogs.shown().empty());

    const int barBottom = form->engine().levelScale(1).barHeight - 1;
    double maxShown = -1;
    for (int step = 0; step < 60; ++step) {
        box.run(0.1);
        const double t = box.time() - 2048.0 / 44100;  // the block just shown
        // Max minus min over the analysed frames reads the largest amplitude among them.
        double volts = -1e9;
        for (int k = 512; k < 2048; k += 16) volts = std::max(volts, box.outputVolts(0, t + k / 44100.0));
        const double expectedMv = 1.18 * 1000 * volts;
        const double shownMv = parseLenient(text(form->Label1));
        EXPECT_NEAR(shownMv, expectedMv, 1.5) << "t = " << t;
        maxShown = std::max(maxShown, shownMv);

        // The bar: red up to its length, button face after it (within the frame).
        const int width = form->engine().display(1).barWidth;
        EXPECT_NEAR(width, std::abs(shownMv) / 1000 * 277 / 0.15625, 1.01);
        if (width > 3) {
            EXPECT_EQ(pixel(form->Image1, width / 2, barBottom / 2), (shownMv > 0 ? QColor(255, 0, 0) : QColor(0, 0, 255)));
        }
        if (width + 2 < 276) {
            EXPECT_EQ(pixel(form->Image1, width + 2, barBottom / 2), TForm1::buttonFace());
        }
    }
    EXPECT_NEAR(maxShown, 118.0, 2.0);

    // Channel 2: a steady negative voltage, blue bar.
    EXPECT_NEAR(parseLenient(text(form->Label2)), -35.4, 1.5);
    const int width2 = form->engine().display(2).barWidth;
    EXPECT_EQ(pixel(form->Image2, width2 / 2, barBottom / 2), QColor(0, 0, 255));

    // The scale below the bar: a navy tick at 150 mV.
    EXPECT_EQ(pixel(form->Image1, 266, 29 - 13), QColor(0, 0, 128));
    EXPECT_EQ(pixel(form->Image1, 265, 29 - 13), TForm1::buttonFace());
    // Its label "150" whole: ink just left of the right edge, none running through the edge.
    const LevelScaleGeometry& scale = form->engine().levelScale(1);
    bool ink = false;
    for (int y = scale.labelY; y < scale.height; ++y) {
        EXPECT_EQ(pixel(form->Image1, scale.width - 1, y), TForm1::buttonFace()) << "row " << y;
        for (int x = scale.width - 16; x < scale.width - 1; ++x) ink |= pixel(form->Image1, x, y) != TForm1::buttonFace();
    }
    EXPECT_TRUE(ink);

    // Switching channel 2 off empties its value and its bar.
    form->SpeedButton22->click();
    box.run(0.1);
    EXPECT_EQ(text(form->Label2), "");
    EXPECT_EQ(pixel(form->Image2, width2 / 2, barBottom / 2), TForm1::buttonFace());
    EXPECT_FALSE(text(form->Label8).empty());
    EXPECT_EQ(box.droppedBlocks(), 0u);
}

TEST_F(MainWindowTest, DiagnosticsAppearWithF12WhereverTheFocusIs) {
    open();
    box.run(2.0);
    const std::vector<QLabel*> labels{form->Label9, form->Label14, form->Label10, form->Label15, form->Label6, form->Label8};
    for (QLabel* l : labels) EXPECT_FALSE(l->isVisible());
    pressKey(form.get(), Qt::Key_F12);
    for (QLabel* l : labels) EXPECT_TRUE(l->isVisible());
    EXPECT_NEAR(parseLenient(text(form->Label6)), 4.0, 0.05);
    EXPECT_EQ(text(form->Label6).substr(text(form->Label6).size() - 4), RU(" кГц"));
    EXPECT_NEAR(parseLenient(text(form->Label9)), 5000, 20);
    EXPECT_FALSE(text(form->Label14).empty());
    // From a control inside the window, once per press.
    form->StGr1->setFocus();
    pressKey(form->StGr1, Qt::Key_F12);
    for (QLabel* l : labels) EXPECT_FALSE(l->isVisible());
}

TEST_F(MainWindowTest, RecordTimeEditor) {
    open();
    struct Case {
        const char* typed;
        int key;
        uint16_t seconds;
    } cases[] = {{"2.5", Qt::Key_Return, 150}, {"1", Qt::Key_Enter, 120}, {"text", Qt::Key_Return, 120},
                 {"45", Qt::Key_Escape, 120}, {"1100", Qt::Key_Return, 65535}};
    for (const auto& c : cases) {
        form->SpeedButton13->click();
        ASSERT_TRUE(form->Edit4->isVisible());
        EXPECT_FALSE(form->SpeedButton13->isVisible());
        form->Edit4->setText(QString::fromLatin1(c.typed));
        pressKey(form->Edit4, c.key);
        EXPECT_FALSE(form->Edit4->isVisible());
        EXPECT_TRUE(form->SpeedButton13->isVisible());
        EXPECT_EQ(form->engine().state().settings.recordTimeSec[0], c.seconds) << c.typed;
        EXPECT_EQ(form2->ChannelViewEndSec(), c.seconds);
    }
    form->SpeedButton13->click();
    EXPECT_EQ(fromQString(form->Edit4->text()), "1092.25");
    pressKey(form->Edit4, Qt::Key_Escape);

    form->SpeedButton14->click();
    EXPECT_EQ(fromQString(form->Edit5->text()), " 30.00");
    form->Edit5->setText("3");
    pressKey(form->Edit5, Qt::Key_Return);
    EXPECT_EQ(form3->ChannelViewEndSec(), 180);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(splitLines(readFileBytes(dir / "vk7.dat"))[5], "180");
}

TEST_F(MainWindowTest, AboutPanelIsShownAtStartAndGoesOnEsc) {
    // Looked at before the first event: the panel's timer takes it away after 3 s, which a
    // busy machine may spend creating the windows.
    create();
    EXPECT_TRUE(form->Panel1->isVisible());
    EXPECT_EQ(fromQString(form->Label19->text()), RU("Версия 7.4"));
    QApplication::processEvents();
    pressKey(form->StGr1, Qt::Key_Escape);
    EXPECT_FALSE(form->Panel1->isVisible());
    EXPECT_EQ(fromQString(form->GroupBox1->title()), RU("Канал А"));  // the pair AB, labelled by the switch
    EXPECT_EQ(form->StGr1->columnWidth(0), 170);
    EXPECT_EQ(form->StGr1->columnWidth(2), 127);
    EXPECT_FALSE(form->Panel3->isVisible());
    EXPECT_FALSE(form->SpeedButton2->isEnabled());
}

TEST_F(MainWindowTest, WithoutASoundCardTheMessageComesOverTheWindowAndTheProgramRuns) {
    box.failNextOpen(SoundOpenError::NoDevice);
    form = std::make_unique<TForm1>(StartFolder(dir.path()), box, dialogs, clock, [](int) {});
    EXPECT_TRUE(dialogs.shown().empty()) << "not before the window is shown";
    form->show();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.caption, RU("нет звуковой платы"));
    EXPECT_EQ(dialogs.shown()[0].message.text, RU("Нет звуковой платы"));
    EXPECT_TRUE(form->isVisible());
    pressKey(form.get(), Qt::Key_F12);
    EXPECT_TRUE(form->Label9->isVisible());
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(fs::exists(dir / "vk7.dat"));
}

TEST_F(MainWindowTest, ThePowerCheckBoxComesFromTheHandlerOnce) {
    box.setPower(false);
    open();
    box.run(1.0);
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Проверьте питание приставки!")});
    EXPECT_EQ(box.deliveredBlocks(), box.producedBlocks());
}

TEST_F(MainWindowTest, CloseWritesTheSettingsAndSaysTheProgramMayEnd) {
    open();
    bool ended = false;
    QObject::connect(form.get(), &TForm1::programClosed, [&] { ended = true; });
    form->SpeedButton22->click();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(ended);
    EXPECT_EQ(splitLines(readFileBytes(dir / "vk7.dat"))[7], "0");
    EXPECT_EQ(readFileBytes(dir / "calibrvk"), readFileBytes(fs::path(VK7_SOURCE_DIR) / "install" / "calibrvk"));
    const uint64_t delivered = box.deliveredBlocks();
    box.run(0.5);
    EXPECT_EQ(box.deliveredBlocks(), delivered);
}

// The calibration's setup panel with the simulated box on both sides of the sound card.
class CalibrationWindowTest : public ::testing::Test {
protected:
    CalibrationWindowTest() {
        installSettings(dir);
    }
    static SimulatedBox::Settings boxSettings() {
        // A transfer other than the installed calibration's: 6000 ADC units at 0 V, 12000
        // more per volt, a reference of 1.2 V.
        SimulatedBox::Settings s;
        s.zeroAmplitude = 6000;
        s.unitsPerVolt = 12000;
        s.referenceVolts = 1.2;
        return s;
    }
    void open() {
        form = std::make_unique<TForm1>(StartFolder(dir.path()), box, dialogs, clock, [](int) {}, nullptr, &box.output());
        form->show();
        QApplication::processEvents();
    }
    ~CalibrationWindowTest() override {
        if (form) form->close();
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty());
    }
    test::TempDir dir;
    SimulatedBox box{boxSettings()};
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    std::unique_ptr<TForm1> form;
};

TEST_F(CalibrationWindowTest, TheCycleMakesTheShownVoltageMatchTheBoxAndIsSavedAtClose) {
    box.setDetector(0, DetectorScript{0.1, {}});
    box.setDetector(1, DetectorScript{0.05, {}});
    open();
    pressKey(form.get(), Qt::Key_Escape);
    box.run(1.0);
    // The installed line does not fit this box: 0.1 V reads wrong.
    EXPECT_GT(std::abs(parseLenient(text(form->Label1)) - 118.0), 20.0);

    form->SpeedButton11->click();
    EXPECT_TRUE(form->Panel3->isVisible());
    EXPECT_FALSE(form->Label3->isVisible());
    EXPECT_EQ(fromQString(form->Edit3->text()), " 1.000");
    EXPECT_TRUE(form->SpeedButton7->isEnabled());
    EXPECT_FALSE(form->SpeedButton20->isEnabled());

    form->Edit3->setText("1.2");
    form->SpeedButton16->click();
    EXPECT_EQ(form->engine().state().calibrationState, 2);
    EXPECT_FALSE(form->SpeedButton12->isEnabled()) << "no pair switch while the cycle runs";
    form->SpeedButton18->click();  // "X" does nothing while the cycle runs
    EXPECT_TRUE(form->Panel3->isVisible());
    box.run(3.0);
    EXPECT_EQ(form->engine().state().calibrationState, 1);
    EXPECT_EQ(box.commandsHeard(), (std::vector<uint8_t>{0, 192, 128, 0}));
    EXPECT_NEAR(form->engine().state().calibration.slope[0], 1000.0 / 12000, 1e-4);
    EXPECT_NEAR(form->engine().state().calibration.intercept[1], -0.5, 2e-3);
    EXPECT_TRUE(form->SpeedButton12->isEnabled());
    EXPECT_EQ(fromQString(form->GroupBox1->title()), RU("Канал А"));
    if (const char* out = std::getenv("VK7_SCREENSHOTS")) form->grab().save(QString::fromUtf8(out) + "/vk7r_calibration.png");

    form->SpeedButton18->click();
    EXPECT_FALSE(form->Panel3->isVisible());
    EXPECT_TRUE(form->Label3->isVisible());
    box.run(1.0);
    EXPECT_NEAR(parseLenient(text(form->Label1)), 118.0, 1.5);
    EXPECT_NEAR(parseLenient(text(form->Label2)), 59.0, 1.5);

    EXPECT_TRUE(form->close());
    const auto lines = splitLines(readFileBytes(dir / "calibrvk"));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[1], " 1.20000000000000E+0000");
    EXPECT_EQ(lines[3].substr(0, 5), " 8.33");
    EXPECT_EQ(lines[3].substr(17), "E-0002");
}

TEST_F(CalibrationWindowTest, AnInvalidReferenceKeepsTheSetupAndEscInTheEditorLeaves) {
    open();
    box.run(0.5);  // the start's pair command has played (a later one would replace it)
    form->SpeedButton11->click();
    form->SpeedButton15->click();  // "CD"
    box.run(1.0);
    EXPECT_EQ(box.connection(), BoxConnection::PairCD);
    EXPECT_EQ(fromQString(form->GroupBox1->title()), RU("Канал C"));
    EXPECT_FALSE(form->SpeedButton7->isEnabled());
    EXPECT_TRUE(form->SpeedButton20->isEnabled());
    form->Edit3->setText("0.05");
    form->SpeedButton16->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Проверьте величину образцового напряжения"));
    EXPECT_EQ(form->engine().state().calibrationState, 1);
    form->SpeedButton9->click();  // "+"
    EXPECT_EQ(fromQString(form->GroupBox2->title()), RU("Образцовое напряжение"));
    EXPECT_FALSE(form->SpeedButton20->isEnabled());
    box.run(1.0);
    EXPECT_EQ(box.connection(), BoxConnection::ReferenceVoltage);
    pressKey(form->Edit3, Qt::Key_Escape);
    EXPECT_FALSE(form->Panel3->isVisible());
    EXPECT_EQ(form->engine().state().calibrationState, 0);
    box.run(1.0);
    EXPECT_EQ(box.connection(), BoxConnection::PairAB);
    EXPECT_EQ(fromQString(form->GroupBox1->title()), RU("Канал А"));
    EXPECT_EQ(box.commandsHeard(), (std::vector<uint8_t>{0, 64, 192, 0}));
}

TEST_F(CalibrationWindowTest, WithoutAnOutputDeviceTheProgramSaysSoAndRuns) {
    box.setOutputMissing(true);
    open();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Ошибка аудио вывода")});
    EXPECT_FALSE(form->commandLink()->running());
    box.run(0.5);
    EXPECT_FALSE(text(form->Label1).empty());
}

// The input as the window sees it in the tests on ALSA devices: the first `limit` blocks of
// the device, counted, and nothing after them. A test device gives exactly what was fed while
// the feed lasts, stale samples after it, and the input says it has gone quiet 2 s later, at a
// moment that depends on how busy the machine is: held at a block of the feed, the window
// shows what the test knows.
class FirstBlocksInput : public SoundInput, private SoundInputReceiver {
public:
    FirstBlocksInput(SoundInput& device, int limit) : device_(device), limit_(limit) {}
    // Blocks the window has been given.
    int given() const { return given_; }

    SoundOpenError open(int rate, SoundInputReceiver& window) override {
        window_ = &window;
        return device_.open(rate, *this);
    }
    void requeue() override { device_.requeue(); }
    void reset() override { device_.reset(); }
    void close() override { device_.close(); }
    uint64_t droppedBlocks() const override { return device_.droppedBlocks(); }
    uint64_t overruns() const override { return device_.overruns(); }
    std::string failureReason() const override { return device_.failureReason(); }
    std::string openedHow() const override { return device_.openedHow(); }

private:
    void blockFilled(const int16_t* frames, int frameCount) override {
        if (given_ >= limit_) return device_.requeue();
        ++given_;
        window_->blockFilled(frames, frameCount);
    }
    void inputFailed(const std::string& what) override { window_->inputFailed(what); }

    SoundInput& device_;
    const int limit_;
    int given_ = 0;
    SoundInputReceiver* window_ = nullptr;
};

// The window on real ALSA devices (software ones from ALSA's null and file plugins).
class AlsaWindowTest : public ::testing::Test {
protected:
    AlsaWindowTest() {
        installSettings(dir);
    }
    test::AlsaTestConfig alsa;
    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
};

TEST_F(AlsaWindowTest, AMonoDeviceAt48000HzShowsTheFedCarrierAndSaysHowItWasOpened) {
    // 5 s of a 4 kHz carrier of 10000 ADC units peak to peak (0.3333 V through the
    // installed calibration, 393.3 mV after the factor 1.18), all of it in the device before
    // the open. The conversion skips much of it (see the input's own test): the window is
    // shown 8 of the blocks that come through.
    alsa.feed(test::sineFrames(48000, 1, 48000 * 5, 4000, 5000, false), true);
    AlsaSoundInput device("vk7_mono48");
    FirstBlocksInput input(device, 8);
    TForm1 form(StartFolder(dir.path()), input, dialogs, clock, [](int) {});
    form.show();
    ASSERT_TRUE(test::waitUntil([&] { return input.given() == 8; }, "8 blocks shown"));
    pressKey(&form, Qt::Key_Escape);
    pressKey(&form, Qt::Key_F12);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_NEAR(parseLenient(text(form.Label1)), 393.3, 12.0);
    EXPECT_NEAR(parseLenient(text(form.Label9)), 10000, 300);
    EXPECT_NEAR(parseLenient(text(form.Label6)), 4.0, 0.03);
    EXPECT_EQ(text(form.InputLabel).rfind(RU("Вход vk7_mono48: 44100 Гц, через преобразование ALSA. Потеряно блоков: "), 0), 0u)
        << text(form.InputLabel);
    EXPECT_NE(text(form.InputLabel).find(RU("Потеряно блоков: 0;")), std::string::npos);
    if (const char* out = std::getenv("VK7_SCREENSHOTS")) form.grab().save(QString::fromUtf8(out) + "/vk7r_alsa_mono48.png");
    alsa.releaseFeed();
    EXPECT_TRUE(form.close());
}

TEST_F(AlsaWindowTest, ADeviceThatHangsDoesNotHoldUpTheCloseNorCostTheSettings) {
    AlsaSoundInput input("vk7_hang");
    TForm1 form(StartFolder(dir.path()), input, dialogs, clock, [](int) {});
    form.show();
    ASSERT_TRUE(test::waitUntil([&] { return alsa.hangIsBeingRead(); }, "the capture thread inside the read"));
    form.SpeedButton22->click();  // a change that must reach vk7.dat
    fs::remove(dir / "calibrvk");
    // The close returns although the device never does.
    EXPECT_TRUE(form.close());
    EXPECT_EQ(splitLines(readFileBytes(dir / "vk7.dat"))[7], "0");
    EXPECT_TRUE(fs::exists(dir / "calibrvk"));
    EXPECT_EQ(input.abandonedThreads(), 1);
    alsa.releaseHang();
    ASSERT_TRUE(test::waitUntil([&] { return !alsa.hangIsOpen(); }, "the thread left behind to close the device"));
}

}  // namespace
}  // namespace vk7
