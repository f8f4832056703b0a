#include "platform/simulated_box.h"

#include <cmath>
#include <chrono>
#include <numbers>

namespace vk7 {

double DetectorScript::volts(double t) const {
    double v = baselineVolts;
    for (const auto& p : peaks) {
        const double z = (t - p.apexSec) / p.sigmaSec;
        if (std::abs(z) < 12) v += p.heightVolts * std::exp(-0.5 * z * z);
    }
    return v;
}

SimulatedBox::SimulatedBox() : SimulatedBox(Settings{}) {}

SimulatedBox::SimulatedBox(const Settings& settings)
    : settings_(settings), rng_(settings.seed), scratch_(kFramesPerBlock * kChannels) {}

SimulatedBox::~SimulatedBox() = default;

void SimulatedBox::setDetector(int physicalChannel, DetectorScript script) {
    detectors_.at(static_cast<size_t>(physicalChannel)) = std::move(script);
}

void SimulatedBox::addStartTone(int output, double fromSec, double untilSec, double hz) {
    tones_.push_back({output, fromSec, untilSec, hz});
}

double SimulatedBox::time() const { return double(blockIndex_) * kFramesPerBlock / rate_; }

double SimulatedBox::outputVolts(int output, double t) const {
    switch (connection_) {
        case BoxConnection::PairAB: return detectors_[size_t(output)].volts(t);
        case BoxConnection::PairCD: return detectors_[size_t(output) + 2].volts(t);
        case BoxConnection::ReferenceVoltage: return settings_.referenceVolts;
        case BoxConnection::ReferenceZero: return settings_.referenceZeroVolts;
    }
    return 0;
}

// Gaussian noise of unit deviation: Box-Muller over a splitmix64 sequence, so that a run is
// the same on every machine.
double SimulatedBox::nextNoise() {
    if (spareNoiseValid_) {
        spareNoiseValid_ = false;
        return spareNoise_;
    }
    auto next = [this] {
        uint64_t z = (rng_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return (double(z >> 11) + 0.5) / 9007199254740992.0;  // (0, 1)
    };
    const double u1 = next(), u2 = next();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spareNoise_ = r * std::sin(2 * std::numbers::pi * u2);
    spareNoiseValid_ = true;
    return r * std::cos(2 * std::numbers::pi * u2);
}

void SimulatedBox::generateBlock(int16_t* frames) {
    {
        // With the output open, the box's clock waits for the output to have been written
        // up to this block (a thread writes it; a little real time at most), then takes the
        // switches that have played by the block's start.
        std::unique_lock lock(outputMutex_);
        const uint64_t start = blockIndex_ * kFramesPerBlock;
        if (outputOpen_)
            outputCv_.wait_for(lock, std::chrono::seconds(2), [&] {
                return !outputOpen_ || outputInterrupted_ || outputFrames_ >= start + kFramesPerBlock;
            });
        while (!switches_.empty() && switches_.front().first <= start) {
            connection_ = switches_.front().second;
            switches_.pop_front();
        }
    }
    const double t0 = time();
    for (int out = 0; out < 2; ++out) {
        // The carrier frequency of this block: the start tone where one is scripted.
        double hz = settings_.carrierHz[size_t(out)];
        for (const auto& tone : tones_)
            if (tone.output == out && t0 >= tone.from && t0 < tone.until) hz = tone.hz;
        const double step = 2 * std::numbers::pi * hz / rate_;
        double phase = phase_[size_t(out)];
        for (int k = 0; k < kFramesPerBlock; ++k) {
            double s = 0;
            if (power_) {
                const double t = t0 + double(k) / rate_;
                const double peakToPeak = settings_.zeroAmplitude + settings_.unitsPerVolt * outputVolts(out, t);
                s = peakToPeak / 2 * std::sin(phase) + settings_.noiseUnits * nextNoise();
            }
            phase += step;
            s = std::nearbyint(s);
            if (s > 32767) s = 32767;
            if (s < -32768) s = -32768;
            frames[2 * k + out] = static_cast<int16_t>(s);
        }
        phase_[size_t(out)] = std::fmod(phase, 2 * std::numbers::pi);
    }
    std::lock_guard lock(outputMutex_);
    ++blockIndex_;
    playedFrames_ = blockIndex_ * kFramesPerBlock;
    outputCv_.notify_all();
}

std::optional<uint8_t> decodeCommandBurst(const int16_t* frames, int frameCount, int16_t idleLevel) {
    const int threshold = int(idleLevel) - 16384;
    int value = 0, bits = 0, run = 0;
    for (int k = 0; k <= frameCount && bits < 8; ++k) {
        const bool low = k < frameCount && frames[2 * k + 1] < threshold;
        if (low) {
            ++run;
        } else if (run > 0) {
            value = (value << 1) | (run > 28 ? 1 : 0);
            ++bits;
            run = 0;
        }
    }
    if (bits < 8) return std::nullopt;
    return uint8_t(value);
}

std::optional<BoxConnection> SimulatedBox::connectionOfCommand(uint8_t command) {
    switch (command) {
        case 0: return BoxConnection::PairAB;
        case 64: return BoxConnection::PairCD;
        case 192: return BoxConnection::ReferenceVoltage;
        case 128: return BoxConnection::ReferenceZero;
        default: return std::nullopt;
    }
}

bool SimulatedBox::Output::open(int rate) {
    SimulatedBox& b = box_;
    std::lock_guard lock(b.outputMutex_);
    if (b.outputMissing_ || rate != 44100) return false;
    b.outputOpen_ = true;
    b.outputInterrupted_ = false;
    b.outputFrames_ = b.playedFrames_;
    return true;
}

void SimulatedBox::Output::waitForRoom(int frameCount) {
    SimulatedBox& b = box_;
    std::unique_lock lock(b.outputMutex_);
    // Two buffers are queued while more than one lies ahead of the play position.
    b.outputCv_.wait(lock, [&] {
        return !b.outputOpen_ || b.outputInterrupted_ || b.outputFrames_ <= b.playedFrames_ + uint64_t(frameCount);
    });
}

void SimulatedBox::Output::write(const int16_t* frames, int frameCount) {
    waitForRoom(frameCount);
    SimulatedBox& b = box_;
    std::unique_lock lock(b.outputMutex_);
    if (!b.outputOpen_ || b.outputInterrupted_) return;
    if (const auto command = decodeCommandBurst(frames, frameCount)) {
        b.heard_.push_back(*command);
        // The box acts once the burst has played: eight periods of the 512 Hz clock.
        if (const auto c = connectionOfCommand(*command)) b.switches_.push_back({b.outputFrames_ + 690, *c});
    }
    b.outputFrames_ += uint64_t(frameCount);
    b.outputCv_.notify_all();
}

void SimulatedBox::Output::interrupt() {
    std::lock_guard lock(box_.outputMutex_);
    box_.outputInterrupted_ = true;
    box_.outputCv_.notify_all();
}

void SimulatedBox::Output::close() {
    std::lock_guard lock(box_.outputMutex_);
    box_.outputOpen_ = false;
    box_.outputCv_.notify_all();
}

bool SimulatedBox::outputOpen() const {
    std::lock_guard lock(outputMutex_);
    return outputOpen_;
}

std::vector<uint8_t> SimulatedBox::commandsHeard() const {
    std::lock_guard lock(outputMutex_);
    return heard_;
}

SoundOpenError SimulatedBox::open(int rate, SoundInputReceiver& receiver) {
    if (failNextOpen_ != SoundOpenError::None) {
        SoundOpenError e = failNextOpen_;
        failNextOpen_ = SoundOpenError::None;
        return e;
    }
    if (rate <= 0) return SoundOpenError::PrepareFailed;
    rate_ = rate;
    receiver_ = &receiver;
    overruns_ = 0;
    overrunPending_ = false;
    queue_ = std::make_unique<SoundBlockQueue>(SoundBlockQueue::holdBlocks(rate), nullptr);
    return SoundOpenError::None;
}

void SimulatedBox::step() {
    generateBlock(scratch_.data());
    if (overrunPending_) {
        overrunPending_ = false;
        ++overruns_;
    } else if (queue_ && receiver_) {
        queue_->push(scratch_.data());
    }
    deliverWaiting();
}

int SimulatedBox::run(double seconds) {
    const double until = time() + seconds;
    int produced = 0;
    while (time() + double(kFramesPerBlock) / rate_ <= until + 1e-12) {
        step();
        ++produced;
    }
    return produced;
}

void SimulatedBox::deliverWaiting() {
    // A receiver that runs the box from inside blockFilled() (a modal dialog whose event
    // loop goes on) gets the next blocks there once it has handed its block back, as the
    // program's event loop would deliver them; before that the queue holds them.
    while (queue_ && receiver_) {
        const int16_t* block = queue_->take();
        if (!block) break;
        ++delivered_;
        receiver_->blockFilled(block, kFramesPerBlock);
    }
}

void SimulatedBox::requeue() {
    if (queue_) queue_->handBack();
}

bool SimulatedBox::outstanding() const { return queue_ && queue_->outstanding(); }

void SimulatedBox::reset() {
    if (queue_) queue_->close();
}

void SimulatedBox::close() {
    reset();
    receiver_ = nullptr;
}

uint64_t SimulatedBox::droppedBlocks() const { return queue_ ? queue_->dropped() : 0; }

}  // namespace vk7
