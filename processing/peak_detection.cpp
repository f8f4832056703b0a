#include "processing/peak_detection.h"

#include <algorithm>

#include "chromfile/signal_scale.h"
#include "common/number_text.h"

namespace vk7 {

DetectionParams detectionParams(const OpenChromatogram& chrom, const ProcessingSettings& settings) {
    DetectionParams p;
    p.DetectThreshold = settings.DetectThreshold;
    p.AveragingMs = settings.AveragingMs;
    p.SamplingRate = chrom.SamplingRate;
    p.UnitCode = chrom.UnitCode;
    p.SignalMultiplier = chrom.SignalMultiplier;
    return p;
}

double slopeThreshold(const DetectionParams& p) {
    return p.DetectThreshold / 100.0 / 10000.0 * 32768.0 * 64.0 /
           signalScaleFactor(p.UnitCode, p.SignalMultiplier);
}

int minimumPeakWidth(const DetectionParams& p) {
    int64_t averagingMs = p.AveragingMs;
    if (averagingMs == 0 && p.SamplingRate > 0) averagingMs = roundHalfEven(1000.0 / p.SamplingRate);
    averagingMs = std::max<int64_t>(averagingMs, 1);
    return static_cast<int>(roundHalfEven(1000.0 / double(averagingMs)));
}

void DetectPeaks(const NumberedArray<int16_t>& points, const DetectionParams& params, PeakMarkup& markup) {
    markup.clear();
    const double f = signalScaleFactor(params.UnitCode, params.SignalMultiplier);
    if (!(f > 0) || params.UnitCode < 0 || params.UnitCode > 4) return;

    const double rise = slopeThreshold(params);
    const double flat = rise / 2;
    const int minWidth = minimumPeakWidth(params);
    const int count = points.count();

    enum class State { Waiting, Rising, Falling };
    State state = State::Waiting;
    bool steepDescent = false;  // the descent has once been at least L/2 steep
    int start = 0, apex = 0;
    int startValue = 0, maximum = 0;

    for (int i = 2; i <= count - 2; ++i) {
        // Differences in 32 bits: a jump of more than 32767 counts is still a rise.
        const int d = int(points[i + 1]) - int(points[i]);
        if (state == State::Waiting) {
            if (!(d > rise)) continue;
            start = i - 1;
            startValue = points[std::max(1, i - 10)];
            maximum = startValue;
            apex = i;
            state = State::Rising;
        }
        if (state == State::Rising) {
            if (points[i] > maximum) {
                maximum = points[i];
                apex = i;
            }
            if (d >= 0) continue;
            state = State::Falling;
            steepDescent = false;
        }
        // Falling. The peak ends when the signal rises again, or when a descent that has
        // been steep flattens; a gentle first step after a broad apex does not end it.
        if (!(d > 0 || (steepDescent && -d < flat))) {
            if (-d >= flat) steepDescent = true;
            continue;
        }
        state = State::Waiting;
        const int end = i - 1;
        const int endValue = points[end];
        const double height = countsToMillivolts(maximum - std::min(startValue, endValue), f);
        if (!(height >= params.DetectThreshold) || end - start < minWidth) continue;
        Peak p;
        p.Start = start;
        p.End = end;
        p.Apex = apex;
        p.Height = static_cast<int16_t>(maximum);
        p.StartValue = static_cast<int16_t>(startValue);
        p.EndValue = static_cast<int16_t>(endValue);
        markup.Peaks.push_back(std::move(p));
        if (markup.PeakCount() == kMaxPeaks) break;
    }
    ClassifyPeakGroups(markup);
}

namespace {

// The type that peak j - 1 takes when its group is split before j: the last member of the
// part before the split, or a single peak when that part is its first member alone.
char closedBefore(char t) { return t == 'G' ? 'E' : 'M'; }

// Splits the group first..last before every member whose start value lies below the
// group's straight base line.
void splitGroup(NumberedArray<Peak>& pk, int first, int last) {
    const double x0 = pk[first].Start, y0 = pk[first].StartValue;
    const double x1 = pk[last].End, y1 = pk[last].EndValue;
    for (int j = first + 1; j <= last; ++j) {
        // A base line of zero length is horizontal.
        const double y = x1 == x0 ? y0 : y0 + (y1 - y0) * (pk[j].Start - x0) / (x1 - x0);
        if (!(roundHalfEven(y) > pk[j].StartValue)) continue;
        char& t = pk[j].Type;
        if (t == 'G') {
            t = 'B';
            pk[j - 1].Type = closedBefore(pk[j - 1].Type);
        } else if (t == 'E') {
            t = 'M';
            pk[j - 1].Type = closedBefore(pk[j - 1].Type);
        }
    }
}

}  // namespace

void ClassifyPeakGroups(PeakMarkup& markup) {
    auto& pk = markup.Peaks;
    const int n = pk.count();
    for (Peak& p : pk) p.Type = 'M';
    for (int k = 2; k <= n; ++k)
        if (pk[k].Start - pk[k - 1].End < 2) pk[k].Type = 'G';
    for (int k = 2; k <= n; ++k) {
        if (pk[k].Type == 'G' && (pk[k - 1].Type == 'M' || pk[k - 1].Type == 'E')) pk[k - 1].Type = 'B';
        if (pk[k - 1].Type == 'G' && pk[k].Type == 'M') pk[k - 1].Type = 'E';
        if (pk[k].Type == 'G' && k == n) pk[k].Type = 'E';
    }
    int first = 0;
    for (int k = 1; k <= n; ++k) {
        if (pk[k].Type == 'B' && first == 0) {
            first = k;
        } else if (pk[k].Type == 'E' && first != 0) {
            splitGroup(pk, first, k);
            first = 0;
        }
    }
}

void MeasurePeaks(const NumberedArray<int16_t>& points, PeakMarkup& markup, bool keepNames) {
    const int count = points.count();
    for (Peak& p : markup.Peaks) {
        if (!keepNames) p.Name.assign(1, '?');  // not = "?": GCC 12 warns falsely on it
        if (count == 0) continue;
        p.Start = std::clamp(p.Start, 1, count);
        p.End = std::clamp(p.End, 1, count);
        p.StartValue = points[p.Start];
        p.EndValue = points[p.End];
        const int mid = static_cast<int>(roundHalfEven((p.Start + p.End) / 2.0));
        const bool positive = points[mid] > std::min(p.StartValue, p.EndValue);
        if (p.Start > p.End) {
            // No points to search: the apex stays, the height is a placeholder.
            p.Height = positive ? int16_t(-32768) : int16_t(32767);
            continue;
        }
        int apex = p.Start;
        for (int j = p.Start + 1; j <= p.End; ++j)
            if (positive ? points[j] > points[apex] : points[j] < points[apex]) apex = j;
        p.Apex = apex;
        p.Height = points[apex];
    }
}

bool apexOverloaded(const Peak& p) { return p.Start <= p.End && (p.Height > 32000 || p.Height < -32000); }

}  // namespace vk7
