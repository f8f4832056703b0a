// Sound-card input: two channels of 16-bit samples at a fixed rate, delivered in blocks of
// 2048 frames on the GUI thread, one at a time, each handed back before the next arrives.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vk7 {

// Why an input could not be opened. Each kind gets its own message box.
enum class SoundOpenError {
    None,
    NoDevice,       // the system has no input device at all
    OpenFailed,     // the default input device does not open
    PrepareFailed,  // the device refuses the format: 2 channels, 16 bits, the exact rate
    StartFailed,    // the capture does not start
};

// The side that receives the blocks; called on the GUI thread only.
class SoundInputReceiver {
public:
    virtual ~SoundInputReceiver() = default;
    // A full block: `frameCount` frames of interleaved samples, channel 1 then channel 2.
    // The memory stays valid until the block is handed back with SoundInput::requeue().
    virtual void blockFilled(const int16_t* frames, int frameCount) = 0;
    // The capture stopped for good after it had started (device lost); `what` says why.
    // Called at most once per open.
    virtual void inputFailed(const std::string& what) { (void)what; }
    // The device has given no sound for a while although it is open (the end of a
    // file-backed device, a sound server that stopped, a cable pulled); `what` names it.
    // Called at most once per open, and not after inputFailed().
    virtual void inputStalled(const std::string& what) { (void)what; }
};

class SoundInput {
public:
    static constexpr int kChannels = 2;
    static constexpr int kFramesPerBlock = 2048;
    static constexpr int kBytesPerBlock = kFramesPerBlock * kChannels * 2;

    virtual ~SoundInput() = default;

    // Opens the input at exactly `rate` frames per second and starts it. Blocks go to
    // `receiver` on the GUI thread. On failure nothing is delivered.
    virtual SoundOpenError open(int rate, SoundInputReceiver& receiver) = 0;
    // Hands the delivered block back, so that the next one may be delivered.
    virtual void requeue() = 0;
    // Stops the input and drops what is queued; nothing is delivered after it returns.
    virtual void reset() = 0;
    virtual void close() = 0;
    // Blocks dropped because the receiver was more than kHoldSeconds behind.
    virtual uint64_t droppedBlocks() const = 0;
    // Overruns of the device itself: each loses the block in progress.
    virtual uint64_t overruns() const { return 0; }
    // Every block lost since the open: dropped from the queue or lost in an overrun.
    uint64_t lostBlocks() const { return droppedBlocks() + overruns(); }
    // After a failed open: the device and the system's reason, e.g. "Устройство default:
    // Connection refused" (Windows-1251); empty when there is nothing to add.
    virtual std::string failureReason() const { return {}; }
    // After an open: which device and how it was opened, for the diagnostics.
    virtual std::string openedHow() const { return {}; }
};

// The queue between a capture thread and the GUI thread. The capture side pushes full
// blocks; beyond `capacity` blocks the oldest is dropped and counted. The GUI side takes
// one block at a time and hands it back before it can take the next. `wake` is called
// (from whichever thread made a delivery possible) when a block may now be taken; it must
// not take the block itself, only arrange for take() to be called on the GUI thread.
class SoundBlockQueue {
public:
    SoundBlockQueue(size_t capacityBlocks, std::function<void()> wake);

    // Capture side: a copy of one block of kFramesPerBlock interleaved frames.
    void push(const int16_t* frames);

    // GUI side: the next block, or nullptr when none is waiting, one is outstanding or the
    // queue is closed. The block stays valid until handBack().
    const int16_t* take();
    void handBack();
    bool outstanding() const;

    // Drops every waiting block and stops deliveries until reopen().
    void close();
    void reopen();

    size_t waiting() const;
    uint64_t dropped() const;
    size_t capacity() const { return capacity_; }

    // Blocks of about one second at `rate`.
    static size_t blocksPerSecond(int rate);
    // The queue of an input holds this many seconds, so that a receiver held up (a modal
    // dialog, a slow disk) loses nothing.
    static constexpr int kHoldSeconds = 10;
    static size_t holdBlocks(int rate) { return blocksPerSecond(rate) * kHoldSeconds; }

private:
    using Block = std::vector<int16_t>;
    bool wakeNeededLocked();

    const size_t capacity_;
    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::deque<Block> waiting_;
    std::vector<Block> spare_;
    Block current_;
    bool outstanding_ = false;
    bool wakePosted_ = false;
    bool closed_ = false;
    uint64_t dropped_ = 0;
};

}  // namespace vk7
