#include "platform/simulated_box.h"

#include <cmath>
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
    ++blockIndex_;
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
