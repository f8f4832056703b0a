// The box command link: the bursts as the box sees them, the worker's command handover,
// ComputeCalibration, and the whole calibration cycle with the simulated box.
#include "acquisition/box_command_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "acquisition/voltage_calibration.h"
#include "common/cp1251.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

struct Pulse {
    int start, width;
};

// The low pulses of a right channel.
std::vector<Pulse> pulses(const std::vector<int16_t>& right) {
    std::vector<Pulse> out;
    for (int k = 0; k < int(right.size()); ++k) {
        if (right[size_t(k)] >= -16384) continue;
        int end = k;
        while (end < int(right.size()) && right[size_t(end)] < -16384) ++end;
        out.push_back({k, end - k});
        k = end;
    }
    return out;
}

TEST(CommandSignal, EightPulsesOnePerPeriodOfTheClockBit7First) {
    const int starts[8] = {0, 88, 174, 260, 346, 432, 518, 604};
    for (int command : {0, 64, 128, 192, 255}) {
        std::vector<int16_t> right(8192, 7);
        GenerateCommandSignal(right.data(), 8192, command);
        const auto p = pulses(right);
        ASSERT_EQ(p.size(), 8u) << command;
        for (int i = 0; i < 8; ++i) {
            const bool one = (command >> (7 - i)) & 1;
            // The first pulse starts on sample 0 only for a 1 (cos 0 = 1 is not below 1).
            if (i == 0)
                EXPECT_EQ(p[0].start, one ? 0 : 1) << command;
            else
                EXPECT_EQ(p[size_t(i)].start, starts[i]) << command << " bit " << i;
            if (one) {
                EXPECT_GE(p[size_t(i)].width, 42) << command << " bit " << i;
                EXPECT_LE(p[size_t(i)].width, 44) << command << " bit " << i;
            } else {
                EXPECT_GE(p[size_t(i)].width, 13) << command << " bit " << i;
                EXPECT_LE(p[size_t(i)].width, 14) << command << " bit " << i;
            }
        }
        EXPECT_LT(p.back().start + p.back().width, 700);
        for (int k = 700; k < 8192; ++k) ASSERT_EQ(right[size_t(k)], 0) << command << " sample " << k;
    }
    // No command: the idle level throughout.
    std::vector<int16_t> right(8192, 7);
    GenerateCommandSignal(right.data(), 8192, -1);
    EXPECT_EQ(right, std::vector<int16_t>(8192, 0));
}

TEST(CommandSignal, TheBoxDecodesEveryValueAndTheLeftChannelStaysSilent) {
    std::vector<int16_t> left(8192, 0), right(8192), stereo(2 * 8192);
    for (int v = 0; v < 256; ++v) {
        GenerateCommandSignal(right.data(), 8192, v);
        InterleaveStereo(stereo.data(), left.data(), right.data(), 8192);
        for (int k = 0; k < 8192; ++k) ASSERT_EQ(stereo[size_t(2 * k)], 0);
        EXPECT_EQ(decodeCommandBurst(stereo.data(), 8192), std::optional<uint8_t>(uint8_t(v)));
    }
    GenerateCommandSignal(right.data(), 8192, -1);
    InterleaveStereo(stereo.data(), left.data(), right.data(), 8192);
    EXPECT_EQ(decodeCommandBurst(stereo.data(), 8192), std::nullopt);
}

// An output whose writes wait for the test to let each buffer through; it keeps what was
// written.
class GateOutput : public SoundOutput {
public:
    bool open(int) override { return true; }
    void waitForRoom(int) override {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return allowed_ > 0 || interrupted_; });
    }
    void write(const int16_t* frames, int frameCount) override {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return allowed_ > 0 || interrupted_; });
        if (interrupted_) return;
        --allowed_;
        written_.emplace_back(frames, frames + 2 * frameCount);
        cv_.notify_all();
    }
    void interrupt() override {
        std::lock_guard lock(m_);
        interrupted_ = true;
        cv_.notify_all();
    }
    void close() override { closed_ = true; }
    // Lets one buffer through and waits until it has been written.
    void pass() {
        std::unique_lock lock(m_);
        const size_t before = written_.size();
        ++allowed_;
        cv_.notify_all();
        cv_.wait(lock, [&] { return written_.size() > before; });
    }
    std::vector<std::optional<uint8_t>> heard() {
        std::lock_guard lock(m_);
        std::vector<std::optional<uint8_t>> out;
        for (const auto& b : written_) out.push_back(decodeCommandBurst(b.data(), int(b.size() / 2)));
        return out;
    }
    std::atomic<bool> closed_{false};

private:
    std::mutex m_;
    std::condition_variable cv_;
    int allowed_ = 0;
    bool interrupted_ = false;
    std::vector<std::vector<int16_t>> written_;
};

