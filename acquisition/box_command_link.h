// The command link to the attachment box: a continuous 44100 Hz stereo output whose right
// channel carries, for each command, a burst of eight pulse-width-coded bits, bit 7 first,
// one per period of a 512 Hz clock. One worker thread streams it in buffers of 8192 frames.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "acquisition/acquisition_engine.h"
#include "platform/sound_output.h"

namespace vk7 {

// The output parameters, set before the worker starts and only read by it.
struct OutputParameters {
    int rate = 44100;           // frames per second
    int toneHz = 512;           // bit clock of a burst
    int amplitude = 32767;      // depth of a pulse below the idle level
    int bufferFrames = 8192;    // frames per output buffer (32768 bytes)
    int16_t idleLevel = 0;      // the right channel between pulses and commands
};

// The right channel of one buffer: `count` samples at the idle level, or, for a command
// (0..255; -1 for none), its burst at the start: every bit begins with a low pulse in the
// first sixth of its period, a 1 stays low for the whole first half.
void GenerateCommandSignal(int16_t* right, int count, int command, const OutputParameters& p = {});

// out[2j] = left[j], out[2j + 1] = right[j] for j < count.
void InterleaveStereo(int16_t* out, const int16_t* left, const int16_t* right, int count);

// The worker that streams the output. It runs from construction to terminate(); the
// command handover is one atomic value (-1 for none) that the worker takes once per buffer,
// so the last command sent before a buffer is generated is the one it plays.
class TServiceThread {
public:
    // `output` is open; the worker writes to it and closes it when it ends.
    TServiceThread(SoundOutput& output, const OutputParameters& parameters);
    ~TServiceThread();
    TServiceThread(const TServiceThread&) = delete;
    TServiceThread& operator=(const TServiceThread&) = delete;

    void send(uint8_t command) { pending_.store((int64_t(++sent_) << 8) | command); }
    // Whether the last command sent has been played out: its burst buffer was written and
    // then two more, which the output takes only once the burst buffer has finished (it
    // holds two buffers).
    bool commandPlayed() const { return played_.load() == sent_.load(); }
    // Asks the worker to end and waits for it, at most kJoinTimeoutMs: false when its
    // output did not return (a device that hangs); the worker is then left running and this
    // object must be left alive with it.
    bool terminate();
    static constexpr int kJoinTimeoutMs = 2000;
    // Buffers written so far, and how many of them carried a burst.
    uint64_t buffersWritten() const { return buffers_.load(); }
    uint64_t burstsWritten() const { return bursts_.load(); }

private:
    void Execute();

    SoundOutput& output_;
    const OutputParameters parameters_;
    // The pending command and its number (number << 8 | command), -1 for none; the number
    // of the last command sent, and of the last one played out.
    std::atomic<int64_t> pending_{-1};
    std::atomic<uint64_t> sent_{0};
    std::atomic<uint64_t> played_{0};
    std::atomic<bool> terminated_{false};
    std::atomic<uint64_t> buffers_{0};
    std::atomic<uint64_t> bursts_{0};
    std::thread thread_;
    std::mutex doneMutex_;
    std::condition_variable doneCv_;
    bool done_ = false;
};

// The engine's hooks for the box commands: the worker over a sound output.
class BoxCommandLink : public AcquisitionHooks {
public:
    // `report` shows a message (the engine's, so that start messages wait for the window).
    BoxCommandLink(SoundOutput& output, std::function<void(const std::string&)> report);
    ~BoxCommandLink() override;

    void sendBoxCommand(uint8_t command) override;
    // Opens the output; without one, "Ошибка аудио вывода" and commands are only stored.
    void createServiceThread() override;
    void endServiceThread() override;
    bool commandsPlayed() const override { return !worker_ || worker_->commandPlayed(); }
    std::string outputNote() const override { return worker_ ? output_.bufferNote() : std::string(); }

    bool running() const { return worker_ != nullptr; }
    // Workers left behind because their output hung.
    int abandonedWorkers() const { return abandoned_; }
    // The last command sent (-1 before the first).
    int lastCommand() const { return last_; }

private:
    SoundOutput& output_;
    std::function<void(const std::string&)> report_;
    OutputParameters parameters_;
    std::unique_ptr<TServiceThread> worker_;
    int last_ = -1;
    int abandoned_ = 0;
};

}  // namespace vk7
