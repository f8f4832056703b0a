#include "processing/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/cp1251.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

int roundInt(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp<int64_t>(roundHalfEven(v), std::numeric_limits<int>::min() / 2,
                                                std::numeric_limits<int>::max() / 2));
}

}  // namespace

PlotRect plotRectangle(int boxWidth, int boxHeight) { return {9, 16, boxWidth - 24, boxHeight - 1}; }

bool plotFits(const PlotRect& r) { return r.width() >= 10 && r.height() >= 20; }

PlotRect plotRectOf(const PlotView& v) { return {v.PlotLeft, v.PlotTop, v.PlotRight, v.PlotBottom}; }

void setPlotRect(PlotView& v, const PlotRect& r) {
    v.PlotLeft = r.left;
    v.PlotTop = r.top;
    v.PlotRight = r.right;
    v.PlotBottom = r.bottom;
}

int zeroLineY(const PlotRect& r) { return roundInt(r.bottom - r.height() / 4.0); }

double clampZoom(double zoom) {
    if (!(zoom >= 0.5)) return 0.5;  // also a NaN
    return std::min(zoom, 256.0);
}

int gainForCode(int gainCode) {
    static constexpr int gains[] = {1, 4, 16, 64, 256};
    if (gainCode < 1 || gainCode > 5) gainCode = 4;
    return gains[gainCode - 1];
}

double fullScaleVolts(int gainCode) { return 10.0 / gainForCode(gainCode); }

VerticalAxis verticalAxis(int gainCode, double zoom, const PlotRect& r) {
    VerticalAxis a;
    const int H = r.height();
    a.ZeroLineY = zeroLineY(r);
    a.FullScaleV = fullScaleVolts(gainCode);
    double range = a.FullScaleV / clampZoom(zoom);
    const double L = std::log10(range);
    a.Log = L;
    double factor = 1.0;
    int decimals = 0;
    if (L < 0.1) range *= 10, factor /= 10;
    if (L < -0.8) range *= 10, factor /= 10;
    if (L < -1.6) range *= 10, factor /= 10;
    if (L < -2.4) range *= 10, factor /= 10, decimals = 1;
    if (L > 2) range /= 10, factor *= 10;
    // Between 1 and 1.26 V the ticks are tenths of a volt: without a decimal they would
    // read "0", "0", "1".
    if (L > 0 && L < 0.1) decimals = 1;
    a.Range = range;
    a.Volts = L > 0;
    a.Decimals = decimals;

    int step = H > 0 ? roundInt(H / range / 4 * 3) : 0;
    if (step < 10) step *= 10, factor *= 10;
    a.AxisDecadeFactor = factor;
    a.YTickStep = std::max(0, step);
    if (a.YTickStep > 0) {
        a.TicksTotal = roundInt(static_cast<double>(H) / a.YTickStep);
        a.TicksBelow = roundInt(static_cast<double>(r.bottom - a.ZeroLineY) / a.YTickStep);
    }
    a.CountsPerPixel = H > 0 ? std::max(1, roundInt(32767.0 * 4 / 3 / H)) : 1;
    return a;
}

std::string unitLabel(const VerticalAxis& a) { return a.Volts ? RU("В") : RU("мВ"); }

std::vector<AxisTick> verticalTicks(const VerticalAxis& a, const PlotRect& r) {
    std::vector<AxisTick> ticks;
    if (a.YTickStep <= 0) return ticks;
    for (int k = -a.TicksBelow; k <= a.TicksTotal - a.TicksBelow; ++k) {
        const int y = a.ZeroLineY - k * a.YTickStep;
        if (y < r.top + 8 || y > r.bottom - 8) continue;
        AxisTick t;
        t.y = y;
        t.value = k * a.AxisDecadeFactor * (a.Volts ? 1.0 : 1000.0);
        t.zero = k == 0;
        t.text = fixedText(t.value, 5, a.Decimals);
        ticks.push_back(std::move(t));
    }
    return ticks;
}

int visibleSpanSec(int startSec, int endSec) {
    const int64_t span = static_cast<int64_t>(endSec) - startSec;
    return span > 0 ? static_cast<int>(std::min<int64_t>(span, std::numeric_limits<int>::max())) : 60;
}

