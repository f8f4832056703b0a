// Demodulation of synthetic blocks and the conversions of an amplitude.
#include "acquisition/demodulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace vk7 {
namespace {

constexpr int kRate = 44100;

// A block of 2048 frames with the same sine carrier on both channels.
std::vector<int16_t> carrierBlock(double hz, double amplitude, double phase = 0.3, int firstFrame = 0) {
    std::vector<int16_t> b(2 * 2048);
    for (int k = 0; k < 2048; ++k) {
        const double s = amplitude * std::sin(2 * std::numbers::pi * hz * (firstFrame + k) / kRate + phase);
        b[2 * k] = b[2 * k + 1] = static_cast<int16_t>(std::nearbyint(s));
    }
    return b;
}

TEST(Demodulation, CarrierFrequencyAndAmplitude) {
    struct Case {
        double hz;
        double lowHz, highHz;
    } cases[] = {{20000, 19400, 20100}, {1000, 999, 1001}, {5000, 4950, 5050}, {16000, 15700, 16200}};
    for (const auto& c : cases) {
        for (double phase : {0.0, 0.7, 2.1}) {
            const auto block = carrierBlock(c.hz, 10000, phase);
            const auto scans = scanBlock(block.data());
            EXPECT_EQ(scans[0].crossings, 16) << c.hz;
            const double hz = 1000.0 / periodMsFromScan(scans[0], kRate);
            EXPECT_GE(hz, c.lowHz) << c.hz << " phase " << phase;
            EXPECT_LE(hz, c.highHz) << c.hz << " phase " << phase;
            EXPECT_NEAR(scans[0].amplitude, 20000, 40) << c.hz;
            EXPECT_EQ(scans[1].amplitude, scans[0].amplitude);
        }
    }
}

TEST(Demodulation, SteadyInputHasNoCrossingsAndNoPeriod) {
    std::vector<int16_t> dc(2 * 2048, 1234);
    const auto scans = scanBlock(dc.data());
    EXPECT_EQ(scans[0].crossings, 0);
    EXPECT_EQ(scans[0].amplitude, 0);
    EXPECT_EQ(periodMsFromScan(scans[0], kRate), 0.0);
}

TEST(Demodulation, OnlyFramesFrom512CountAndTheFirstScannedFrameNeverCrosses) {
    std::vector<int16_t> b(2 * 2048, 100);
    for (int k = 0; k < 512; ++k) b[2 * k] = -30000;  // outside the window: ignored
    b[2 * 511] = -5;   // negative just before the window, positive at 512: not a crossing
    b[2 * 700] = -1;   // one dip inside the window: the crossing is at 701
    auto scans = scanBlock(b.data());
    EXPECT_EQ(scans[0].crossings, 1);
    EXPECT_EQ(scans[0].firstCrossing, 701);
    EXPECT_EQ(scans[0].minimum, -1);
    EXPECT_EQ(scans[0].amplitude, 101);
    // Channel 2 is scanned on its own.
    EXPECT_EQ(scans[1].crossings, 0);
    EXPECT_EQ(scans[1].amplitude, 0);
}

TEST(Demodulation, FullScaleSquareWaveGivesTheLargestAmplitude) {
    std::vector<int16_t> b(2 * 2048);
    for (int k = 0; k < 2048; ++k) b[2 * k] = b[2 * k + 1] = (k / 7) % 2 ? int16_t(-32768) : int16_t(32767);
    const auto scans = scanBlock(b.data());
    EXPECT_EQ(scans[0].amplitude, 65535);
    EXPECT_EQ(scans[1].amplitude, 65535);
    EXPECT_EQ(scans[0].crossings, 16);  // only the first 16 kept
    EXPECT_NEAR(periodMsFromScan(scans[0], kRate), 14.0 / kRate * 1000, 1e-12);
}

TEST(Demodulation, Points) {
    const double fs = 1.5625;
    const double lsb = fs / 327680.0;  // the voltage of one count
    struct Case {
        double volts;
        int polarity;
        int expected;
    } cases[] = {
        {0.0, 0, 0},
        {0.15625, 0, 32767},      // full scale is one count beyond the range
        {-0.15625, 0, -32768},
        {0.5 * lsb, 0, 0},        // halves to even
        {1.5 * lsb, 0, 2},
        {-2.5 * lsb, 0, -2},
        {0.1, 0, 20972},
        {0.1, 1, -20972},
        {-0.2, 1, 32767},         // clamped to -32768, negated: not left at -32768
        {-0.15625, 1, 32767},
        {0.2, 1, -32767},
        {5.0, 0, 32767},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recordedPoint(c.volts, fs, c.polarity), c.expected) << c.volts << " polarity " << c.polarity;
}

TEST(Demodulation, AutoStartNeedsACarrierAbove16kHzAVoltageAboveMinus50mVAndNormalOperation) {
    const double at16k = 1000.0 / 16000.0;
    const double above = 1000.0 / 16000.1;
    struct Case {
        double periodMs, volts;
        int calibrationState;
        bool recording, on, starts;
    } cases[] = {
        {above, 0.0, 0, false, true, true},
        {at16k, 0.0, 0, false, true, false},      // exactly 16000 Hz: strictly above only
        {above, -0.05, 0, false, true, false},
        {above, -0.0499, 0, false, true, true},
        {above, 0.0, 1, false, true, false},      // never while calibrating
        {above, 0.0, 2, false, true, false},
        {above, 0.0, 3, false, true, false},
        {above, 0.0, 0, true, true, false},       // already recording
        {above, 0.0, 0, false, false, false},     // channel switched off
        {0.0, 0.0, 0, false, true, false},        // never saw a carrier
        {1000.0 / 5000.0, 0.0, 0, false, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(autoStartWanted(c.periodMs, c.volts, c.calibrationState, c.recording, c.on), c.starts)
            << c.periodMs << " " << c.volts << " state " << c.calibrationState;
}

TEST(Demodulation, VoltsAndNoise) {
    // The line through (5000, 0 V) and (20000, 1 V); normal operation adds the zero
    // correction and multiplies by 1.18.
    EXPECT_NEAR(amplitudeToVolts(5000, 1.0 / 15, -1.0 / 3, false, 0.5), 0.0, 1e-12);
    EXPECT_NEAR(amplitudeToVolts(20000, 1.0 / 15, -1.0 / 3, false, 0.5), 1.0, 1e-12);
    EXPECT_NEAR(amplitudeToVolts(20000, 1.0 / 15, -1.0 / 3, true, -0.25), 0.75 * 1.18, 1e-12);

    // A steady window has no noise (rounding may make the variance a hair below 0).
    double sum = 0, sq = 0;
    for (int i = 0; i < 30; ++i) {
        sum += 0.1;
        sq += 0.1 * 0.1;
    }
    EXPECT_EQ(noiseDeviation(sum, sq, 30), 0.0);
    EXPECT_EQ(noiseDeviation(0, 0, 30), 0.0);
    // Alternating +-1 mV: deviation sqrt(30 / 29) mV.
    sum = sq = 0;
    for (int i = 0; i < 30; ++i) {
        const double v = i % 2 ? 0.001 : -0.001;
        sum += v;
        sq += v * v;
    }
    EXPECT_NEAR(noiseDeviation(sum, sq, 30), 0.001 * std::sqrt(30.0 / 29.0), 1e-15);
}

}  // namespace
}  // namespace vk7
