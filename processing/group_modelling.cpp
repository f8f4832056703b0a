#include "processing/group_modelling.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/plot_geometry.h"

namespace vk7 {

namespace {

int64_t rnd(double v) { return roundHalfEven(v); }

int16_t clamp16(double v) {
    return static_cast<int16_t>(std::clamp<double>(v, std::numeric_limits<int16_t>::min(),
                                                   std::numeric_limits<int16_t>::max()));
}
int16_t round16(double v) { return clamp16(static_cast<double>(rnd(std::clamp(v, -1e9, 1e9)))); }

// sigma^2, with a width of 0 taken as 0.01 so that the Gaussian keeps its apex value.
double variance(int sigma) { return sigma == 0 ? 0.01 : static_cast<double>(sigma) * sigma; }

double gaussian(int i, int apex, double s2, double height) {
    const double d = static_cast<double>(i) - apex;
    return height * std::exp(-d * d / (2 * s2));
}

// The points apex - 4 sigma .. apex + 4 sigma within 1 .. count.
struct Span {
    int from, to;
};
Span gaussianSpan(int apex, int sigma, int count) {
    const int64_t reach = 4 * static_cast<int64_t>(std::abs(sigma));
    return {static_cast<int>(std::max<int64_t>(1, apex - reach)), static_cast<int>(std::min<int64_t>(count, apex + reach))};
}

void addGaussian(NumberedArray<int16_t>& samples, int apex, int sigma, int height) {
    const double s2 = variance(sigma);
    const Span span = gaussianSpan(apex, sigma, samples.count());
    for (int i = span.from; i <= span.to; ++i) samples[i] = round16(samples[i] + gaussian(i, apex, s2, height));
}

// The model values of the points from x0 to x1 of the plot as a polyline in the pen set.
void drawSamples(Canvas& c, const NumberedArray<int16_t>& samples, const PlotView& v, int x0, int x1) {
    c.moveTo(x0, v.ZeroLineY);
    for (int x = x0; x <= x1; ++x) {
        const int k = curvePointIndex(v, x);
        const double value = samples.valid(k) ? samples[k] : 0;
        const int y = std::clamp(yOfValue(v, value), v.PlotTop, v.PlotBottom);
        c.lineTo(x, y);
    }
}

BarSetting bar(int64_t lo, int64_t hi, int64_t pos, int64_t floor, int64_t ceiling) {
    pos = std::clamp(pos, floor, ceiling);
    if (lo > hi) std::swap(lo, hi);
    lo = std::clamp(std::min(lo, pos - 1), floor, ceiling);
    hi = std::clamp(std::max(hi, pos + 1), floor, ceiling);
    return {static_cast<int>(lo), static_cast<int>(hi), static_cast<int>(pos)};
}

}  // namespace

std::optional<ModelGroup> FindModelGroup(const PeakMarkup& markup, int point) {
    int best = 0;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (int k = 1; k <= markup.PeakCount(); ++k) {
        if (markup.Peaks[k].Type != 'B') continue;
        const int64_t d = std::llabs(static_cast<int64_t>(markup.Peaks[k].Start) - point);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    if (best == 0) return std::nullopt;
    for (int k = best + 1; k <= markup.PeakCount(); ++k)
        if (markup.Peaks[k].Type == 'E') return ModelGroup{best, k};
    return std::nullopt;
}

bool IsSameGroup(const PeakMarkup& markup, int first, int last) {
    if (!markup.Peaks.valid(first) || !markup.Peaks.valid(last) || last <= first) return false;
    if (markup.Peaks[first].Type != 'B' || markup.Peaks[last].Type != 'E') return false;
    for (int k = first + 1; k < last; ++k)
        if (markup.Peaks[k].Type != 'G') return false;
    return true;
}

void InitialPeakModel(PeakGroupModel& model, const NumberedArray<int16_t>& points, const PeakMarkup& markup,
                      int first, int last) {
    model.SelectedPeak = first;
    model.GroupLastPeak = last;
    model.CurrentModelPeak = 0;
    model.CurveShown = model.MarkerShown = false;
    model.Peaks = {};
    model.ModelSamples = NumberedArray<int16_t>(points.count());
    const int n = model.count();
    int width = 0;
    for (int k = n - 1; k >= 0; --k) {
        const Peak& p = markup.Peaks[first + k];
        ModelPeak& m = model.Peaks[static_cast<size_t>(k)];
        if (k == n - 1)
            width = static_cast<int>(rnd((markup.Peaks[last].End - markup.Peaks[last].Apex) / 3.4));
        else
            width = static_cast<int>(rnd(width / 1.1));
        m.LargeWidth = m.SmallWidth = width;
        m.LargeApex = m.SmallApex = p.Apex;
        const double apexValue = points.valid(p.Apex) ? points[p.Apex] : 0;
        m.LargeHeight = round16(0.99 * apexValue);
        m.SmallHeight = round16(0.1 * m.LargeHeight);
    }
}

std::optional<int> ModelSpanAveragingMs(const PeakMarkup& markup, int first, int last, int averagingMs) {
    const double ratio = static_cast<double>(markup.Peaks[last].End - markup.Peaks[first].Start) / kModelSpanPoints;
    if (ratio <= 1) return std::nullopt;
    return static_cast<int>(rnd(averagingMs * ratio));
}

std::string GroupTooWideText(int averagingMs) {
    return RU("Увеличте Тф до ") + intText(averagingMs) + RU(" и перезагрузите хроматограмму");
}
const std::string& TooManyGroupPeaksText() { return RU("Больше 16 пиков в группе. Попробуйте разбить ее."); }
std::string GroupPeakCountText(int n) { return intText(n) + RU(" пика(ов) в группе"); }
const std::string& GroupChangedText() { return RU("Группа изменилась. Выберите ее снова"); }

std::array<BarSetting, kModelBars> SetModelTrackBars(const PeakGroupModel& model) {
    const ModelPeak& m = model.Peaks[static_cast<size_t>(std::clamp(model.CurrentModelPeak, 0, kMaxGroupPeaks - 1))];
    constexpr int64_t kIntMin = std::numeric_limits<int>::min() / 2, kIntMax = std::numeric_limits<int>::max() / 2;
    const int64_t sL = m.LargeWidth, sS = m.SmallWidth, hL = m.LargeHeight, hS = m.SmallHeight;
    std::array<BarSetting, kModelBars> bars;
    bars[BarLargeWidth] = bar(rnd(0.5 * sL), 2 * sL, sL, kIntMin, kIntMax);
    bars[BarLargeHeight] = bar(rnd(0.5 * hL), rnd(1.5 * hL), hL, -32768, 32767);
    bars[BarSmallWidth] = bar(rnd(0.5 * sS), 2 * sS, sS, kIntMin, kIntMax);
    bars[BarLargeApex] = bar(m.LargeApex - sL, m.LargeApex + sL, m.LargeApex, kIntMin, kIntMax);
    bars[BarSmallApex] = bar(m.SmallApex - 3 * sL, m.SmallApex + 3 * sL, m.SmallApex, kIntMin, kIntMax);
    bars[BarSmallHeight] = bar(rnd(0.5 * hS), 3 * hS, hS, -32768, 32767);
    return bars;
}

void SetModelValue(PeakGroupModel& model, ModelBar which, int position) {
    ModelPeak& m = model.Peaks[static_cast<size_t>(std::clamp(model.CurrentModelPeak, 0, kMaxGroupPeaks - 1))];
    switch (which) {
        case BarLargeWidth: m.LargeWidth = position; break;
        case BarLargeHeight: m.LargeHeight = clamp16(position); break;
        case BarSmallWidth: m.SmallWidth = position; break;
        case BarLargeApex: m.LargeApex = position; break;
        case BarSmallApex: m.SmallApex = position; break;
        case BarSmallHeight: m.SmallHeight = clamp16(position); break;
    }
}

void BuildPeakModel(PeakGroupModel& model) {
    NumberedArray<int16_t>& samples = model.ModelSamples;
    std::fill(samples.begin(), samples.end(), int16_t{0});
    for (int k = 0; k < model.count() && k < kMaxGroupPeaks; ++k) {
        const ModelPeak& m = model.Peaks[static_cast<size_t>(k)];
        addGaussian(samples, m.LargeApex, m.LargeWidth, m.LargeHeight);
        addGaussian(samples, m.SmallApex, m.SmallWidth, m.SmallHeight);
    }
}

void DrawModel(Canvas& c, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& v) {
    if (!markup.Peaks.valid(model.SelectedPeak) || !markup.Peaks.valid(model.GroupLastPeak)) return;
    const Pen saved = c.pen();
    c.setPen(Pen{plot_colour::Teal, 1, PenMode::Xor});
    drawSamples(c, model.ModelSamples, v, std::max(xOfPoint(v, markup.Peaks[model.SelectedPeak].Start), v.PlotLeft),
                std::min(xOfPoint(v, markup.Peaks[model.GroupLastPeak].End), v.PlotRight));
    c.setPen(saved);
    model.CurveShown = !model.CurveShown;
}

void DrawModelPeakMarker(Canvas& c, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& v) {
    const int p = model.SelectedPeak + model.CurrentModelPeak;
    if (!markup.Peaks.valid(p)) return;
    const int x = xOfPoint(v, markup.Peaks[p].Apex);
    const int y = std::clamp(yOfValue(v, markup.Peaks[p].Height), v.PlotTop, v.PlotBottom) - 12;
    const Pen savedPen = c.pen();
    const Brush savedBrush = c.brush();
    c.setPen(Pen{plot_colour::Red, 1, PenMode::Xor});
    c.setBrush(Brush{plot_colour::White, true});
    c.rectangle(x - 6, y - 6, x + 6, y + 6);
    c.setPen(savedPen);
    c.setBrush(savedBrush);
    model.MarkerShown = !model.MarkerShown;
}

void RedrawModelOverlays(Canvas& c, PeakGroupModel& model, const PeakMarkup& markup, const PlotView& v) {
    model.CurveShown = model.MarkerShown = false;
    DrawModel(c, model, markup, v);
    DrawModelPeakMarker(c, model, markup, v);
}

void ApplyPeakModel(PeakGroupModel& model, PeakMarkup& markup, Canvas* c, const PlotView& v) {
    NumberedArray<int16_t>& samples = model.ModelSamples;
    for (int k = 0; k < model.count() && k < kMaxGroupPeaks; ++k) {
        const int q = model.SelectedPeak + k;
        if (!markup.Peaks.valid(q)) break;
        const ModelPeak& m = model.Peaks[static_cast<size_t>(k)];
        double area = 0;
        const double sL = variance(m.LargeWidth);
        const Span large = gaussianSpan(m.LargeApex, m.LargeWidth, samples.count());
        for (int i = large.from; i <= large.to; ++i) {
            samples[i] = round16(gaussian(i, m.LargeApex, sL, m.LargeHeight));
            area += samples[i];
        }
        const double sS = variance(m.SmallWidth);
        const Span small = gaussianSpan(m.SmallApex, m.SmallWidth, samples.count());
        for (int i = small.from; i <= small.to; ++i) {
            const double g = gaussian(i, m.SmallApex, sS, m.SmallHeight);
            samples[i] = round16(samples[i] + g);
            area += g;
        }
        markup.Peaks[q].Area = area;
        if (c) {
            const Pen saved = c->pen();
            c->setPen(Pen{(k + 1) % 2 == 1 ? plot_colour::Grey : plot_colour::Green, 2, PenMode::Copy});
            const int64_t reach = 4 * static_cast<int64_t>(std::abs(m.LargeWidth));
            const int from = static_cast<int>(std::max<int64_t>(1, m.LargeApex - reach));
            const int to = static_cast<int>(std::min<int64_t>(samples.count(), m.LargeApex + reach));
            drawSamples(*c, samples, v, std::max(xOfPoint(v, from), v.PlotLeft), std::min(xOfPoint(v, to), v.PlotRight));
            c->setPen(saved);
        }
    }
    // Drawn in copy mode, these curves are part of the picture until the next repaint.
    model.CurveShown = model.MarkerShown = false;
    double total = 0;
    for (Peak& p : markup.Peaks) {
        if (p.Area < 0) p.Area = 0;
        total += p.Area;
    }
    markup.TotalArea = total;
}

}  // namespace vk7