TimeAxis timeAxis(int viewStartSec, int viewEndSec, const PlotRect& r) {
    TimeAxis axis;
    const double minutes = visibleSpanSec(viewStartSec, viewEndSec) / 60.0;
    double p = r.width() / minutes;
    int step = 1;
    axis.PixelsPerStep = p;
    if (!(p > 0)) return axis;  // no width: no ticks, and no endless widening
    while (p < 30) p *= 5, step *= 5;
    axis.PixelsPerStep = p;
    axis.StepMinutes = step;
    // A step that divides the width exactly ends with a tick on the right edge, whatever the
    // last bit of the division.
    const int n = static_cast<int>(wholePart(r.width() / p + 1e-9));
    double t = viewStartSec / 60.0;
    for (int i = 0; i <= n; ++i) {
        TimeTick tick;
        tick.x = roundInt(i * p) + r.left;
        if (i > 0) tick.text = fixedText(t, 4, 0);
        axis.Ticks.push_back(std::move(tick));
        t += step;
    }
    return axis;
}

double pointsPerPixel(int spanSec, int samplesPerPoint, double rate, int plotWidth) {
    if (samplesPerPoint <= 0 || !(rate > 0) || plotWidth <= 0) return 1.0;
    const double ppp = static_cast<double>(spanSec) / samplesPerPoint / plotWidth * rate;
    return ppp > 0 && std::isfinite(ppp) ? ppp : 1.0;
}

int viewFirstPoint(int viewStartSec, double rate, int samplesPerPoint) {
    if (samplesPerPoint <= 0 || !(rate > 0)) return 0;
    return roundInt(viewStartSec * rate / samplesPerPoint);
}

int xOfPoint(const PlotView& v, int point) {
    return roundInt((point - v.ViewFirstPoint) / v.PointsPerPixel) + v.PlotLeft;
}

int yOfValue(const PlotView& v, double value) {
    return roundInt(v.ZeroLineY - (value + v.ZeroOffset) * v.VerticalZoom / v.CountsPerPixel * v.YScaleB);
}

int curvePointIndex(const PlotView& v, int x) {
    return roundInt((x - v.PlotLeft) * v.PointsPerPixel + 1 + v.ViewFirstPoint);
}

Colour curveColour(int overlayCount) {
    static constexpr Colour colours[] = {plot_colour::Blue, plot_colour::Green, plot_colour::Maroon, plot_colour::Teal,
                                         plot_colour::Olive};
    return colours[((overlayCount % 5) + 5) % 5];
}

bool temperatureLineDrawable(const TemperatureProgram& tp) {
    const int n = std::min(tp.TempProgramCount, TemperatureProgram::kMaxPoints - 1);
    return n >= 1 && tp.FinalTemperature != 0 && tp.TempProgramTemps[n] != tp.TempProgramTemps[0];
}

std::vector<PlotSegment> temperatureSegments(const TemperatureProgram& tp, const PlotView& v) {
    std::vector<PlotSegment> out;
    if (!temperatureLineDrawable(tp)) return out;
    const int n = std::min(tp.TempProgramCount, TemperatureProgram::kMaxPoints - 1);
    const double yScale = static_cast<double>(v.ZeroLineY - v.PlotTop) / tp.FinalTemperature;
    const double xScale =
        static_cast<double>(v.PlotRight - v.PlotLeft) / visibleSpanSec(v.ViewStartSec, v.ViewEndSec) * 60;
    const double startMin = v.ViewStartSec / 60.0;
    auto at = [&](int j) {
        return PlotPoint{roundInt((tp.TempProgramTimes[j] - startMin) * xScale) + v.PlotLeft,
                         v.PlotTop + roundInt((v.ZeroLineY - v.PlotTop) - tp.TempProgramTemps[j] * yScale)};
    };
    // y on the segment at column x; a vertical segment keeps its own y.
    auto cut = [](PlotPoint a, PlotPoint b, int x) {
        if (a.x == b.x) return PlotPoint{x, b.y};
        return PlotPoint{x, roundInt(a.y + static_cast<double>(b.y - a.y) * (x - a.x) / (b.x - a.x))};
    };
    PlotPoint left = at(0);
    for (int j = 1; j <= n; ++j) {
        PlotPoint right = at(j);
        if (right.x > v.PlotRight) right = cut(left, right, v.PlotRight);
        PlotPoint from = left;
        if (from.x < v.PlotLeft) from = cut(left, right, v.PlotLeft);
        if (from.x < v.PlotRight && right.x >= v.PlotLeft) out.push_back({from, right, plot_colour::Red});
        left = right;
    }
    return out;
}

