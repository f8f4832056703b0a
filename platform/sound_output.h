// Sound-card output: a continuous 16-bit stereo stream written in blocks, the writer
// blocking while two blocks are queued. The box commands are played through it.
#pragma once

#include <cstdint>
#include <string>

namespace vk7 {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Opens the output at `rate` frames per second, two channels, 16 bits; false when there
    // is no output device or it does not open.
    virtual bool open(int rate) = 0;
    // Blocks while two blocks of `frameCount` frames are queued (the one playing counts).
    virtual void waitForRoom(int frameCount) = 0;
    // Queues `frameCount` interleaved frames (left, right); blocks while two are queued.
    virtual void write(const int16_t* frames, int frameCount) = 0;
    // From another thread: a write that waits returns at once, and so do the later ones,
    // until the next open.
    virtual void interrupt() {}
    // Stops the output, drops what is queued, and closes the device.
    virtual void close() = 0;
    // After an open, for the diagnostics: a note when the device holds more than two of the
    // writer's blocks (what is written then plays later than two blocks); empty otherwise.
    virtual std::string bufferNote() const { return {}; }
};

}  // namespace vk7
