// Opening an ALSA PCM for the programs' one format: 2 channels of 16-bit samples at a given
// rate, exactly where the device allows it, else through the plug layer's conversion.
#pragma once

#include <alsa/asoundlib.h>

#include <string>

namespace vk7 {

struct AlsaOpenResult {
    snd_pcm_t* pcm = nullptr;  // null on failure
    bool opened = false;       // the device itself opened (a failure came with its format)
    bool converted = false;    // opened through the plug layer's conversion
    int error = 0;             // the ALSA error of the exact attempt, on failure
    snd_pcm_uframes_t bufferFrames = 0;  // the device buffer granted
};

// Opens `name` non-blocking for `stream` with interleaved S16_LE stereo at `rate`, periods of
// `periodFrames` and a buffer of `bufferFrames`, prepared. First without any rate, channel
// or format conversion; when the device refuses, again with the plug layer's conversion
// (the device itself, then "plug:" over it). With `bufferAtMost` the buffer is held between
// one period and `bufferFrames` where the device allows that; a device that cannot go that
// low gets the size nearest to `bufferFrames` it can, as without the bound.
AlsaOpenResult openAlsaPcm(const std::string& name, snd_pcm_stream_t stream, unsigned rate,
                           snd_pcm_uframes_t periodFrames, snd_pcm_uframes_t bufferFrames, bool bufferAtMost = false);

// Waits until `pcm` is ready for a read or a write, or `wakeFd` (an eventfd; -1 for none)
// has been signalled, at most `timeoutMs`. Returns 1 when the device is ready (or has an
// error that the next read or write reports), 0 on a time-out or a wake, a negative ALSA
// error code when the device cannot be waited for.
int waitAlsaPcm(snd_pcm_t* pcm, int wakeFd, int timeoutMs);

// Whether the system has any sound card.
bool anyAlsaSoundCard();

// ALSA's reason for `error` (a negative error code) in the programs' code page: the C library
// words it in the desktop's language, UTF-8 on a Russian desktop.
std::string alsaReason(int error);

}  // namespace vk7
