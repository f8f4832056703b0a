// Demodulation of one sound-card block: per channel the carrier's amplitude and the rising
// zero crossings that give its period, and the conversions of an amplitude into volts,
// into a recorded point and into the auto-start decision.
#pragma once

#include <array>
#include <cstdint>

namespace vk7 {

inline constexpr int kAnalysisStart = 512;   // first analysed frame of a block
inline constexpr int kAnalysisEnd = 2047;    // last analysed frame (the block's last)
inline constexpr int kMaxCrossings = 16;     // crossings kept per block
inline constexpr int kPowerThreshold = 5000; // amplitudes below this on both channels: no power
inline constexpr double kAutoStartHz = 16000.0;
inline constexpr double kAutoStartMinVolts = -0.05;
inline constexpr double kNormalFactor = 1.18;

// What one scan of a block found on one channel.
struct ChannelScan {
    int minimum = 65535;
    int maximum = -65535;
    int amplitude = 0;        // maximum - minimum, at most 65535 (ADC units)
    int crossings = 0;        // rising zero crossings kept (at most kMaxCrossings)
    int firstCrossing = 0;    // frame of the first kept crossing
    int lastCrossing = 0;     // frame of the last kept crossing
};

// Scans frames `start`..`end` of a block of interleaved stereo frames, both channels in one
// pass. A rising crossing is a sample >= 0 whose predecessor in the scan was negative; the
// first scanned frame never counts.
std::array<ChannelScan, 2> scanBlock(const int16_t* frames, int start = kAnalysisStart, int end = kAnalysisEnd);

// The carrier period in milliseconds from the kept crossings, or 0 with fewer than two.
double periodMsFromScan(const ChannelScan& scan, int rate);

// Volts of an amplitude through the channel's calibration line; in normal operation
// (calibration state 0) the zero correction is added and the sum multiplied by 1.18.
double amplitudeToVolts(int amplitude, double slope, double intercept, bool normalOperation, double zeroCorrection);

// The recorded 16-bit point of a voltage: volts * 32768 / fullScaleVolts * 10, clamped,
// rounded halves to even; with polarity 1 negated and clamped again (-32768 gives 32767).
int16_t recordedPoint(double volts, double fullScaleVolts, int polarity);

// Whether a channel starts recording by itself: it measured a carrier period, the carrier
// is above 16 kHz, the voltage above -0.05 V, no calibration runs, it is not recording and
// (channel 2) it is switched on.
bool autoStartWanted(double periodMs, double volts, int calibrationState, bool recording, bool channelOn);

// Standard deviation over a noise window of `n` values from their sum and sum of squares;
// 0 when rounding makes the variance come out 0 or negative (a steady input).
double noiseDeviation(double sum, double sumSquares, int n);

}  // namespace vk7
