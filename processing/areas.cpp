#include "processing/areas.h"

#include <algorithm>
#include <cmath>

#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"
#include "processing/peak_detection.h"

namespace vk7 {
namespace {

using Points = NumberedArray<int16_t>;

constexpr size_t kGradLineMax = 255;
constexpr size_t kSubstanceNameMax = 32;

int16_t saturate(int64_t v) { return clampToInt16(v); }

// The point nearest to index j within 1..count (count > 0).
int16_t pointNear(const Points& points, int j) { return points[std::clamp(j, 1, points.count())]; }

// Slope of the straight line from (x0, y0) to (x1, y1); 0 when the two ends coincide.
double slope(double y0, double y1, int x0, int x1) { return x1 == x0 ? 0.0 : (y1 - y0) / (x1 - x0); }

struct Line {
    int x0 = 0;
    double y0 = 0, k = 0;
    double at(int j) const { return y0 + (j - x0) * k; }
};

// The area routines run while the peak table is shown: the measurement keeps the names.
void measurePeaks(const Points& points, PeakMarkup& markup) { MeasurePeaks(points, markup, true); }

// The first 'E' at or after peak i (groups are closed, so there is one).
int groupEnd(const PeakMarkup& markup, int i) {
    int e = i;
    while (e < markup.PeakCount() && markup.Peaks[e].Type != 'E') ++e;
    return e;
}

// Plain sum of the points of a peak within 1..PointCount.
double plainSum(const Points& points, const Peak& p) {
    double sum = 0;
    const int to = std::min(p.End, points.count());
    for (int j = std::max(p.Start, 1); j <= to; ++j) sum += points[j];
    return sum;
}

void finishAreas(PeakMarkup& markup) {
    markup.TotalArea = 0;
    for (Peak& p : markup.Peaks) {
        if (p.Area < 0) p.Area = 0;
        markup.TotalArea += p.Area;
    }
}

// Completes one clipped peak in the divided points; false when it must keep its shape.
bool completePeak(Points& points, Peak& p, int averagingMs) {
    if (p.Height <= 0 || p.Start < 1 || p.End > points.count() || p.Start >= p.End) return false;
    const int64_t level = roundHalfEven(p.Height / 10.0 * 9);  // 90 % of the height
    const int64_t level3 = level / 3;                           // 30 %
    int a = 0, b = 0, c = 0, d = 0;
    for (int k = p.Start; k <= p.End && d == 0; ++k) {
        const int v = points[k];
        if (a == 0) {
            if (v >= level3) a = k;
        } else if (b == 0) {
            if (v >= level) b = k;
        } else if (c == 0) {
            if (v <= level) c = k;
        } else if (v <= level3) {
            d = k;
        }
    }
    if (d == 0) return false;
    const int m = static_cast<int>(roundHalfEven(a + double(d - a) * (b - a) / double((b - a) + (d - c))));
    const double s1 = (m - p.Start) / 4.0, s2 = (p.End - m) / 4.0;
    if (!(s1 > 0) || !(s2 > 0)) return false;
    // Amplitudes from both flanks, in double: a vanishing exponential gives infinity, which
    // the clamp turns into the largest value a point can hold.
    const double a1 = points[b] * std::exp(double(b - m) * (b - m) / 2 / (s1 * s1));
    const double a2 = points[c] * std::exp(double(m - c) * (m - c) / 2 / (s2 * s2));
    const double amplitudeRaw = (a1 + a2) / 2 * 1.09;
    if (std::isnan(amplitudeRaw)) return false;
    const double amplitude = static_cast<double>(roundHalfEven(std::min(amplitudeRaw, 32767.0)));
    for (int k = p.Start + 1; k <= m; ++k)
        points[k] = saturate(roundHalfEven(amplitude * std::exp(-double(k - m) * (k - m) / s1 / 20 / 500 * averagingMs)));
    for (int k = m + 1; k <= p.End - 1; ++k)
        points[k] = saturate(roundHalfEven(amplitude * std::exp(-double(k - m) * (k - m) / s2 / 40 / 500 * averagingMs)));
    p.Apex = m;
    return true;
}

}  // namespace

bool HasOverloadedPeaks(const PeakMarkup& markup) {
    return std::any_of(markup.Peaks.begin(), markup.Peaks.end(), [](const Peak& p) { return p.Overload; });
}

void SubtractBaseline(Points& points, PeakMarkup& markup) {
    CloseGroups(markup);
    const int n = points.count(), count = markup.PeakCount();
    if (n == 0 || count == 0) return;
    auto& peaks = markup.Peaks;

    // Members of a group start where the previous member ends.
    for (int i = 2; i <= count; ++i)
        if (peaks[i].Type == 'G' || peaks[i].Type == 'E') {
            peaks[i].Start = peaks[i - 1].End;
            peaks[i].StartValue = pointNear(points, peaks[i].Start);
        }

    // Before the first peak: the line from the level of point 10 to the first start value.
    if (const int s = peaks[1].Start; s > 1) {
        const int v0 = pointNear(points, 10);
        const double k = (pointNear(points, s) - v0) / double(s);
        const int to = std::min(s - 1, n);
        for (int j = 1; j <= to; ++j) points[j] = saturate(int64_t(points[j]) - v0 - roundHalfEven(j * k));
    }

    Line base;
    for (int i = 1; i <= count; ++i) {
        Peak& p = peaks[i];
        const bool opens = p.Type == 'M' || p.Type == 'B';
        if (i > 1 && opens) {
            // The gap between the previous peak and this one: its chord is subtracted.
            const int c = std::max(peaks[i - 1].End + 1, 1), d = std::min(p.Start - 1, n);
            if (c <= d) {
                const Line chord{c, double(points[c]), slope(points[c], points[d], c, d)};
                for (int j = c; j <= d; ++j) points[j] = saturate(int64_t(points[j]) - roundHalfEven(chord.at(j)));
            }
        }
        if (opens) {
            const Peak& last = p.Type == 'B' ? peaks[groupEnd(markup, i)] : p;
            base = {p.Start, double(p.StartValue), slope(p.StartValue, last.EndValue, p.Start, last.End)};
        }
        const int to = std::min(p.End, n);
        for (int j = std::max(opens ? p.Start : p.Start + 1, 1); j <= to; ++j)
            points[j] = saturate(std::abs(int64_t(points[j]) - roundHalfEven(base.at(j))));
        p.StartValue = pointNear(points, p.Start);
        p.EndValue = pointNear(points, p.End);
    }

    // After the last peak: the level of the first point after it, taken before the loop.
    if (const int first = std::max(peaks[count].End + 1, 1); first <= n) {
        const int level = points[first];
        for (int j = first; j <= n; ++j) points[j] = saturate(int64_t(points[j]) - level);
    }
}

ClippedCompletion CompleteClippedPeaks(Points& points, PeakMarkup& markup, int averagingMs) {
    ClippedCompletion result;
    for (int16_t& v : points) v = static_cast<int16_t>(v / 10);
    result.Done = true;
    measurePeaks(points, markup);
    for (Peak& p : markup.Peaks) {
        if (!p.Overload) continue;
        if (completePeak(points, p, averagingMs)) {
            p.Overload = false;
            ++result.Completed;
        } else {
            ++result.LeftUnchanged;
        }
    }
    return result;
}

void ComputePlainAreas(const Points& points, PeakMarkup& markup) {
    CloseGroups(markup);
    measurePeaks(points, markup);
    for (Peak& p : markup.Peaks) p.Area = plainSum(points, p);
    finishAreas(markup);
}

void ComputeAreas(const Points& points, PeakMarkup& markup) {
    CloseGroups(markup);
    measurePeaks(points, markup);
    auto& peaks = markup.Peaks;
    int first = 0, last = 0;
    double underBase = 0;  // the group's area under its members' own base lines
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        Peak& p = peaks[i];
        if (p.Type == 'M') {
            p.Area = plainSum(points, p);
            continue;
        }
        if (p.Type == 'B') {
            first = i;
            last = groupEnd(markup, i);
            underBase = 0;
        }
        p.Area = 0;
        const Line own{p.Start, double(p.StartValue), slope(p.StartValue, p.EndValue, p.Start, p.End)};
        const int to = std::min(p.End, points.count());
        for (int j = std::max(p.Start, 1); j <= to; ++j) {
            const double h = own.at(j);
            const double excess = std::trunc(points[j] - h);
            if (excess > 0) p.Area += excess;
            underBase += h;
        }
        if (i == last && first > 0) {
            double sum = 0;
            for (int m = first; m <= last; ++m) sum += peaks[m].Area;
            if (sum == 0) sum = 1;
            for (int m = first; m <= last; ++m) peaks[m].Area += underBase * peaks[m].Area / sum;
            first = last = 0;
        }
    }
    finishAreas(markup);
}

