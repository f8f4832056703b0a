// The sound-card input through ALSA: the capture device the user configured (`default`
// unless told otherwise: a card, a sound server, any plug), 2 channels, 16 bits, opened at
// exactly the rate asked where the device allows it, else through the plug layer's rate and
// format conversion. A capture thread drains it into the block queue, and blocks are
// delivered to the receiver on the GUI thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <QObject>
#include <QTimer>

#include "platform/sound_input.h"

namespace vk7 {

class AlsaSoundInput : public SoundInput {
public:
    // `device` is the ALSA PCM name.
    explicit AlsaSoundInput(std::string device = "default");
    ~AlsaSoundInput() override;
    AlsaSoundInput(const AlsaSoundInput&) = delete;
    AlsaSoundInput& operator=(const AlsaSoundInput&) = delete;

    SoundOpenError open(int rate, SoundInputReceiver& receiver) override;
    void requeue() override;
    // Stops the capture. A capture thread that does not end within kJoinTimeoutMs (a device
    // that stopped answering) is left behind with the device; nothing is delivered after.
    void reset() override;
    void close() override;
    uint64_t droppedBlocks() const override;
    uint64_t overruns() const override;
    std::string failureReason() const override;
    std::string openedHow() const override;

    // The reason of the last failed open, from ALSA.
    const std::string& lastError() const { return lastError_; }
    // Whether the open went through the plug layer's conversion.
    bool converted() const { return converted_; }
    // Capture threads left behind because their device hung.
    int abandonedThreads() const { return abandoned_; }

    // A capture thread that is not back within this after the stop request is in a device
    // read that does not return: its wait for the device ends at once with the request.
    static constexpr int kJoinTimeoutMs = 1000;
    // The capture loop waits at most this long for the device at a time.
    static constexpr int kWaitMs = 100;
    // No frame for this long while open: the device has run dry.
    static constexpr int kStallMs = 2000;

    struct Capture;

private:
    void deliver();
    void watch();

    std::string device_;
    std::string lastError_;
    bool converted_ = false;
    int rate_ = 0;
    int abandoned_ = 0;
    // The counters of the last capture, kept after a reset.
    uint64_t dropped_ = 0;
    uint64_t overrunsAtReset_ = 0;
    SoundInputReceiver* receiver_ = nullptr;
    // Shared with the capture thread, which may outlive this object when its device hangs.
    std::shared_ptr<Capture> capture_;
    std::thread thread_;
    // Lives on the GUI thread: deliveries and the failure notices are posted to it.
    QObject context_;
    std::atomic<unsigned> generation_{0};
    QTimer watchdog_;
    bool stallReported_ = false;
};

}  // namespace vk7