TEST(ServiceThread, TwoSendsBeforeABufferPlayOnlyTheSecond) {
    GateOutput out;
    TServiceThread worker(out, OutputParameters{});
    out.pass();  // a buffer without a command; the worker then waits for room
    worker.send(192);
    worker.send(128);
    out.pass();  // the next buffer is generated now: it carries the second command
    out.pass();
    out.pass();
    worker.terminate();
    EXPECT_TRUE(out.closed_);
    EXPECT_EQ(out.heard(), (std::vector<std::optional<uint8_t>>{std::nullopt, 128, std::nullopt, std::nullopt}));
}

TEST(ServiceThread, ACommandHasPlayedOnceTwoBuffersFollowedItsBurst) {
    // The output holds two buffers: the one after the next is taken only when the burst
    // buffer has finished playing.
    GateOutput out;
    TServiceThread worker(out, OutputParameters{});
    out.pass();
    EXPECT_TRUE(worker.commandPlayed()) << "nothing sent";
    worker.send(64);
    EXPECT_FALSE(worker.commandPlayed());
    out.pass();  // the burst
    out.pass();
    EXPECT_FALSE(worker.commandPlayed());
    worker.send(0);  // a second command before the first has played: it is the one waited for
    out.pass();      // the first has played out, the second is in this buffer
    out.pass();
    EXPECT_FALSE(worker.commandPlayed());
    out.pass();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!worker.commandPlayed() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_TRUE(worker.commandPlayed());
    worker.terminate();
    EXPECT_EQ(out.heard(), (std::vector<std::optional<uint8_t>>{std::nullopt, 64, std::nullopt, 0, std::nullopt,
                                                                std::nullopt}));
}

// An output that takes every buffer at once and decodes it (the stress test's listener).
class ListeningOutput : public SoundOutput {
public:
    bool open(int) override { return true; }
    void waitForRoom(int) override {}
    void write(const int16_t* frames, int frameCount) override {
        std::lock_guard lock(m_);
        ++buffers_;
        if (const auto c = decodeCommandBurst(frames, frameCount)) heard_.push_back(*c);
    }
    void close() override {}
    std::vector<uint8_t> heard() {
        std::lock_guard lock(m_);
        return heard_;
    }
    uint64_t buffers() {
        std::lock_guard lock(m_);
        return buffers_;
    }

private:
    std::mutex m_;
    std::vector<uint8_t> heard_;
    uint64_t buffers_ = 0;
};

TEST(ServiceThread, StressManySendsWhileTheWorkerGeneratesEveryBurstIsWholeAndTheLastWins) {
    // Run under ThreadSanitizer as well: the handover is the only shared state.
    ListeningOutput out;
    TServiceThread worker(out, OutputParameters{});
    std::mt19937 rng(7);
    std::vector<uint8_t> sent;
    for (int i = 0; i < 20000; ++i) {
        const auto c = uint8_t(rng() & 0xFF);
        worker.send(c);
        sent.push_back(c);
    }
    worker.send(42);
    sent.push_back(42);
    const uint64_t after = out.buffers();
    ASSERT_TRUE(test::waitUntil([&] { return out.buffers() >= after + 3; }, "three more buffers written"));
    worker.terminate();
    const auto heard = out.heard();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), 42);
    EXPECT_EQ(worker.burstsWritten(), heard.size()) << "every burst decodes to one of the values sent";
    std::vector<bool> wasSent(256, false);
    for (uint8_t c : sent) wasSent[c] = true;
    for (uint8_t c : heard) EXPECT_TRUE(wasSent[c]);
}

