// The ALSA input on real ALSA devices made of its `null` and `file` plugins: a software
// `default` device delivers the file's samples exactly, a device that takes only mono at
// 48000 Hz opens through the conversion, a missing device names ALSA's reason, a device
// that runs dry is reported once, and a hanging device does not hold up the close.
#include "platform/qt/alsa_sound_input.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <algorithm>
#include <clocale>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "acquisition/demodulation.h"
#include "common/cp1251.h"
#include "tests/acquisition/forms/alsa_test_config.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

struct CollectingReceiver : SoundInputReceiver {
    SoundInput* input = nullptr;
    std::vector<int16_t> samples;
    int blocks = 0, stalls = 0, failures = 0;
    std::string stalledWhat;
    void blockFilled(const int16_t* frames, int count) override {
        EXPECT_EQ(count, 2048);
        samples.insert(samples.end(), frames, frames + 2 * count);
        ++blocks;
        input->requeue();
    }
    void inputStalled(const std::string& what) override {
        ++stalls;
        stalledWhat = what;
    }
    void inputFailed(const std::string&) override { ++failures; }
};

// Runs the event loop for `ms` milliseconds, for what must not happen meanwhile.
void runEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class AlsaInputTest : public ::testing::Test {
protected:
    test::AlsaTestConfig alsa;
};

TEST_F(AlsaInputTest, ASoftwareDefaultDeviceDeliversTheFedSamplesExactlyAndIsReportedWhenItRunsDry) {
    constexpr int kBlocks = 8;
    const auto fed = test::sineFrames(44100, 2, kBlocks * 2048, 4000, 10000, true);

    alsa.feed(fed);  // 64 KiB: all of it is in the device's FIFO before the capture starts
    AlsaSoundInput input;  // "default", on a machine that may have no sound card at all
    CollectingReceiver r;
    r.input = &input;
    ASSERT_EQ(input.open(44100, r), SoundOpenError::None) << input.lastError();
    EXPECT_FALSE(input.converted());
    EXPECT_EQ(input.openedHow(), RU("Вход default: 44100 Гц, без преобразования"));

    ASSERT_TRUE(test::waitUntil([&] { return r.blocks >= kBlocks; }, "the fed blocks"));
    ASSERT_EQ(r.blocks, kBlocks);
    EXPECT_EQ(r.samples, fed);
    EXPECT_EQ(input.lostBlocks(), 0u);

    // The feed has stopped: no sound for two seconds is reported once.
    ASSERT_TRUE(test::waitUntil([&] { return r.stalls > 0; }, "the silence reported"));
    runEventsFor(600);
    EXPECT_EQ(r.stalls, 1);
    EXPECT_EQ(r.stalledWhat, RU("Устройство default: нет звука более 2 с"));
    EXPECT_EQ(r.failures, 0);

    alsa.releaseFeed();  // the device's input ends, its read returns
    input.reset();
    const int after = r.blocks;
    runEventsFor(100);
    EXPECT_EQ(r.blocks, after) << "nothing is delivered after reset";
    input.close();
    EXPECT_EQ(input.abandonedThreads(), 0);
}

TEST_F(AlsaInputTest, AMonoOnlyDeviceAt48000HzOpensThroughTheConversion) {
    // Fed before the open. The test device has nothing to pace it (its null slave always
    // says a whole buffer is there), so the conversion skips much of what is fed: only
    // the blocks' content is checked, not their number.
    alsa.feed(test::sineFrames(48000, 1, 48000 * 5, 4000, 10000, false), true);
    AlsaSoundInput input("vk7_mono48");
    CollectingReceiver r;
    r.input = &input;
    ASSERT_EQ(input.open(44100, r), SoundOpenError::None) << input.lastError();
    EXPECT_TRUE(input.converted());
    EXPECT_EQ(input.openedHow(), RU("Вход vk7_mono48: 44100 Гц, через преобразование ALSA"));
    ASSERT_TRUE(test::waitUntil([&] { return r.blocks >= 5 || r.failures > 0; }, "five blocks"));
    ASSERT_GE(r.blocks, 5) << r.failures << " " << input.lostBlocks();

    // The carrier comes through on both channels at its own frequency and about its height.
    const int16_t* block = r.samples.data() + 3 * 2 * 2048;
    const auto scans = scanBlock(block);
    for (const auto& scan : scans) {
        EXPECT_NEAR(1000.0 / periodMsFromScan(scan, 44100), 4000.0, 30.0);  // crossings on whole frames
        EXPECT_NEAR(scan.amplitude, 20000, 600);
    }
    alsa.releaseFeed();
    input.close();
}

TEST_F(AlsaInputTest, ADeviceThatDoesNotOpenNamesItselfAndAlsasReason) {
    AlsaSoundInput input("vk7_no_such_device");
    CollectingReceiver r;
    r.input = &input;
    int card = -1;
    const bool anyCard = snd_card_next(&card) == 0 && card >= 0;
    EXPECT_EQ(input.open(44100, r), anyCard ? SoundOpenError::OpenFailed : SoundOpenError::NoDevice);
    EXPECT_EQ(input.failureReason().rfind(RU("Устройство vk7_no_such_device: "), 0), 0u) << input.failureReason();
    EXPECT_GT(input.failureReason().size(), RU("Устройство vk7_no_such_device: ").size());
    EXPECT_EQ(input.openedHow(), "");
    input.close();
    EXPECT_EQ(r.blocks, 0);

    // On a Russian desktop the C library words ALSA's reason in Russian (UTF-8): the box shows
    // it in the programs' code page, as one of ALSA's reasons, not as UTF-8 bytes.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8")) GTEST_SKIP() << "ru_RU.UTF-8 is not generated on this machine";
    input.open(44100, r);
    const std::string prefix = RU("Устройство vk7_no_such_device: ");
    const std::string reason = input.failureReason().substr(std::min(prefix.size(), input.failureReason().size()));
    input.close();
    bool known = false;
    for (int e = 1; e < 200 && !known; ++e) known = toUtf8(reason) == snd_strerror(-e);
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_TRUE(known) << toUtf8(reason);
}

TEST_F(AlsaInputTest, ADeviceThatHangsIsLeftBehindAndTheCloseReturns) {
    AlsaSoundInput input("vk7_hang");
    CollectingReceiver r;
    r.input = &input;
    ASSERT_EQ(input.open(44100, r), SoundOpenError::None) << input.lastError();
    ASSERT_TRUE(test::waitUntil([&] { return alsa.hangIsBeingRead(); }, "the capture thread inside the read"));
    // The close returns although the read does not, after giving the thread its time.
    QElapsedTimer timer;
    timer.start();
    input.close();
    EXPECT_GE(timer.elapsed(), AlsaSoundInput::kJoinTimeoutMs - 100);
    EXPECT_EQ(input.abandonedThreads(), 1);
    EXPECT_EQ(r.blocks, 0);
    // The device answers at last: the thread left behind ends on its own and closes it.
    alsa.releaseHang();
    ASSERT_TRUE(test::waitUntil([&] { return !alsa.hangIsOpen(); }, "the thread left behind to close the device"));
}

}  // namespace
}  // namespace vk7