std::optional<double> CalibrationArea(double area, const AreaScale& scale) {
    if (!(scale.SamplingRate > 0)) return std::nullopt;
    return area * std::pow(10.0, scale.UnitCode) * scale.SignalMultiplier / 64 * scale.SamplesPerPoint /
           scale.SamplingRate / 3.2768;
}

std::vector<CalibrationSlot> CalibrationSlots(const std::vector<std::string>& gradLines) {
    std::vector<CalibrationSlot> slots;
    for (const std::string& raw : gradLines) {
        const CalibrationPoint point = parseCalibrationPoint(std::string_view(raw).substr(0, kGradLineMax));
        CalibrationSlot slot{cutText(point.name, kSubstanceNameMax), point.conc, point.area};
        auto same = std::find_if(slots.begin(), slots.end(), [&](const CalibrationSlot& s) {
            return s.Name == slot.Name && s.Conc == slot.Conc;
        });
        if (same != slots.end())
            same->Area = slot.Area;
        else
            slots.push_back(std::move(slot));
    }
    return slots;
}

double InterpolateConcentration(const std::vector<CalibrationSlot>& slots, const std::string& name, double a) {
    static const CalibrationSlot origin{};
    const CalibrationSlot* lower = nullptr;
    const CalibrationSlot* upper = nullptr;
    int n = 0;
    for (const CalibrationSlot& s : slots) {
        if (s.Name != name) continue;
        ++n;
        // A strictly smaller distance replaces the choice: on equal distances the earlier stays.
        if (s.Area <= a && (!lower || a - s.Area < a - lower->Area)) lower = &s;
        if (s.Area >= a && (!upper || s.Area - a < upper->Area - a)) upper = &s;
    }
    if (n == 0 || (!lower && !upper)) return 0;
    if (!upper) {
        upper = lower;
        lower = nullptr;
        if (n > 1) {
            // Above every point: the line through the two highest points is extended.
            for (const CalibrationSlot& s : slots) {
                if (s.Name != name) continue;
                const double below = upper->Area - s.Area;
                if (below > 0 && (!lower || below < upper->Area - lower->Area)) lower = &s;
            }
        }
    }
    if (!lower || lower == upper) lower = &origin;
    const double divisor = upper->Area - lower->Area;
    if (divisor == 0) return 0;
    return lower->Conc + (a - lower->Area) * (upper->Conc - lower->Conc) / divisor;
}

