#include "platform/qt/alsa_sound_input.h"

#include <alsa/asoundlib.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/alsa_pcm.h"

namespace vk7 {

// What the capture thread shares with the input. The thread holds its own reference, so a
// thread left behind in a hanging device keeps the device and the queue alive until it
// returns (the device is closed then) and never touches the input object again.
struct AlsaSoundInput::Capture {
    snd_pcm_t* pcm = nullptr;
    // Signalled with the stop request, so that a capture waiting for the device sees it at once.
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::string device;
    std::unique_ptr<SoundBlockQueue> queue;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> overruns{0};

    // Posting to the GUI thread; switched off (under the mutex) before the input is reset,
    // so nothing is posted to an input that is gone.
    std::mutex postMutex;
    std::function<void(std::function<void()>)> post;
    // Run on the GUI thread through post: the capture ended for good.
    std::function<void(const std::string&)> failed;
    // The steady-clock time of the last block that carried sound.
    std::atomic<std::chrono::steady_clock::rep> lastSound{std::chrono::steady_clock::now().time_since_epoch().count()};

    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;

    ~Capture() {
        if (pcm) snd_pcm_close(pcm);
        if (wakeFd >= 0) ::close(wakeFd);
    }
    void requestStop() {
        stop = true;
        if (wakeFd >= 0) {
            const uint64_t one = 1;
            (void)!::write(wakeFd, &one, sizeof one);
        }
    }
    void toGui(std::function<void()> f) {
        std::lock_guard lock(postMutex);
        if (post) post(std::move(f));
    }
    void silence() {
        std::lock_guard lock(postMutex);
        post = nullptr;
    }
};

namespace {

void captureLoop(AlsaSoundInput::Capture& c) {
    // Best effort: a real-time priority keeps the device drained while the desktop is busy;
    // without the right to it the thread runs at normal priority.
    sched_param sp{};
    sp.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);

