#include "platform/qt/alsa_sound_input.h"

#include <alsa/asoundlib.h>
#include <pthread.h>
#include <sched.h>

#include <vector>

namespace vk7 {

AlsaSoundInput::AlsaSoundInput(std::string device) : device_(std::move(device)) {}

AlsaSoundInput::~AlsaSoundInput() { close(); }

namespace {

bool anySoundCard() {
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

}  // namespace

SoundOpenError AlsaSoundInput::open(int rate, SoundInputReceiver& receiver) {
    close();
    lastError_.clear();
    auto fail = [this](SoundOpenError e, int code) {
        if (code < 0) lastError_ = snd_strerror(code);
        if (pcm_) {
            snd_pcm_close(pcm_);
            pcm_ = nullptr;
        }
        return e;
    };
    if (device_ == "default" && !anySoundCard()) return SoundOpenError::NoDevice;

    int r = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (r < 0) {
        pcm_ = nullptr;
        return fail(SoundOpenError::OpenFailed, r);
    }

    // The exact rate, without the resampler of the plug layer: the start tone lies close to
    // the Nyquist frequency, and the carrier's amplitude is the measurement.
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    if ((r = snd_pcm_hw_params_any(pcm_, hw)) < 0 || (r = snd_pcm_hw_params_set_rate_resample(pcm_, hw, 0)) < 0 ||
        (r = snd_pcm_hw_params_set_access(pcm_, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (r = snd_pcm_hw_params_set_format(pcm_, hw, SND_PCM_FORMAT_S16_LE)) < 0 ||
        (r = snd_pcm_hw_params_set_channels(pcm_, hw, kChannels)) < 0 ||
        (r = snd_pcm_hw_params_set_rate(pcm_, hw, unsigned(rate), 0)) < 0)
        return fail(SoundOpenError::PrepareFailed, r);
    snd_pcm_uframes_t period = kFramesPerBlock;
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(pcm_, hw, &period, &dir);
    snd_pcm_uframes_t buffer = kFramesPerBlock * 8;
    snd_pcm_hw_params_set_buffer_size_near(pcm_, hw, &buffer);
    if ((r = snd_pcm_hw_params(pcm_, hw)) < 0 || (r = snd_pcm_prepare(pcm_)) < 0)
        return fail(SoundOpenError::PrepareFailed, r);

    receiver_ = &receiver;
    const unsigned generation = ++generation_;
    queue_ = std::make_unique<SoundBlockQueue>(SoundBlockQueue::blocksPerSecond(rate), [this, generation] {
        QMetaObject::invokeMethod(
            &context_, [this, generation] {
                if (generation == generation_) deliver();
            },
            Qt::QueuedConnection);
    });
    if ((r = snd_pcm_start(pcm_)) < 0) {
        receiver_ = nullptr;
        queue_.reset();
        return fail(SoundOpenError::StartFailed, r);
    }
    stop_ = false;
    try {
        thread_ = std::thread([this] { captureLoop(); });
    } catch (const std::exception&) {
        receiver_ = nullptr;
        queue_.reset();
        return fail(SoundOpenError::StartFailed, 0);
    }
    return SoundOpenError::None;
}

void AlsaSoundInput::captureLoop() {
    // Best effort: a real-time priority keeps the device drained while the desktop is busy;
    // without the right to it the thread runs at normal priority.
    sched_param sp{};
    sp.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);

    std::vector<int16_t> block(size_t(kFramesPerBlock) * kChannels);
    snd_pcm_uframes_t filled = 0;
    while (!stop_) {
        const int w = snd_pcm_wait(pcm_, 100);
        if (stop_) break;
        snd_pcm_sframes_t n = snd_pcm_readi(pcm_, block.data() + filled * kChannels, kFramesPerBlock - filled);
        if (n == -EAGAIN || (n < 0 && w == 0)) continue;
        if (n < 0) {
            if (n == -EPIPE) ++overruns_;
            // Frames were lost: the block in progress is no longer continuous.
            filled = 0;
            // After the recovery the next read starts the capture again.
            if (snd_pcm_recover(pcm_, int(n), 1) < 0) {
                const std::string what = snd_strerror(int(n));
                const unsigned generation = generation_;
                QMetaObject::invokeMethod(
                    &context_, [this, generation, what] {
                        if (generation == generation_ && receiver_) receiver_->inputFailed(what);
                    },
                    Qt::QueuedConnection);
                return;
            }
            continue;
        }
        filled += snd_pcm_uframes_t(n);
        if (filled == kFramesPerBlock) {
            queue_->push(block.data());
            filled = 0;
        }
    }
}

void AlsaSoundInput::deliver() {
    if (!queue_ || !receiver_) return;
    if (const int16_t* block = queue_->take()) receiver_->blockFilled(block, kFramesPerBlock);
}

void AlsaSoundInput::requeue() {
    if (queue_) queue_->handBack();
}

void AlsaSoundInput::stopThread() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void AlsaSoundInput::reset() {
    stopThread();
    ++generation_;  // deliveries already posted find nothing to do
    if (queue_) queue_->close();
    if (pcm_) snd_pcm_drop(pcm_);
}

void AlsaSoundInput::close() {
    reset();
    if (pcm_) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }
    receiver_ = nullptr;
}

uint64_t AlsaSoundInput::droppedBlocks() const { return queue_ ? queue_->dropped() : 0; }

}  // namespace vk7
