// The sound-card output through ALSA: the playback device the user configured (`default`
// unless told otherwise), 2 channels, 16 bits, at the exact rate where the device allows it,
// else through the plug layer's conversion. The device holds two buffers of the writer's
// size (at most: a device that cannot go that low holds what it can, and bufferNote() says
// so), so what is written plays within about two buffers; a write waits while two are
// queued, and interrupt() ends the wait at once.
#pragma once

#include <atomic>
#include <string>

#include "platform/sound_output.h"

typedef struct _snd_pcm snd_pcm_t;

namespace vk7 {

class AlsaSoundOutput : public SoundOutput {
public:
    // `device` is the ALSA PCM name; `bufferFrames` the size of the writer's buffers.
    explicit AlsaSoundOutput(std::string device = "default", int bufferFrames = 8192);
    ~AlsaSoundOutput() override;
    AlsaSoundOutput(const AlsaSoundOutput&) = delete;
    AlsaSoundOutput& operator=(const AlsaSoundOutput&) = delete;

    bool open(int rate) override;
    void waitForRoom(int frameCount) override;
    void write(const int16_t* frames, int frameCount) override;
    void interrupt() override;
    void close() override;
    std::string bufferNote() const override;
    // The device buffer granted at the last open, in frames.
    unsigned long bufferFramesGranted() const { return granted_; }

    const std::string& lastError() const { return lastError_; }
    bool converted() const { return converted_; }
    // Underruns recovered (the writer fell behind the device).
    uint64_t underruns() const { return underruns_; }

private:
    std::string device_;
    int bufferFrames_;
    std::string lastError_;
    bool converted_ = false;
    int rate_ = 0;
    unsigned long granted_ = 0;
    snd_pcm_t* pcm_ = nullptr;
    std::atomic<bool> interrupted_{false};
    // Signalled by interrupt(), so that a wait for the device ends at once.
    int wakeFd_ = -1;
    std::atomic<uint64_t> underruns_{0};
};

}  // namespace vk7
