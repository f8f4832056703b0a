// A simulated attachment box for tests and benchmarks: it turns scripted detector voltages
// into the two carriers of a sound-card input, block by block, on a virtual clock, and as
// the sound-card output it decodes the command bursts it is sent and switches its source.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/sound_input.h"
#include "platform/sound_output.h"

namespace vk7 {

// A Gaussian peak of a scripted detector signal.
struct DetectorPeak {
    double apexSec = 0;
    double heightVolts = 0;
    double sigmaSec = 1;
};

// A detector voltage over time: a baseline plus Gaussian peaks.
struct DetectorScript {
    double baselineVolts = 0;
    std::vector<DetectorPeak> peaks;
    double volts(double t) const;
};

// What the box connects to its two outputs (the program switches it by commands).
enum class BoxConnection { PairAB, PairCD, ReferenceVoltage, ReferenceZero };

// The command a buffer's right channel carries: eight low pulses (below half the depth
// under `idleLevel`) at its start, a pulse of more than 28 samples a 1, bit 7 first; nullopt
// when it carries none.
std::optional<uint8_t> decodeCommandBurst(const int16_t* frames, int frameCount, int16_t idleLevel = 0);

class SimulatedBox : public SoundInput {
public:
    struct Settings {
        // Carrier frequency of each output in normal operation.
        std::array<double, 2> carrierHz{4000.0, 4500.0};
        // Peak-to-peak amplitude in ADC units of a carrier at 0 V, and its growth per volt.
        double zeroAmplitude = 5000.0;
        double unitsPerVolt = 15000.0;
        // Standard deviation of the noise added to every sample, in ADC units.
        double noiseUnits = 2.0;
        // The voltage of the box's reference and of its reference zero.
        double referenceVolts = 1.0;
        double referenceZeroVolts = 0.0;
        uint64_t seed = 1;
    };

    SimulatedBox();
    explicit SimulatedBox(const Settings& settings);
    ~SimulatedBox() override;

    // Physical channel 0..3 = A, B, C, D.
    void setDetector(int physicalChannel, DetectorScript script);
    // From `fromSec` to `untilSec` of box time, output 0 or 1 carries the start tone.
    void addStartTone(int output, double fromSec, double untilSec, double hz = 18000.0);
    void setPower(bool on) { power_ = on; }
    void setConnection(BoxConnection c) { connection_ = c; }
    // What a command switches the box to: 0 pair AB, 64 pair CD, 192 the reference
    // voltage, 128 the reference zero.
    static std::optional<BoxConnection> connectionOfCommand(uint8_t command);
    BoxConnection connection() const { return connection_; }
    // The next open() fails with this error; `reason` is what failureReason() then says.
    void failNextOpen(SoundOpenError e, std::string reason = {}) {
        failNextOpen_ = e;
        failureReason_ = std::move(reason);
    }
    // An overrun of the device: the next block produced is lost before it reaches the queue.
    void injectOverrun() { overrunPending_ = true; }

    // Virtual clock: the time of the sound produced so far, in seconds.
    double time() const;
    // The voltage that output 0 or 1 carries at time t (what the program should measure).
    double outputVolts(int output, double t) const;

    // Produces the blocks due in the next `seconds` of box time; each is queued and, while
    // the receiver hands blocks back, delivered at once. Returns the blocks produced.
    int run(double seconds);
    // Produces and queues one block and delivers what may be delivered.
    void step();
    // Delivers waiting blocks (after a block was handed back late).
    void deliverWaiting();
    // Writes the next block into `frames` (kFramesPerBlock interleaved frames) and advances
    // the clock, without queueing it.
    void generateBlock(int16_t* frames);

    // SoundInput
    SoundOpenError open(int rate, SoundInputReceiver& receiver) override;
    void requeue() override;
    void reset() override;
    void close() override;
    uint64_t droppedBlocks() const override;
    uint64_t overruns() const override { return overruns_; }
    std::string failureReason() const override { return failureReason_; }

    // The box as the sound-card output: it plays in step with the input's clock, a write
    // waiting while two buffers are ahead of it; a burst switches the box when it has played.
    SoundOutput& output() { return output_; }
    // The output refuses to open (no output device).
    void setOutputMissing(bool missing) { outputMissing_ = missing; }
    bool outputOpen() const;
    // The commands decoded from the output, in order.
    std::vector<uint8_t> commandsHeard() const;

    bool isOpen() const { return receiver_ != nullptr; }
    int rate() const { return rate_; }
    uint64_t deliveredBlocks() const { return delivered_; }
    uint64_t producedBlocks() const { return blockIndex_; }
    bool outstanding() const;

private:
    double nextNoise();

    struct Tone {
        int output;
        double from, until, hz;
    };

    Settings settings_;
    std::array<DetectorScript, 4> detectors_;
    std::vector<Tone> tones_;
    std::array<double, 2> phase_{0.0, 1.0};
    bool power_ = true;
    BoxConnection connection_ = BoxConnection::PairAB;
    SoundOpenError failNextOpen_ = SoundOpenError::None;
    std::string failureReason_;
    int rate_ = 44100;
    uint64_t blockIndex_ = 0;
    uint64_t delivered_ = 0;
    uint64_t rng_;
    bool spareNoiseValid_ = false;
    double spareNoise_ = 0;
    SoundInputReceiver* receiver_ = nullptr;
    std::unique_ptr<SoundBlockQueue> queue_;
    std::vector<int16_t> scratch_;
    bool overrunPending_ = false;

    class Output : public SoundOutput {
    public:
        explicit Output(SimulatedBox& box) : box_(box) {}
        bool open(int rate) override;
        void waitForRoom(int frameCount) override;
        void write(const int16_t* frames, int frameCount) override;
        void interrupt() override;
        void close() override;

    private:
        SimulatedBox& box_;
    };
    Output output_{*this};

    // The output side, shared with the thread that writes it.
    mutable std::mutex outputMutex_;
    std::condition_variable outputCv_;
    bool outputMissing_ = false;
    bool outputOpen_ = false;
    bool outputInterrupted_ = false;
    uint64_t outputFrames_ = 0;  // frames written
    uint64_t playedFrames_ = 0;  // frames of input produced, the output's play position
    std::deque<std::pair<uint64_t, BoxConnection>> switches_;
    std::vector<uint8_t> heard_;
    uint64_t overruns_ = 0;
};

}  // namespace vk7
