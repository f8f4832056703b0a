#include "acquisition/demodulation.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"

namespace vk7 {

std::array<ChannelScan, 2> scanBlock(const int16_t* frames, int start, int end) {
    std::array<ChannelScan, 2> scans{};
    int min0 = 65535, max0 = -65535, min1 = 65535, max1 = -65535;
    int n0 = 0, n1 = 0, first0 = 0, last0 = 0, first1 = 0, last1 = 0;
    bool neg0 = false, neg1 = false;
    for (int k = start; k <= end; ++k) {
        const int s0 = frames[2 * k];
        const int s1 = frames[2 * k + 1];
        min0 = std::min(min0, s0);
        max0 = std::max(max0, s0);
        min1 = std::min(min1, s1);
        max1 = std::max(max1, s1);
        if (s0 >= 0 && neg0 && n0 < kMaxCrossings) {
            if (n0 == 0) first0 = k;
            last0 = k;
            ++n0;
        }
        if (s1 >= 0 && neg1 && n1 < kMaxCrossings) {
            if (n1 == 0) first1 = k;
            last1 = k;
            ++n1;
        }
        neg0 = s0 < 0;
        neg1 = s1 < 0;
    }
    scans[0] = {min0, max0, std::min(max0 - min0, 65535), n0, first0, last0};
    scans[1] = {min1, max1, std::min(max1 - min1, 65535), n1, first1, last1};
    if (end < start) scans[0].amplitude = scans[1].amplitude = 0;
    return scans;
}

double periodMsFromScan(const ChannelScan& scan, int rate) {
    if (scan.crossings < 2 || rate <= 0) return 0.0;
    return double(scan.lastCrossing - scan.firstCrossing) / (scan.crossings - 1) / rate * 1000.0;
}

double amplitudeToVolts(int amplitude, double slope, double intercept, bool normalOperation, double zeroCorrection) {
    double v = amplitude / 1000.0 * slope + intercept;
    if (normalOperation) v = (v + zeroCorrection) * kNormalFactor;
    return v;
}

int16_t recordedPoint(double volts, double fullScaleVolts, int polarity) {
    double x = volts * 32768.0 / fullScaleVolts * 10.0;
    if (std::isnan(x)) x = 0;
    x = std::clamp(x, -32768.0, 32767.0);
    int64_t point = roundHalfEven(x);
    if (polarity == 1) point = -point;
    return clampToInt16(point);
}

bool autoStartWanted(double periodMs, double volts, int calibrationState, bool recording, bool channelOn) {
    if (periodMs == 0 || recording || !channelOn || calibrationState != 0) return false;
    const double hz = 1.0 / periodMs * 1000.0;
    return hz > kAutoStartHz && volts > kAutoStartMinVolts;
}

double noiseDeviation(double sum, double sumSquares, int n) {
    const double d = n * sumSquares - sum * sum;
    if (!(d > 0) || n < 2) return 0.0;
    return std::sqrt(d / n / (n - 1));
}

}  // namespace vk7
