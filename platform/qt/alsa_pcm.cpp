#include "platform/qt/alsa_pcm.h"

namespace vk7 {

namespace {

int openConfigured(const std::string& name, snd_pcm_stream_t stream, bool exact, unsigned rate,
                   snd_pcm_uframes_t period, snd_pcm_uframes_t buffer, snd_pcm_t** out, bool& opened) {
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
        (r = snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir)) < 0 ||
        (r = snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer)) < 0 || (r = snd_pcm_hw_params(pcm, hw)) < 0 ||
        (r = snd_pcm_prepare(pcm)) < 0) {
        snd_pcm_close(pcm);
        return r;
    }
    *out = pcm;
    return 0;
}

}  // namespace

AlsaOpenResult openAlsaPcm(const std::string& name, snd_pcm_stream_t stream, unsigned rate,
                           snd_pcm_uframes_t periodFrames, snd_pcm_uframes_t bufferFrames) {
    AlsaOpenResult result;
    int r = openConfigured(name, stream, true, rate, periodFrames, bufferFrames, &result.pcm, result.opened);
    if (r == 0 || !result.opened) {
        result.error = r;
        return result;
    }
    bool again = false;
    if (openConfigured(name, stream, false, rate, periodFrames, bufferFrames, &result.pcm, again) == 0 ||
        openConfigured("plug:'" + name + "'", stream, false, rate, periodFrames, bufferFrames, &result.pcm, again) == 0) {
        result.converted = true;
        return result;
    }
    result.error = r;
    return result;
}

bool anyAlsaSoundCard() {
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

}  // namespace vk7
