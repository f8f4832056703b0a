// The sound-card input through ALSA: the default capture device opened at exactly the rate
// asked (no resampling), 2 channels, 16 bits; a capture thread drains it into the block
// queue, and blocks are delivered to the receiver on the GUI thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QObject>

#include "platform/sound_input.h"

typedef struct _snd_pcm snd_pcm_t;

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
    void reset() override;
    void close() override;
    uint64_t droppedBlocks() const override;
    // Overruns of the device itself (frames lost before they reached the queue).
    uint64_t overruns() const { return overruns_; }
    // The reason of the last failed open, from ALSA (for diagnostics).
    const std::string& lastError() const { return lastError_; }

private:
    void captureLoop();
    void deliver();
    void stopThread();

    std::string device_;
    std::string lastError_;
    snd_pcm_t* pcm_ = nullptr;
    SoundInputReceiver* receiver_ = nullptr;
    std::unique_ptr<SoundBlockQueue> queue_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> overruns_{0};
    // Lives on the GUI thread: deliveries and the failure notice are posted to it.
    QObject context_;
    std::atomic<unsigned> generation_{0};
};

}  // namespace vk7
