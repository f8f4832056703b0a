#include "platform/qt/alsa_sound_output.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/alsa_pcm.h"

namespace vk7 {

AlsaSoundOutput::AlsaSoundOutput(std::string device, int bufferFrames)
    : device_(std::move(device)), bufferFrames_(bufferFrames), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

AlsaSoundOutput::~AlsaSoundOutput() {
    close();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void AlsaSoundOutput::interrupt() {
    interrupted_ = true;
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }
}

bool AlsaSoundOutput::open(int rate) {
    close();
    interrupted_ = false;
    if (wakeFd_ >= 0) {
        uint64_t count = 0;
        (void)!::read(wakeFd_, &count, sizeof count);  // an interrupt of the last open is over
    }
    lastError_.clear();
    const auto frames = snd_pcm_uframes_t(bufferFrames_);
    const AlsaOpenResult r = openAlsaPcm(device_, SND_PCM_STREAM_PLAYBACK, unsigned(rate), frames, frames * 2, true);
    if (!r.pcm) {
        lastError_ = alsaReason(r.error);
        return false;
    }
    pcm_ = r.pcm;
    converted_ = r.converted;
    rate_ = rate;
    granted_ = r.bufferFrames;
    return true;
}

std::string AlsaSoundOutput::bufferNote() const {
    if (rate_ <= 0 || granted_ <= 2 * static_cast<unsigned long>(bufferFrames_)) return {};
    const auto ms = [&](double frames) { return intText(roundHalfEven(frames * 1000.0 / rate_)); };
    return RU("Выход ") + device_ + RU(": буфер ") + ms(double(granted_)) + RU(" мс вместо ") + ms(2.0 * bufferFrames_) +
           RU(" мс");
}

void AlsaSoundOutput::waitForRoom(int frameCount) {
    while (pcm_ && !interrupted_) {
        const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
        if (avail < 0) {
            if (avail == -EPIPE) ++underruns_;
            if (snd_pcm_recover(pcm_, int(avail), 1) < 0) return;
            continue;
        }
        if (avail >= frameCount) return;
        waitAlsaPcm(pcm_, wakeFd_, 100);
    }
}

void AlsaSoundOutput::write(const int16_t* frames, int frameCount) {
    if (!pcm_) return;
    snd_pcm_uframes_t left = snd_pcm_uframes_t(frameCount);
    while (left > 0 && !interrupted_) {
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, frames, left);
        if (n == -EAGAIN || n == 0) {
            waitAlsaPcm(pcm_, wakeFd_, 100);
            continue;
        }
        if (n < 0) {
            if (n == -EPIPE) ++underruns_;
            if (snd_pcm_recover(pcm_, int(n), 1) < 0) {
                lastError_ = alsaReason(int(n));
                return;  // the device is gone: the stream goes on without it
            }
            continue;
        }
        frames += size_t(n) * 2;
        left -= snd_pcm_uframes_t(n);
    }
}

void AlsaSoundOutput::close() {
    if (!pcm_) return;
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}

}  // namespace vk7