MarkupGeometry markupGeometry(PeakMarkup& markup, const NumberedArray<int16_t>& points, const PlotView& v) {
    MarkupGeometry g;
    const int q = (v.PlotBottom - v.PlotTop) / 50;
    std::optional<PlotPoint> base;  // the previous base point
    std::optional<int> labelY;      // y0: the start height of the last peak whose start was drawn
    auto baseInside = [&] { return base && base->y > v.PlotTop && base->y < v.PlotBottom; };
    auto tick = [&](int x, int y, int half, Colour c) { g.Lines.push_back({{x, y - half}, {x, y + half}, c}); };
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        Peak& pk = markup.Peaks[i];
        if (points.valid(pk.Start)) pk.StartValue = points[pk.Start];
        if (points.valid(pk.End)) pk.EndValue = points[pk.End];

        const int xs = xOfPoint(v, pk.Start), ys = yOfValue(v, pk.StartValue);
        if (ys + q <= v.PlotBottom && ys - q >= v.PlotTop) {
            if (pk.Type == 'B' || pk.Type == 'M') {
                if (baseInside()) g.Lines.push_back({*base, {xs, ys}, plot_colour::Grey});
                base = PlotPoint{xs, ys};
            }
            tick(xs, ys, pk.Type == 'B' ? 3 * q : q, plot_colour::Red);
            labelY = ys;
        }

        const int xe = xOfPoint(v, pk.End), ye = yOfValue(v, pk.EndValue);
        if (ye + q <= v.PlotBottom && ye - q >= v.PlotTop) {
            tick(xe, ye, pk.Type == 'E' ? 3 * q : q, plot_colour::Green);
            if (pk.Type == 'E' || pk.Type == 'M') {
                if (baseInside()) g.Lines.push_back({*base, {xe, ye}, plot_colour::Lime});
                base = PlotPoint{xe, ye};
            }
        }

        if (labelY && *labelY + 16 <= v.PlotBottom && *labelY >= v.PlotTop) {
            const int x = xOfPoint(v, pk.Apex) - 4;
            if (x >= v.PlotLeft && x <= v.PlotRight) {
                // Red when the apex lies before the previous peak's apex; the first peak is in order.
                const bool outOfOrder = i > 1 && pk.Apex < markup.Peaks[i - 1].Apex;
                g.Numbers.push_back({x, v.PlotBottom - 26, std::to_string(i),
                                     outOfOrder ? plot_colour::Red : plot_colour::Teal});
            }
        }
    }
    return g;
}

std::vector<PlotLabel> peakNameLabels(const PeakMarkup& markup, const PlotView& v, const NameColours& c) {
    std::vector<PlotLabel> out;
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        const Peak& pk = markup.Peaks[i];
        const int x = xOfPoint(v, pk.Apex) - 6;
        if (x < v.PlotLeft || x > v.PlotRight - 8) continue;
        Colour colour = plot_colour::Teal;
        if (c.IdentMode == 1 && i == c.ReferencePeakNo) colour = plot_colour::Maroon;
        if (c.QuantMethod == 1 && i == c.StandardPeakNo) colour = plot_colour::Blue;
        if (pk.Overload) colour = plot_colour::Red;
        out.push_back({x, v.PlotTop + 15 + 6 * static_cast<int>(pk.Name.size()), pk.Name, colour});
    }
    return out;
}

std::optional<double> unitFactor(int unitCode) {
    static constexpr double factors[] = {1, 10, 100, 1000, 10000};
    if (unitCode < 0 || unitCode > 4) return std::nullopt;
    return factors[unitCode];
}

double rulerTimeSec(const PlotView& v, int samplesPerPoint, double rate) {
    if (!(rate > 0)) return v.ViewStartSec;
    return static_cast<double>(roundHalfEven((v.RulerX - v.PlotLeft) * v.PointsPerPixel)) * samplesPerPoint / rate +
           v.ViewStartSec;
}