// An output whose write never returns until released (a device that hangs); it says when
// the worker is inside the write and when the worker has closed it.
class HangingOutput : public SoundOutput {
public:
    bool open(int) override { return true; }
    void waitForRoom(int) override {}
    void write(const int16_t*, int) override {
        std::unique_lock lock(m_);
        writing_ = true;
        cv_.wait(lock, [&] { return released_; });
    }
    void close() override {
        std::lock_guard lock(m_);
        closed_ = true;
    }
    void release() {
        std::lock_guard lock(m_);
        released_ = true;
        cv_.notify_all();
    }
    bool writing() {
        std::lock_guard lock(m_);
        return writing_;
    }
    bool closed() {
        std::lock_guard lock(m_);
        return closed_;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool released_ = false, writing_ = false, closed_ = false;
};

TEST(BoxCommandLink, AnOutputThatHangsDoesNotHoldUpTheEnd) {
    HangingOutput out;
    BoxCommandLink link(out, nullptr);
    link.createServiceThread();
    ASSERT_TRUE(link.running());
    ASSERT_TRUE(test::waitUntil([&] { return out.writing(); }, "the worker inside its write"));
    link.endServiceThread();  // returns although the write does not
    EXPECT_EQ(link.abandonedWorkers(), 1);
    EXPECT_FALSE(link.running());
    out.release();  // the device answers at last: the worker ends on its own
    ASSERT_TRUE(test::waitUntil([&] { return out.closed(); }, "the worker left behind to close its output"));
}

TEST(BoxCommandLink, WithoutAnOutputTheMessageAndNoWorker) {
    SimulatedBox box;
    box.setOutputMissing(true);
    std::vector<std::string> reported;
    BoxCommandLink link(box.output(), [&](const std::string& t) { reported.push_back(t); });
    link.createServiceThread();
    EXPECT_EQ(reported, std::vector<std::string>{RU("Ошибка аудио вывода")});
    EXPECT_FALSE(link.running());
    link.sendBoxCommand(64);
    EXPECT_EQ(link.lastCommand(), 64);
    link.endServiceThread();
}

TEST(ComputeCalibration, TheLineThroughBothReadingsWithinTheAcceptedRange) {
    VoltageCalibration c;
    c.referenceVolts = 1.0;
    c.zeroVolts = 0.0;
    ASSERT_TRUE(ComputeCalibration(c, {20000, 20000}, {5000, 5000}));
    EXPECT_NEAR(c.slope[0], 0.0666667, 1e-7);
    EXPECT_NEAR(c.intercept[0], -0.3333333, 1e-7);
    EXPECT_NEAR(5000 / 1000.0 * c.slope[0] + c.intercept[0], 0.0, 1e-12);
    EXPECT_NEAR(20000 / 1000.0 * c.slope[0] + c.intercept[0], 1.0, 1e-12);

    struct Case {
        std::array<uint16_t, 2> plus, zero;
        bool accepted;
    } cases[] = {
        {{10000, 30000}, {5000, 5000}, true},    // 5000 and 25000
        {{9999, 20000}, {5000, 5000}, false},    // 4999 on channel 1
        {{20000, 30001}, {5000, 5000}, false},   // 25001 on channel 2
        {{5000, 20000}, {20000, 5000}, false},   // a negative difference
    };
    for (const auto& k : cases) {
        VoltageCalibration before;
        before.slope = {0.5, 0.25};
        before.intercept = {0.1, 0.2};
        VoltageCalibration after = before;
        EXPECT_EQ(ComputeCalibration(after, k.plus, k.zero), k.accepted);
        if (!k.accepted) {
            EXPECT_EQ(after.slope, before.slope) << "one bad channel leaves both unchanged";
            EXPECT_EQ(after.intercept, before.intercept);
        }
    }
}

TEST(CalibrationCycle, TheSimulatedBoxFollowsTheCommandsAndTheLinesMatchItsTransfer) {
    // A box whose transfer differs from the installed calibration: 6000 ADC units at 0 V,
    // 12000 more per volt, a reference of 1.2 V.
    SimulatedBox::Settings settings;
    settings.zeroAmplitude = 6000;
    settings.unitsPerVolt = 12000;
    settings.referenceVolts = 1.2;
    SimulatedBox box(settings);
    box.setDetector(0, DetectorScript{0.1, {}});
    box.setDetector(1, DetectorScript{-0.05, {}});
    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    AcquisitionEngine engine({StartFolder(dir.path()), box, dialogs, clock, [](int) {}});
    BoxCommandLink link(box.output(), [&](const std::string& t) { engine.message(MessageKind::Error, "", t); });
    engine.setHooks(&link);
    engine.create(277, 29);
    engine.showStartMessages();
    dialogs.clear();
    ASSERT_TRUE(link.running());

    box.run(0.5);
    engine.openCalibration();
    engine.startCalibrationCycle("1.2");
    box.run(3.0);
    EXPECT_EQ(engine.state().calibrationState, 1);
    EXPECT_EQ(box.commandsHeard(), (std::vector<uint8_t>{0, 192, 128, 0}));
    EXPECT_EQ(box.connection(), BoxConnection::PairAB);
    EXPECT_NEAR(engine.state().ampPlus[0], 6000 + 12000 * 1.2, 30);
    EXPECT_NEAR(engine.state().ampZero[0], 6000, 30);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(engine.state().calibration.slope[i], 1000.0 / 12000.0, 1e-4) << i;
        EXPECT_NEAR(engine.state().calibration.intercept[i], -6000.0 / 12000.0, 2e-3) << i;
    }
    EXPECT_TRUE(dialogs.shown().empty());

    // Back in normal operation the shown voltage is the detector's, with the factor 1.18.
    engine.leaveCalibration(false);
    box.run(1.0);
    EXPECT_NEAR(engine.state().measuredVolts[0], 0.1 * 1.18, 0.002);
    EXPECT_NEAR(engine.state().measuredVolts[1], -0.05 * 1.18, 0.002);
    engine.close();
    engine.destroy();
    EXPECT_FALSE(box.outputOpen());
}

}  // namespace
}  // namespace vk7
