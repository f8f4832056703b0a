#include "platform/qt/alsa_pcm.h"

#include "common/cp1251.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <vector>

namespace vk7 {

namespace {

int openConfigured(const std::string& name, snd_pcm_stream_t stream, bool exact, unsigned rate,
                   snd_pcm_uframes_t period, snd_pcm_uframes_t buffer, bool atMost, snd_pcm_t** out, bool& opened,
                   snd_pcm_uframes_t& granted) {
    *out = nullptr;
    opened = false;
    int mode = SND_PCM_NONBLOCK;
    if (exact) mode |= SND_PCM_NO_AUTO_RESAMPLE | SND_PCM_NO_AUTO_CHANNELS | SND_PCM_NO_AUTO_FORMAT;
    snd_pcm_t* pcm = nullptr;
    int r = snd_pcm_open(&pcm, name.c_str(), stream, mode);
    if (r < 0) return r;
    opened = true;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    int dir = 0;
    if ((r = snd_pcm_hw_params_any(pcm, hw)) < 0 || (r = snd_pcm_hw_params_set_rate_resample(pcm, hw, exact ? 0 : 1)) < 0 ||
        (r = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (r = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE)) < 0 ||
        (r = snd_pcm_hw_params_set_channels(pcm, hw, 2)) < 0 || (r = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0)) < 0 ||
        (r = snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir)) < 0) {
        snd_pcm_close(pcm);
        return r;
    }
    if (atMost) {
        // The bound is tried on a copy: a device whose smallest buffer is larger keeps its
        // whole range for the nearest size below.
        snd_pcm_hw_params_t* bounded = nullptr;
        snd_pcm_hw_params_alloca(&bounded);
        snd_pcm_hw_params_copy(bounded, hw);
        snd_pcm_uframes_t low = period, high = buffer;
        if (snd_pcm_hw_params_set_buffer_size_minmax(pcm, bounded, &low, &high) == 0) snd_pcm_hw_params_copy(hw, bounded);
    }
    if ((r = snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer)) < 0 || (r = snd_pcm_hw_params(pcm, hw)) < 0 ||
        (r = snd_pcm_prepare(pcm)) < 0) {
        snd_pcm_close(pcm);
        return r;
    }
    granted = buffer;
    snd_pcm_hw_params_get_buffer_size(hw, &granted);
    *out = pcm;
    return 0;
}

}  // namespace

AlsaOpenResult openAlsaPcm(const std::string& name, snd_pcm_stream_t stream, unsigned rate,
                           snd_pcm_uframes_t periodFrames, snd_pcm_uframes_t bufferFrames, bool bufferAtMost) {
    AlsaOpenResult result;
    int r = openConfigured(name, stream, true, rate, periodFrames, bufferFrames, bufferAtMost, &result.pcm, result.opened,
                           result.bufferFrames);
    if (r == 0 || !result.opened) {
        result.error = r;
        return result;
    }
    bool again = false;
    if (openConfigured(name, stream, false, rate, periodFrames, bufferFrames, bufferAtMost, &result.pcm, again,
                       result.bufferFrames) == 0 ||
        openConfigured("plug:'" + name + "'", stream, false, rate, periodFrames, bufferFrames, bufferAtMost, &result.pcm,
                       again, result.bufferFrames) == 0) {
        result.converted = true;
        return result;
    }
    result.error = r;
    return result;
}

int waitAlsaPcm(snd_pcm_t* pcm, int wakeFd, int timeoutMs) {
    const int n = snd_pcm_poll_descriptors_count(pcm);
    if (n <= 0) return n < 0 ? n : -EINVAL;
    std::vector<pollfd> fds(size_t(n) + 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int got = snd_pcm_poll_descriptors(pcm, fds.data(), unsigned(n));
        if (got < 0) return got;
        int count = got;
        if (wakeFd >= 0) fds[size_t(count++)] = pollfd{wakeFd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int r = ::poll(fds.data(), nfds_t(count), int(std::max<int64_t>(0, left.count())));
        if (r < 0 && errno != EINTR) return -errno;
        if (r == 0) return 0;
        if (r > 0) {
            if (wakeFd >= 0 && fds[size_t(got)].revents != 0) return 0;
            unsigned short revents = 0;
            const int e = snd_pcm_poll_descriptors_revents(pcm, fds.data(), unsigned(got), &revents);
            if (e < 0) return e;
            if (revents != 0) return 1;
        }
        // A descriptor woke without an event for this device (a plugin's own timer): wait on.
        if (std::chrono::steady_clock::now() >= deadline) return 0;
    }
}

bool anyAlsaSoundCard() {
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

std::string alsaReason(int error) { return toCp1251(snd_strerror(error)); }

}  // namespace vk7
