#include "modelling/model_plot.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"

namespace vk7 {

namespace {
constexpr Colour kGrey = rgbColour(128, 128, 128);
constexpr Colour kBlue = rgbColour(0, 0, 255);
constexpr Colour kMaroon = rgbColour(128, 0, 0);
constexpr Colour kWhite = rgbColour(255, 255, 255);

void greyFont(Canvas& c) {
    Font f = c.font();
    f.colour = kGrey;
    f.escapement = 0;
    c.setFont(f);
    c.setBrush(Brush{kWhite, true});
}
}  // namespace

ModelPlot ModelPlot::forImage(int width, int height) {
    ModelPlot p;
    p.Left = 10;
    p.Top = 20;
    p.Right = width - 30;
    p.Bottom = height - 10;
    p.lowerZeroLine();
    return p;
}

long long ModelPlot::roundedQuarter(int quarters) const { return roundHalfEven(quarters * (Bottom - Top) / 4.0); }

void ModelPlot::zoomIn() { Zoom = std::min(Zoom * 2, 256.0); }
void ModelPlot::zoomOut() { Zoom = std::max(Zoom / 2, 0.5); }

double ModelPlot::minutesAt(int x, int lengthSec) const {
    return double(x - Left) / (Right - Left) * lengthSec / 60;
}

ModelPeakValues ModelPlot::peakFromRectangle(int pressX, int pressY, int releaseX, int releaseY, int lengthSec) const {
    const int x1 = std::min(pressX, releaseX), x2 = std::max(pressX, releaseX);
    ModelPeakValues p;
    p.t = ((x1 + x2) / 2.0 - Left) / (Right - Left) * lengthSec / 60;
    p.W = double(x2 - x1) / (Right - Left) * lengthSec;
    p.A = 1;
    p.H = (pressY - releaseY) * kModelFullScale * 5 / Zoom;
    return p;
}

void DrawModelFrame(Canvas& c, ModelPlot& p) {
    p.Zoom = std::clamp(p.Zoom, 0.5, 256.0);
    c.setBrushColour(kWhite);
    c.fillRect({0, 0, c.width(), c.height()});
    double range = kModelFullScale / p.Zoom;
    double unit = 1;
    const double l = std::log10(range);
    for (double limit : {0.1, -0.8, -1.6}) {
        if (l < limit) {
            range *= 10;
            unit /= 10;
        }
    }
    const int height = p.Bottom - p.Top;
    const int step = std::max<int>(1, static_cast<int>(roundHalfEven(3.0 * height / range / 4)));
    const int n = height / step;
    const int k0 = static_cast<int>(roundHalfEven(double(p.Bottom - p.ZeroY) / step));
    c.setPen(Pen{kGrey, 1, PenMode::Copy});
    c.setBrush(Brush{kWhite, true});
    c.rectangle(p.Left, p.Top, p.Right, p.Bottom);
    c.moveTo(p.Left, p.ZeroY);
    c.lineTo(p.Right, p.ZeroY);
    greyFont(c);
    c.textOut(p.Right + 4, p.Bottom - 10, RU("мВ"));
    for (int i = -k0; i <= n - k0; ++i) {
        const int y = p.ZeroY - i * step;
        if (y < p.Top || y > p.Bottom - 8) continue;
        c.moveTo(p.Left - 4, y);
        c.lineTo(p.Left, y);
        c.moveTo(p.Right, y);
        c.lineTo(p.Right + 4, y);
        if (step >= 12 || i == 0 || i == n - k0)
            c.textOut(p.Right + 5, y - 6, fixedText(i * unit * 1000, 5, 0));
    }
    p.CountsPerPixel = static_cast<int>(roundHalfEven(131068.0 / height / 3));
}

void DrawModelTimeAxis(Canvas& c, const ModelPlot& p, int lengthSec) {
    const double minutes = lengthSec == 0 ? 1 : lengthSec / 60.0;
    double px = (p.Right - p.Left) / minutes;
    int stepMin = 1;
    while (px < 30) {
        px *= 5;
        stepMin *= 5;
    }
    const int count = static_cast<int>((p.Right - p.Left) / px);
    c.setPen(Pen{kGrey, 1, PenMode::Copy});
    greyFont(c);
    for (int i = 0; i < count; ++i) {
        const int x = static_cast<int>(roundHalfEven(i * px)) + p.Left;
        c.moveTo(x, p.Top);
        c.lineTo(x, p.Top - 4);
        if (i > 0) c.textOut(x - 12, 2, intText(int64_t(i) * stepMin, 4));
    }
    c.textOut(4, 2, RU("мин"));
}

void DrawModelCurve(Canvas& c, const ModelPlot& p, const ChromatogramModel& m) {
    const int n = std::min(m.ModelPointCount, m.ModelCurve.count());
    c.setPen(Pen{kBlue, 1, PenMode::Copy});
    c.moveTo(p.Left, p.ZeroY);
    const double pointsPerPixel = double(n) / (p.Right - p.Left);
    for (int x = p.Left; x < p.Right && n > 0; ++x) {
        const int64_t k = roundHalfEven((x - p.Left) * pointsPerPixel + 1);
        if (k > n) break;
        const double value = m.ModelCurve[static_cast<int>(k)] * p.Zoom / p.CountsPerPixel;
        const int y = static_cast<int>(std::clamp<int64_t>(roundHalfEven(p.ZeroY - value), p.Top, p.Bottom));
        c.lineTo(x, y);
    }
    greyFont(c);
    for (int r = 0; r < m.ModelPeakCount() && m.ModelLength > 0; ++r) {
        const double t = parseLenient(m.Rows[size_t(r)][model_col::T]);
        // A time far beyond the model puts its number off the plot, never at a wrapped place.
        const int x = static_cast<int>(
            std::clamp<int64_t>(roundHalfEven((p.Right - p.Left) * t * 60 / m.ModelLength + p.Left), -32000, 32000));
        c.textOut(x, p.Bottom - 30, intText(r + 1));
    }
}

void RedrawModel(Canvas& c, ModelPlot& p, const ChromatogramModel& m) {
    DrawModelFrame(c, p);
    DrawModelTimeAxis(c, p, m.ModelLength);
    DrawModelCurve(c, p, m);
}

void DrawModelPrompt(Canvas& c, const ModelPlot& p, const std::string& text) {
    Font f = c.font();
    f.colour = kMaroon;
    c.setFont(f);
    c.setBrush(Brush{kWhite, true});
    c.textOut(30, p.Bottom - 30, text);
}

}  // namespace vk7
