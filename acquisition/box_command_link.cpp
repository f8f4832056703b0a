#include "acquisition/box_command_link.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "common/cp1251.h"

namespace vk7 {

void GenerateCommandSignal(int16_t* right, int count, int command, const OutputParameters& p) {
    const int16_t idle = p.idleLevel;
    const int16_t low = int16_t(std::max(-32768, int(idle) - p.amplitude));
    if (command < 0) {
        std::fill(right, right + count, idle);
        return;
    }
    // State d: 0 waiting for the next bit, 1 in a bit, 2 done; bit i, bit 7 first.
    int i = 0, d = 1;
    for (int k = 0; k < count; ++k) {
        const double phi = 2 * std::numbers::pi * p.toneHz * (double(k) / p.rate);
        const double s = std::sin(phi), c = std::cos(phi);
        const bool bit = i < 8 && ((command >> (7 - i)) & 1) != 0;
        int16_t sample = idle;
        if (s < 0 && d < 2) d = 0;
        if (d == 1 && c >= 0.5 && c < 1) sample = low;
        if (d == 1 && s >= 0 && bit) sample = low;
        if (d == 0 && s >= 0) {
            ++i;
            if (i > 7) {
                d = 2;
                sample = idle;
            } else {
                d = 1;
            }
        }
        right[k] = sample;
    }
}

void InterleaveStereo(int16_t* out, const int16_t* left, const int16_t* right, int count) {
    for (int j = 0; j < count; ++j) {
        out[2 * j] = left[j];
        out[2 * j + 1] = right[j];
    }
}

// ---- the worker ------------------------------------------------------------------------

TServiceThread::TServiceThread(SoundOutput& output, const OutputParameters& parameters)
    : output_(output), parameters_(parameters) {
    thread_ = std::thread([this] {
        Execute();
        std::lock_guard lock(doneMutex_);
        done_ = true;
        doneCv_.notify_all();
    });
}

TServiceThread::~TServiceThread() { terminate(); }

bool TServiceThread::terminate() {
    terminated_ = true;
    output_.interrupt();
    if (!thread_.joinable()) return true;
    std::unique_lock lock(doneMutex_);
    if (!doneCv_.wait_for(lock, std::chrono::milliseconds(kJoinTimeoutMs), [this] { return done_; })) {
        lock.unlock();
        thread_.detach();
        return false;
    }
    lock.unlock();
    thread_.join();
    return true;
}

void TServiceThread::Execute() {
    const int n = parameters_.bufferFrames;
    const std::vector<int16_t> left(size_t(n), 0);  // the left channel is always silent
    std::vector<int16_t> right(static_cast<size_t>(n));
    std::vector<int16_t> buffer(size_t(n) * 2);
    // The buffer count at which the last burst has been played out (-1 when none waits),
    // and the number of its command.
    int64_t playedAt = -1;
    uint64_t burstNumber = 0;
    auto generate = [&] {
        const int64_t taken = pending_.exchange(-1);
        const int command = taken < 0 ? -1 : int(taken & 0xFF);
        GenerateCommandSignal(right.data(), n, command, parameters_);
        InterleaveStereo(buffer.data(), left.data(), right.data(), n);
        if (command >= 0) {
            ++bursts_;
            playedAt = int64_t(buffers_.load()) + 3;
            burstNumber = uint64_t(taken >> 8);
        }
    };
    while (!terminated_) {
        // A buffer is generated once the one before the playing one has finished, so it
        // plays next: a command plays within about two buffers.
        output_.waitForRoom(n);
        if (terminated_) break;
        generate();
        output_.write(buffer.data(), n);
        ++buffers_;
        if (playedAt >= 0 && int64_t(buffers_.load()) >= playedAt) {
            playedAt = -1;
            played_ = burstNumber;
        }
    }
    output_.close();
}

// ---- the hooks -------------------------------------------------------------------------

BoxCommandLink::BoxCommandLink(SoundOutput& output, std::function<void(const std::string&)> report)
    : output_(output), report_(std::move(report)) {}

BoxCommandLink::~BoxCommandLink() { endServiceThread(); }

void BoxCommandLink::sendBoxCommand(uint8_t command) {
    last_ = command;
    if (worker_) worker_->send(command);
}

void BoxCommandLink::createServiceThread() {
    if (worker_) return;
    if (!output_.open(parameters_.rate)) {
        if (report_) report_(RU("Ошибка аудио вывода"));
        return;
    }
    worker_ = std::make_unique<TServiceThread>(output_, parameters_);
}

void BoxCommandLink::endServiceThread() {
    if (!worker_) return;
    if (!worker_->terminate()) {
        // The output hangs: the program ends without waiting for it. The worker keeps
        // its object; it is not freed under it.
        (void)worker_.release();
        ++abandoned_;
        return;
    }
    worker_.reset();
}

}  // namespace vk7