int rulerPointIndex(const PlotView& v, int samplesPerPoint, double rate) {
    if (samplesPerPoint <= 0) return 0;
    return roundInt(rulerTimeSec(v, samplesPerPoint, rate) * rate / samplesPerPoint) + 1;
}

std::optional<double> programmeTemperature(const TemperatureProgram& tp, double minutes) {
    const int n = std::min(tp.TempProgramCount, TemperatureProgram::kMaxPoints - 1);
    if (n < 1) return std::nullopt;
    int j = 1;
    while (j <= n && !(tp.TempProgramTimes[j] > minutes)) ++j;
    if (j > n) return tp.TempProgramTemps[n];  // after the last point the programme holds
    const double t0 = tp.TempProgramTimes[j - 1], t1 = tp.TempProgramTimes[j];
    const double T0 = tp.TempProgramTemps[j - 1], T1 = tp.TempProgramTemps[j];
    if (!(t1 > t0)) return T0;
    return (T1 - T0) / (t1 - t0) * (minutes - t0) + T0;
}

RulerReadouts rulerReadouts(const PlotView& v, const OpenChromatogram& c) {
    RulerReadouts r;
    const double t = rulerTimeSec(v, c.SamplesPerPoint, c.SamplingRate);
    const double m = t / 60;
    r.Time = fixedText(m, 6, 2) + RU(" м");

    const int i = rulerPointIndex(v, c.SamplesPerPoint, c.SamplingRate);
    const std::optional<double> unit = unitFactor(c.UnitCode);
    if (c.Points.valid(i) && unit) {
        const double volts = c.Points[i] * v.YScaleB / 32768 * fullScaleVolts(c.GainCode) * *unit;
        r.Signal = std::fabs(volts) >= 1 ? fixedText(volts, 6, 3) + RU(" В") : fixedText(volts * 1000, 6, 1) + RU(" мВ");
    }
    if (const auto T = programmeTemperature(c.Temperature, m)) r.Temperature = fixedText(*T, 5, 1) + RU("°C");
    return r;
}

DragBox orderedBox(PlotPoint a, PlotPoint b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

FragmentResult fragmentResult(const PlotView& v, const DragBox& box) {
    FragmentResult f;
    const double width = std::max(1, v.PlotRight - v.PlotLeft);
    const double S = v.ViewStartSec, span = visibleSpanSec(v.ViewStartSec, v.ViewEndSec);
    const int x1 = std::max(box.x1, v.PlotLeft);
    auto snapped = [&](int x) {
        const int64_t minutes = roundHalfEven(((x - v.PlotLeft) / width * span + S) / 60);
        return static_cast<int>(std::clamp<int64_t>(minutes * 60, 0, std::numeric_limits<int>::max() - 60));
    };
    f.ViewStartSec = snapped(x1);
    f.ViewEndSec = snapped(box.x2);
    // Equal ends (a fragment inside one minute), or a drag wholly left of the plot.
    if (f.ViewEndSec <= f.ViewStartSec) f.ViewEndSec = f.ViewStartSec + 60;
    f.Flat = box.y2 == box.y1;
    f.VerticalZoom = v.VerticalZoom;
    if (!f.Flat) f.VerticalZoom = clampZoom(v.VerticalZoom * (v.PlotBottom - v.PlotTop - 1) / (box.y2 - box.y1));
    return f;
}

WModeResult wModeResult(const PlotView& v, const DragBox& box, int signalMultiplier, int unitCode) {
    WModeResult w;
    const double width = std::max(1, v.PlotRight - v.PlotLeft);
    const double seconds =
        std::fabs(static_cast<double>(box.x2 - box.x1) / width * visibleSpanSec(v.ViewStartSec, v.ViewEndSec));
    w.AveragingMs = static_cast<int>(std::clamp<int64_t>(roundHalfEven(seconds / 40 * 1000), 0, 65535));
    const std::optional<double> unit = unitFactor(unitCode);
    if (v.YTickStep > 0 && unit)
        w.DetectThreshold = std::abs(box.y2 - box.y1) / static_cast<double>(v.YTickStep) * v.AxisDecadeFactor *
                            signalMultiplier * 1000 * *unit;
    return w;
}

}  // namespace vk7
