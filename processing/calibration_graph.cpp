#include "processing/calibration_graph.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/axis_ticks.h"
#include "processing/calibration_archive.h"

namespace vk7 {

namespace {

constexpr Colour kGrey = 0x808080, kMaroon = 0x000080, kNavy = 0x800000, kRed = 0x0000FF, kWhite = 0xFFFFFF;
constexpr size_t kGraphNameMax = 64;

int rnd(double v) { return static_cast<int>(std::clamp<int64_t>(roundHalfEven(v), -1000000000, 1000000000)); }
double power10(double span) { return std::pow(10.0, static_cast<double>(wholePart(std::log10(span)))); }

bool switchedOff(const std::string& line) { return !line.empty() && line.back() == '-'; }

// Where the grid, its labels and the points go on a surface.
struct Layout {
    GraphRect r;
    int pxS = 0, pxC = 0;
    int sLabelDx = 0;  // S labels at left + i pxS + sLabelDx
    int spDx = 0;      // "Sp" at right + spDx
    int cLabelDx = 0;  // C labels at left + cLabelDx
    int cDx = 0;       // "C" at left + cDx
    int pointHalf = 2;
    Colour pointColour = kMaroon;
};

void segment(Canvas& c, int x1, int y1, int x2, int y2) {
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}

void drawGrid(Canvas& c, const GraphAxes& a, const Layout& l) {
    c.setPen(Pen{kGrey, 1, PenMode::Copy});
    Font f = c.font();
    f.colour = kGrey;
    c.setFont(f);
    c.setBrush(Brush{kWhite, true});
    for (int i = 0; i <= a.nS; ++i) {
        const int x = l.r.left + i * l.pxS;
        segment(c, x, l.r.top, x, l.r.bottom);
        if (i < a.nS) c.textOut(x + l.sLabelDx, l.r.bottom + 1, fixedText(a.gridS0 + i * a.stepS, 6, a.sDecimals));
    }
    c.textOut(l.r.right + l.spDx, l.r.bottom + 1, "Sp");
    int y = l.r.bottom;
    for (int j = 0; j <= a.nC; ++j) {
        y = l.r.bottom - j * l.pxC;
        segment(c, l.r.left, y, l.r.right, y);
        const double value = a.gridC0 + j * a.stepC;
        if (value != 0 && j < a.nC) c.textOut(l.r.left + l.cLabelDx, y - 5, fixedText(value, 5, a.cDecimals));
    }
    c.textOut(l.r.left + l.cDx, y - 5, "C");
}

// The points from the origin, joined, and the fitted line from S = 0 to the largest S.
void drawPointsAndLine(Canvas& c, const CalibrationGraph& g, const GraphAxes& a, const Layout& l, const LineFit& fit) {
    const double kx = a.nS * l.pxS / (a.gridS1 - a.gridS0);
    const double ky = a.nC * l.pxC / (a.gridC1 - a.gridC0);
    auto px = [&](double s) { return rnd((s - a.gridS0) * kx) + l.r.left; };
    auto py = [&](double conc) { return l.r.bottom - rnd((conc - a.gridC0) * ky); };
    c.setPen(Pen{l.pointColour, 1, PenMode::Copy});
    c.setBrush(Brush{kWhite, false});
    int lastX = px(0), lastY = py(0);
    double sBig = 0;
    for (int i = 1; i <= g.count(); ++i) {
        const int x = px(g.S[static_cast<size_t>(i)]), y = py(g.C[static_cast<size_t>(i)]);
        segment(c, lastX, lastY, x, y);
        c.rectangle(x - l.pointHalf, y - l.pointHalf, x + l.pointHalf, y + l.pointHalf);
        lastX = x, lastY = y;
        sBig = std::max(sBig, g.S[static_cast<size_t>(i)]);
    }
    c.setPen(Pen{kNavy, 1, PenMode::Copy});
    segment(c, px(0), py(fit.b), px(sBig), py(fit.b + fit.a * sBig));
}

}  // namespace

std::vector<std::string> ListCalibratedComponents(const std::vector<std::string>& gradLines) {
    std::vector<std::string> names;
    for (const std::string& line : gradLines) {
        if (switchedOff(line)) continue;
        std::string name = parseCalibrationPoint(line).name;
        if (name.empty()) continue;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    return names;
}

GraphRect graphRectangle(int width, int height) { return {30, 4, width - 4, height - 20}; }

void LoadCalibrationPoints(CalibrationGraph& g, const std::vector<std::string>& gradLines, const std::string& name) {
    g.S.assign(1, 0.0);
    g.C.assign(1, 0.0);
    const std::string wanted = cutText(name, kGraphNameMax);
    for (const std::string& line : gradLines) {
        if (g.count() >= kMaxGraphPoints) break;
        if (switchedOff(line)) continue;
        const CalibrationPoint p = parseCalibrationPoint(line);
        if (cutText(p.name, kGraphNameMax) != wanted) continue;
        g.S.push_back(p.area);
        g.C.push_back(p.conc);
    }
    g.Axes.reset();
    g.Fit.reset();
    ShowFullView(g);
    SortCalibrationPoints(g);
}

void SortCalibrationPoints(CalibrationGraph& g) {
    const int n = g.count();
    for (int i = 1; i < n; ++i) {
        int best = i;
        for (int k = i + 1; k <= n; ++k)
            if (g.S[static_cast<size_t>(k)] < g.S[static_cast<size_t>(best)]) best = k;
        std::swap(g.S[static_cast<size_t>(i)], g.S[static_cast<size_t>(best)]);
        std::swap(g.C[static_cast<size_t>(i)], g.C[static_cast<size_t>(best)]);
    }
}

void ShowFullView(CalibrationGraph& g) {
    g.Smin = g.Cmin = 0;
    g.Smax = *std::max_element(g.S.begin(), g.S.end());
    g.Cmax = *std::max_element(g.C.begin(), g.C.end());
}

std::optional<GraphAxes> graphAxes(const CalibrationGraph& g, const GraphRect& rect) {
    const double spanS = g.Smax - g.Smin;
    if (!(spanS > 0) || !std::isfinite(spanS) || rect.right <= rect.left || rect.bottom <= rect.top) return std::nullopt;
    double cMin = g.Cmin, cMax = g.Cmax;
    double spanC = cMax - cMin;
    if (!std::isfinite(spanC)) return std::nullopt;
    if (spanC < 0.1) {
        spanC += 0.1;
        cMax += 0.05;
        cMin -= 0.05;
    }
    if (!(spanC > 0)) return std::nullopt;
    GraphAxes a;
    a.stepS = power10(spanS);
    a.stepC = power10(spanC);
    // Halving a step at most 60 times reaches any span a double holds.
    for (int guard = 0; guard < 120; ++guard) {
        a.gridS0 = static_cast<double>(wholePart(g.Smin / a.stepS)) * a.stepS;
        a.gridS1 = static_cast<double>(wholePart(g.Smax / a.stepS) + 1) * a.stepS;
        a.gridC0 = static_cast<double>(wholePart(cMin / a.stepC)) * a.stepC;
        a.gridC1 = static_cast<double>(wholePart(cMax / a.stepC) + 1) * a.stepC;
        a.nS = rnd((a.gridS1 - a.gridS0) / a.stepS);
        if (a.nS <= 3) {
            a.stepS /= 2;
            continue;
        }
        a.nC = rnd((a.gridC1 - a.gridC0) / a.stepC);
        if (a.nC <= 3) {
            a.stepC /= 2;
            continue;
        }
        a.pxS = (rect.right - rect.left) / a.nS;
        a.pxC = (rect.bottom - rect.top) / a.nC;
        if (a.pxS <= 0 || a.pxC <= 0) return std::nullopt;
        a.sDecimals = tickDecimals(a.stepS, 0);
        a.cDecimals = tickDecimals(a.stepC, 1);
        return a;
    }
    return std::nullopt;
}

LineFit FitCalibrationLine(const CalibrationGraph& g) {
    double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (int i = 1; i <= g.count(); ++i) {
        const double x = g.S[static_cast<size_t>(i)], y = g.C[static_cast<size_t>(i)];
        sx += x, sy += y, sxy += x * y, sxx += x * x, syy += y * y;
    }
    const double m = g.count() + 1;
    const double num = m * sxy - sx * sy;
    const double den = m * sxx - sx * sx;
    const double q = std::sqrt(std::abs(den)) * std::sqrt(std::abs(m * syy - sy * sy));
    LineFit f;
    f.a = num == 0 && den == 0 ? 100000 : num / den;
    f.r = q == 0 ? 1 : num / q;
    f.b = (sy - f.a * sx) / m;
    return f;
}

void DrawReadOffLine(Canvas& c, const CalibrationGraph& g) {
    c.setPen(Pen{kRed, 1, PenMode::Xor});
    segment(c, g.ReadOffX, g.Rect.top + 2, g.ReadOffX, g.Rect.bottom - 2);
    c.setPen(Pen{kRed, 1, PenMode::Copy});
}

void RedrawGraph(Canvas& c, CalibrationGraph& g) {
    g.Rect = graphRectangle(c.width(), c.height());
    c.setBrush(Brush{kWhite, false});
    c.fillRect({0, 0, c.width(), c.height()});
    g.Axes = graphAxes(g, g.Rect);
    g.Fit.reset();
    if (!g.Axes) return;
    Layout l{g.Rect, g.Axes->pxS, g.Axes->pxC, -7, -16, -28, -15, 2, kMaroon};
    drawGrid(c, *g.Axes, l);
    g.Fit = FitCalibrationLine(g);
    drawPointsAndLine(c, g, *g.Axes, l, *g.Fit);
    DrawReadOffLine(c, g);
}

std::optional<double> ReadOffConcentration(const CalibrationGraph& g, double s) {
    const int n = g.count();
    if (n < 1 || s > g.S[static_cast<size_t>(n)]) return std::nullopt;
    if (n == 1) return g.S[1] == 0 ? g.C[1] : s * g.C[1] / g.S[1];
    for (int i = 1; i <= n; ++i) {
        const double si = g.S[static_cast<size_t>(i)];
        if (s > si) continue;
        if (s == si) return g.C[static_cast<size_t>(i)];
        const double s0 = g.S[static_cast<size_t>(i - 1)], c0 = g.C[static_cast<size_t>(i - 1)];
        return c0 + (s - s0) * (g.C[static_cast<size_t>(i)] - c0) / (si - s0);
    }
    return std::nullopt;
}

ReadOffTexts ReadOffGraph(const CalibrationGraph& g) {
    if (!g.Axes) return {};
    const GraphAxes& a = *g.Axes;
    if (g.ReadOffX < g.Rect.left) return {"  *", "  *"};
    const double kx = a.nS * a.pxS / (a.gridS1 - a.gridS0);
    const double s = (g.ReadOffX - g.Rect.left) / kx + a.gridS0;
    const std::optional<double> conc = ReadOffConcentration(g, s);
    return {fixedText(s, 8, 2), conc ? fixedText(*conc, 8, 2) : std::string("  *")};
}

FitTexts fitTexts(const CalibrationGraph& g) {
    if (!g.Fit) return {};
    return {fixedText(g.Fit->a, 12, 5), fixedText(g.Fit->b, 12, 5), fixedText(g.Fit->r, 12, 5)};
}

bool ZoomGraph(CalibrationGraph& g, int x1, int y1, int x2, int y2) {
    if (!g.Axes) return false;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 - x1 < 2 || y2 - y1 < 2) return false;
    const GraphAxes& a = *g.Axes;
    const double uS = (a.gridS1 - a.gridS0) / a.nS / a.pxS;
    const double uC = (a.gridC1 - a.gridC0) / a.nC / a.pxC;
    g.Smin = a.gridS0 + uS * (x1 - g.Rect.left);
    g.Smax = a.gridS0 + uS * (x2 - g.Rect.left);
    g.Cmin = a.gridC0 + uC * (g.Rect.bottom - y2);
    g.Cmax = a.gridC0 + uC * (g.Rect.bottom - y1);
    return true;
}

void PrintCalibrationGraph(Canvas& page, int dpiX, int dpiY, const CalibrationGraph& g, const std::string& name) {
    if (!g.Axes) return;
    constexpr int kFontSize = 8;
    GraphRect r;
    r.left = rnd(dpiX * 30 / 25.4);
    r.right = r.left + rnd(dpiX * 170 / 25.4);
    r.top = 50;
    r.bottom = r.top + rnd(dpiY * 170 / 25.4);
    const GraphAxes& a = *g.Axes;
    Layout l{r, (r.right - r.left) / a.nS, (r.bottom - r.top) / a.nC, -8 * kFontSize, -2 * kFontSize, -dpiX / 3,
             -8 * kFontSize, 10, kRed};
    Font f;
    f.pixelSize = std::max(1, rnd(kFontSize * dpiY / 72.0));
    page.setFont(f);
    drawGrid(page, a, l);
    const LineFit fit = FitCalibrationLine(g);
    drawPointsAndLine(page, g, a, l, fit);
    f.colour = 0;
    page.setFont(f);
    page.setBrush(Brush{kWhite, true});
    page.textOut(r.right - dpiX, r.bottom - rnd(2.0 * dpiY / 3), "a=" + fixedText(fit.a, 12, 5));
    page.textOut(r.right - dpiX, r.bottom - rnd(dpiY / 2.0), "b=" + fixedText(fit.b, 12, 5));
    page.textOut(r.right - dpiX, r.bottom - rnd(dpiY / 3.0), "r=" + fixedText(fit.r, 12, 5));
    page.textOut(r.left + dpiX / 3, r.top + dpiY / 6, RU("Вещество: ") + name + RU(". Градуровочный график."));
}

}  // namespace vk7