bool isNamedPeak(const Peak& peak) { return !peak.Name.empty() && peak.Name != "?"; }

void ComputeConcentrations(PeakMarkup& markup, const std::vector<CalibrationSlot>& slots, const AreaScale& scale) {
    for (Peak& p : markup.Peaks) {
        if (p.Area < 0) p.Area = 0;
        if (!isNamedPeak(p)) continue;
        const std::optional<double> a = CalibrationArea(p.Area, scale);
        p.Conc = a ? InterpolateConcentration(slots, p.Name, *a) : 0.0;
    }
}

double InternalStandardFactor(const PeakMarkup& markup, const ProcessingSettings& settings) {
    double v = 0;
    if (markup.Peaks.valid(settings.StandardPeakNo)) {
        const Peak& standard = markup.Peaks[settings.StandardPeakNo];
        if (isNamedPeak(standard)) {
            v = standard.Conc;
        } else {
            const double total = markup.TotalArea == 0 ? 1.0 : markup.TotalArea;
            v = standard.Area * 100 / total;
        }
    }
    if (v == 0) v = 1;
    const double conc2 = settings.StandardConc2 == 0 ? 1.0 : settings.StandardConc2;
    return settings.StandardConc1 / conc2 / v;
}

std::optional<double> ReportedConcentration(const PeakMarkup& markup, int i, const ProcessingSettings& settings,
                                            double standardFactor) {
    const Peak& p = markup.Peaks[i];
    if (!isNamedPeak(p)) return std::nullopt;
    if (settings.QuantMethod != 1) return p.Conc;
    if (i == settings.StandardPeakNo) {
        const double conc2 = settings.StandardConc2 == 0 ? 1.0 : settings.StandardConc2;
        return settings.StandardConc1 / conc2;
    }
    return p.Conc * standardFactor;
}

// ---- the shared state ----

void SubtractBaseline(ProcessingState& state) {
    state.View.ZeroOffset = 0;
    SubtractBaseline(state.Chrom.Points, state.Markup);
}

ClippedCompletion ReconstructClippedPeaks(ProcessingState& state) {
    if (state.Chrom.UnitCode >= 4) return {};
    ClippedCompletion result = CompleteClippedPeaks(state.Chrom.Points, state.Markup, state.Settings.AveragingMs);
    state.Chrom.UnitCode += 1;
    state.View.VerticalZoom *= 10;
    return result;
}

void ComputePeakAreas(ProcessingState& state) {
    if (state.Settings.AreaMethod == 1)
        ComputeAreas(state.Chrom.Points, state.Markup);
    else
        ComputePlainAreas(state.Chrom.Points, state.Markup);
}

void ComputeConcentrations(ProcessingState& state) {
    const auto lines = readLines(state.Start.file("space", "grad.dat"));
    const AreaScale scale{state.Chrom.UnitCode, state.Chrom.SignalMultiplier, state.Chrom.SamplesPerPoint,
                          state.Chrom.SamplingRate};
    ComputeConcentrations(state.Markup, CalibrationSlots(lines), scale);
}

ClippedCompletion QuantifyPeaks(ProcessingState& state, bool completeClipped) {
    SubtractBaseline(state);
    ClippedCompletion completion;
    if (completeClipped && HasOverloadedPeaks(state.Markup)) completion = ReconstructClippedPeaks(state);
    ComputePeakAreas(state);
    ComputeConcentrations(state);
    return completion;
}

}  // namespace vk7
