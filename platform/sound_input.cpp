#include "platform/sound_input.h"

#include <algorithm>
#include <cstring>

namespace vk7 {

SoundBlockQueue::SoundBlockQueue(size_t capacityBlocks, std::function<void()> wake)
    : capacity_(std::max<size_t>(capacityBlocks, 1)), wake_(std::move(wake)) {}

size_t SoundBlockQueue::blocksPerSecond(int rate) {
    if (rate <= 0) return 1;
    return (static_cast<size_t>(rate) + SoundInput::kFramesPerBlock - 1) / SoundInput::kFramesPerBlock;
}

bool SoundBlockQueue::wakeNeededLocked() {
    if (closed_ || outstanding_ || wakePosted_ || waiting_.empty()) return false;
    wakePosted_ = true;
    return true;
}

void SoundBlockQueue::push(const int16_t* frames) {
    constexpr size_t samples = SoundInput::kFramesPerBlock * SoundInput::kChannels;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        Block block;
        if (!spare_.empty()) {
            block = std::move(spare_.back());
            spare_.pop_back();
        }
        block.resize(samples);
        std::memcpy(block.data(), frames, samples * sizeof(int16_t));
        waiting_.push_back(std::move(block));
        while (waiting_.size() > capacity_) {
            spare_.push_back(std::move(waiting_.front()));
            waiting_.pop_front();
            ++dropped_;
        }
        wake = wakeNeededLocked();
    }
    if (wake && wake_) wake_();
}

const int16_t* SoundBlockQueue::take() {
    std::lock_guard lock(mutex_);
    wakePosted_ = false;
    if (closed_ || outstanding_ || waiting_.empty()) return nullptr;
    if (!current_.empty()) spare_.push_back(std::move(current_));
    current_ = std::move(waiting_.front());
    waiting_.pop_front();
    outstanding_ = true;
    return current_.data();
}

void SoundBlockQueue::handBack() {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        outstanding_ = false;
        wake = wakeNeededLocked();
    }
    if (wake && wake_) wake_();
}

bool SoundBlockQueue::outstanding() const {
    std::lock_guard lock(mutex_);
    return outstanding_;
}

void SoundBlockQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    while (!waiting_.empty()) {
        spare_.push_back(std::move(waiting_.front()));
        waiting_.pop_front();
    }
    outstanding_ = false;
    wakePosted_ = false;
}

void SoundBlockQueue::reopen() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

size_t SoundBlockQueue::waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

uint64_t SoundBlockQueue::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace vk7