    using Clock = std::chrono::steady_clock;
    constexpr int channels = SoundInput::kChannels;
    constexpr snd_pcm_uframes_t frames = SoundInput::kFramesPerBlock;
    std::vector<int16_t> block(frames * channels), previous;
    snd_pcm_uframes_t filled = 0;
    while (!c.stop) {
        // A bounded wait that a stop request ends at once.
        const int w = waitAlsaPcm(c.pcm, c.wakeFd, AlsaSoundInput::kWaitMs);
        if (c.stop) break;
        const snd_pcm_sframes_t n = snd_pcm_readi(c.pcm, block.data() + filled * channels, frames - filled);
        if (n == 0 || n == -EAGAIN || (n < 0 && w == 0)) {
            // Ready yet empty (the end of a file-backed device): do not spin.
            if (n == 0 && w > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (n < 0) {
            // Frames were lost: the block in progress is no longer continuous.
            if (n == -EPIPE) ++c.overruns;
            filled = 0;
            if (snd_pcm_recover(c.pcm, int(n), 1) < 0) {
                c.toGui([f = c.failed, what = RU("Устройство ") + c.device + ": " + alsaReason(int(n))] { f(what); });
                return;
            }
            continue;
        }
        filled += snd_pcm_uframes_t(n);
        if (filled == frames) {
            // A block that carries sound: a live input is never exactly flat, nor a repeat
            // of the block before (what a file-backed device gives past its end).
            const bool flat = std::all_of(block.begin(), block.end(), [&](int16_t v) { return v == block[0]; });
            if (!flat && block != previous) c.lastSound = Clock::now().time_since_epoch().count();
            previous = block;
            c.queue->push(block.data());
            filled = 0;
        }
    }
}

}  // namespace

AlsaSoundInput::AlsaSoundInput(std::string device) : device_(std::move(device)) {
    watchdog_.setInterval(250);
    QObject::connect(&watchdog_, &QTimer::timeout, &context_, [this] { watch(); });
}

AlsaSoundInput::~AlsaSoundInput() { close(); }

SoundOpenError AlsaSoundInput::open(int rate, SoundInputReceiver& receiver) {
    close();
    lastError_.clear();
    converted_ = false;
    rate_ = rate;
    if (rate <= 0) {
        lastError_ = alsaReason(-EINVAL);
        return SoundOpenError::PrepareFailed;
    }

    // First the exact rate and format, without conversion: the start tone lies close to the
    // Nyquist frequency and the carrier's amplitude is the measurement. A device that
    // refuses (a sound server or a shared device at 48000 Hz, a mono device) is opened again
    // through the plug layer's conversion; the voltage calibration takes out what the
    // conversion changes of the amplitude.
    const AlsaOpenResult opened = openAlsaPcm(device_, SND_PCM_STREAM_CAPTURE, unsigned(rate), kFramesPerBlock,
                                              kFramesPerBlock * 8);
    if (!opened.pcm) {
        lastError_ = alsaReason(opened.error);
        if (!opened.opened) return anyAlsaSoundCard() ? SoundOpenError::OpenFailed : SoundOpenError::NoDevice;
        return SoundOpenError::PrepareFailed;
    }
    converted_ = opened.converted;
    snd_pcm_t* pcm = opened.pcm;
    int r = 0;

    auto capture = std::make_shared<Capture>();
    capture->pcm = pcm;
    capture->device = device_;
    const unsigned generation = ++generation_;
    capture->post = [this, generation](std::function<void()> f) {
        QMetaObject::invokeMethod(
            &context_, [this, generation, f = std::move(f)] {
                if (generation == generation_) f();
            },
            Qt::QueuedConnection);
    };
    capture->failed = [this](const std::string& what) {
        // The capture has ended for good: the watchdog would only add a second message
        // about the same lost device.
        watchdog_.stop();
        if (receiver_) receiver_->inputFailed(what);
    };
    Capture* c = capture.get();
    capture->queue = std::make_unique<SoundBlockQueue>(SoundBlockQueue::holdBlocks(rate), [this, c] {
        c->toGui([this] { deliver(); });
    });
    if ((r = snd_pcm_start(pcm)) < 0) {
        lastError_ = alsaReason(r);
        return SoundOpenError::StartFailed;  // the capture's destructor closes the device
    }
    receiver_ = &receiver;
    capture_ = capture;
    stallReported_ = false;
    watchdog_.start();
    try {
        thread_ = std::thread([capture] {
            captureLoop(*capture);
            {
                std::lock_guard lock(capture->doneMutex);
                capture->done = true;
            }
            capture->doneCv.notify_all();
        });
    } catch (const std::exception& e) {
        lastError_ = toCp1251(e.what());
        receiver_ = nullptr;
        capture_.reset();
        return SoundOpenError::StartFailed;
    }
    return SoundOpenError::None;
}

void AlsaSoundInput::watch() {
    // Watched from the GUI thread: a device may run dry by giving nothing (a read that
    // waits), flat blocks or the same block again.
    if (!capture_ || stallReported_) return;
    const auto last = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(capture_->lastSound.load()));
    if (std::chrono::steady_clock::now() - last < std::chrono::milliseconds(kStallMs)) return;
    stallReported_ = true;
    if (receiver_) receiver_->inputStalled(RU("Устройство ") + device_ + RU(": нет звука более 2 с"));
}

void AlsaSoundInput::deliver() {
    if (!capture_ || !receiver_) return;
    if (const int16_t* block = capture_->queue->take()) receiver_->blockFilled(block, kFramesPerBlock);
}

void AlsaSoundInput::requeue() {
    if (capture_) capture_->queue->handBack();
}

void AlsaSoundInput::reset() {
    ++generation_;  // deliveries already posted find nothing to do
    watchdog_.stop();
    if (!capture_) return;
    std::shared_ptr<Capture> c = std::move(capture_);
    c->silence();
    c->requestStop();
    c->queue->close();
    dropped_ = c->queue->dropped();
    overrunsAtReset_ = c->overruns;
    if (thread_.joinable()) {
        std::unique_lock lock(c->doneMutex);
        const bool finished =
            c->doneCv.wait_for(lock, std::chrono::milliseconds(kJoinTimeoutMs), [&] { return c->done; });
        lock.unlock();
        if (finished) {
            thread_.join();
            snd_pcm_drop(c->pcm);
        } else {
            // The device does not return: the thread keeps its capture, and the program
            // goes on (and may end) without it.
            thread_.detach();
            ++abandoned_;
        }
    }
}

void AlsaSoundInput::close() {
    reset();
    receiver_ = nullptr;
}

uint64_t AlsaSoundInput::droppedBlocks() const { return capture_ ? capture_->queue->dropped() : dropped_; }
uint64_t AlsaSoundInput::overruns() const { return capture_ ? capture_->overruns.load() : overrunsAtReset_; }

std::string AlsaSoundInput::failureReason() const {
    if (lastError_.empty()) return {};
    return RU("Устройство ") + device_ + ": " + lastError_;
}

std::string AlsaSoundInput::openedHow() const {
    if (!capture_) return {};
    return RU("Вход ") + device_ + ": " + intText(rate_) + RU(" Гц, ") +
           (converted_ ? RU("через преобразование ALSA") : RU("без преобразования"));
}

}  // namespace vk7
