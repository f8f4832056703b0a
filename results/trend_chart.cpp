#include "results/trend_chart.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/axis_ticks.h"
#include "processing/plot_geometry.h"

namespace vk7 {

namespace {

using namespace plot_colour;

int roundPixel(double v) {
    if (!std::isfinite(v)) return v < 0 ? -32000 : 32000;
    return static_cast<int>(roundHalfEven(std::clamp(v, -32000.0, 32000.0)));
}

void line(Canvas& c, CanvasPoint a, CanvasPoint b, Colour colour) {
    c.setPen({colour, 1, PenMode::Copy});
    c.moveTo(a.x, a.y);
    c.lineTo(b.x, b.y);
}

void square(Canvas& c, CanvasPoint p, int half, Colour colour) {
    c.setPen({colour, 1, PenMode::Copy});
    c.setBrush({White, false});
    c.rectangle(p.x - half, p.y - half, p.x + half + 1, p.y + half + 1);
}

void font(Canvas& c, const std::string& family, int pixels, Colour colour) {
    c.setFont({family, pixels, colour, 0});
    c.setBrush({White, true});
}

// Where the axis texts go relative to their ticks.
struct AxisTexts {
    int xLabelDx = 30;      // the x value's left edge: x - xLabelDx
    int captionDx = 60;     // the time caption: last x - captionDx
    int captionDy = -12;    // ... at bottom + captionDy
    int yLabelDx = 30;      // the y value: left - yLabelDx
    int yLabelDy = 6;       // ... at y - yLabelDy
    bool lastYLabel = true; // the topmost y value printed
    int yCaptionDx = 10;    // "C/Co,%" at left + yCaptionDx
    std::string caption;
};

void drawAxes(Canvas& c, const TrendScale& s, const AxisTexts& t) {
    const ChartEdges& e = s.Edges;
    int x = e.Left;
    for (int i = 0; i <= s.TicksX; ++i) {
        x = e.Left + i * s.TickPixelsX;
        const double v = s.X0 + i * s.StepX;
        if (v != 0) c.textOut(x - t.xLabelDx, e.Bottom + 1, fixedText(v, 6, s.DecimalsX));
        line(c, {x, e.Top}, {x, e.Bottom}, Navy);
    }
    c.textOut(x - t.captionDx, e.Bottom + t.captionDy, t.caption);
    int y = e.Bottom;
    for (int j = 0; j <= s.TicksY; ++j) {
        y = e.Bottom - j * s.TickPixelsY;
        if (j != 0 && (t.lastYLabel || j != s.TicksY))
            c.textOut(e.Left - t.yLabelDx, y - t.yLabelDy, fixedText(s.Y0 + j * s.StepY, 5, s.DecimalsY));
        line(c, {e.Left, y}, {e.Right, y}, Navy);
    }
    c.textOut(e.Left + t.yCaptionDx, y + 2, RU("C/Co,%"));
}

void drawPoints(Canvas& c, const TrendScale& s, const std::vector<TrendRow>& rows, int half) {
    std::optional<CanvasPoint> previous;
    for (const TrendRow& r : rows) {
        if (!r.Days) continue;
        const CanvasPoint p = s.map(*r.Days, r.Value);
        if (!previous) previous = p;  // the line starts at the first dated row's point
        square(c, p, half, Green);
        if (!r.Active) continue;
        square(c, p, half, Maroon);
        line(c, *previous, p, Maroon);
        previous = p;
    }
}

void drawFit(Canvas& c, const TrendScale& s, const TrendFit& f) {
    const TrendRanges& r = s.Ranges;
    line(c, s.map(r.XMin, f.Slope * r.XMin + f.Intercept), s.map(r.XMax, f.Slope * r.XMax + f.Intercept), Green);
}

}  // namespace

const std::string& tooFewPointsText() {
    static const std::string t = RU("Мало точек");
    return t;
}

std::optional<TrendData> trendData(const ThemeFile& theme, size_t column) {
    if (theme.Rows.empty()) return std::nullopt;
    auto valueOf = [&](const ThemeRow& r) { return column < r.Values.size() ? parseLenient(r.Values[column]) : 0.0; };
    const double reference = valueOf(theme.Rows.front());
    if (reference == 0 || !std::isfinite(reference)) return std::nullopt;
    TrendData d;
    std::optional<int64_t> first;
    bool kept = false;
    for (const ThemeRow& r : theme.Rows) {
        TrendRow t;
        t.Value = valueOf(r) / reference * 100;
        t.Active = r.Active;
        if (const auto day = dayNumber(r.Date)) {
            if (!first) first = *day;
            t.Days = static_cast<double>(*day - *first);
            kept |= r.Active;
        }
        d.Rows.push_back(t);
    }
    if (!kept) return std::nullopt;
    d.FirstDay = *first;
    return d;
}

TrendRanges trendRanges(const std::vector<TrendRow>& rows) {
    TrendRanges r{1e9, -1e9, 1e9, -1e9};
    for (const TrendRow& t : rows) {
        if (!t.Days) continue;
        r.XMin = std::min(r.XMin, *t.Days);
        r.XMax = std::max(r.XMax, *t.Days);
        r.YMin = std::min(r.YMin, t.Value);
        r.YMax = std::max(r.YMax, t.Value);
    }
    return r;
}

ChartEdges screenChartEdges(int width, int height) { return {36, width - 4, 4, height - 14}; }

ChartEdges pageChartEdges(PrinterResolution dpi) {
    ChartEdges e;
    e.Left = pageCmPixels(3, dpi.dpiX);
    e.Right = e.Left + pageCmPixels(17, dpi.dpiX);
    e.Top = 50;
    e.Bottom = 50 + pageCmPixels(17, dpi.dpiY);
    return e;
}

CanvasPoint TrendScale::map(double x, double y) const {
    return {Edges.Left + roundPixel((x - X0) * kx()), Edges.Bottom - roundPixel((y - Y0) * ky())};
}

std::optional<TrendScale> ScaleTrendAxes(TrendRanges r, ChartEdges edges, bool checkSpan) {
    for (double v : {r.XMin, r.XMax, r.YMin, r.YMax})
        if (!std::isfinite(v)) return std::nullopt;
    if (checkSpan && r.XMax - r.XMin < 1) return std::nullopt;
    TrendScale s;
    s.Edges = edges;
    // Drawn ranges span a day at least; unchecked ones are taken as one day at the least.
    const double spanX = std::max(r.XMax - r.XMin, 1.0);
    s.StepX = std::pow(10.0, std::trunc(std::log10(spanX)));
    double spanY = r.YMax - r.YMin;
    if (spanY < 0.1) {
        r.YMax += 0.05;
        r.YMin -= 0.05;
        spanY += 0.1;
    }
    s.StepY = std::pow(10.0, std::trunc(std::log10(spanY)));
    s.Ranges = r;
    // The lower edges by floor, so that a point before the first row's date stays on the chart.
    for (int guard = 0; guard < 200; ++guard) {
        s.X0 = std::floor(r.XMin / s.StepX) * s.StepX;
        s.X1 = (std::trunc(r.XMax / s.StepX) + 1) * s.StepX;
        s.Y0 = std::floor(r.YMin / s.StepY) * s.StepY;
        s.Y1 = (std::trunc(r.YMax / s.StepY) + 1) * s.StepY;
        s.TicksX = static_cast<int>(roundHalfEven((s.X1 - s.X0) / s.StepX));
        s.TicksY = static_cast<int>(roundHalfEven((s.Y1 - s.Y0) / s.StepY));
        if (s.TicksX < 4) s.StepX /= 2;
        else if (s.TicksY < 4) s.StepY /= 2;
        else break;
    }
    if (s.TicksX < 1 || s.TicksY < 1 || !(s.X1 > s.X0) || !(s.Y1 > s.Y0)) return std::nullopt;
    s.TickPixelsX = (edges.Right - edges.Left) / s.TicksX;
    s.TickPixelsY = (edges.Bottom - edges.Top) / s.TicksY;
    if (s.TickPixelsX < 1 || s.TickPixelsY < 1) return std::nullopt;
    s.DecimalsX = tickDecimals(s.StepX, 0);
    s.DecimalsY = tickDecimals(s.StepY, 1);
    return s;
}

std::optional<TrendFit> FitTrend(const std::vector<TrendRow>& rows) {
    double n = 0, sx = 0, sy = 0, sxy = 0, sx2 = 0, sy2 = 0;
    for (const TrendRow& r : rows) {
        if (!r.Days || !r.Active) continue;
        const double x = *r.Days, y = r.Value;
        n += 1, sx += x, sy += y, sxy += x * y, sx2 += x * x, sy2 += y * y;
    }
    if (n == 0) return std::nullopt;
    const double num = n * sxy - sx * sy;
    const double den = n * sx2 - sx * sx;
    const double root = std::sqrt(std::fabs(den)) * std::sqrt(std::fabs(n * sy2 - sy * sy));
    TrendFit f;
    f.Slope = den == 0 ? 100000.0 : num / den;
    f.Correlation = root == 0 ? 1.0 : num / root;
    f.Intercept = (sy - f.Slope * sx) / n;
    return f;
}

std::string fitText(double v) { return fixedText(v, 10, 5); }

std::string timeUnitWord(const std::string& unit) {
    switch (unit.empty() ? 'd' : unit[0]) {
        case 'h': return RU("часов");
        case 'm': return RU("мес");
        case 'n': return RU("мин");
        default: return RU("дней");
    }
}

double timeUnitDivisor(const std::string& unit) {
    switch (unit.empty() ? 'd' : unit[0]) {
        case 'h': return 24;
        case 'm': return 0.0333;
        case 'n': return 1440;
        default: return 1;
    }
}

void DrawTrend(Canvas& c, const TrendScale& s, const std::vector<TrendRow>& rows, const std::string& timeUnit,
               const std::optional<TrendFit>& fit) {
    c.setBrushColour(White);
    c.fillRect({0, 0, c.width(), c.height()});
    font(c, "SmallFonts", 9, Navy);
    AxisTexts t;
    t.caption = "t-to," + timeUnitWord(timeUnit);
    drawAxes(c, s, t);
    drawPoints(c, s, rows, 2);
    if (fit) drawFit(c, s, *fit);
}

void DrawTrendCursor(Canvas& c, const TrendScale& s, int cursorX) {
    c.setPen({Red, 1, PenMode::Xor});
    c.moveTo(cursorX, s.Edges.Top + 2);
    c.lineTo(cursorX, s.Edges.Bottom - 2);
    c.setPenMode(PenMode::Copy);
}

void DrawZoomRectangle(Canvas& c, CanvasPoint a, CanvasPoint b, bool final) {
    c.setPen({Red, 1, final ? PenMode::Copy : PenMode::NotXor});
    c.setBrush({White, true});
    c.rectangle(a.x, a.y, b.x, b.y);
    c.setPenMode(PenMode::Copy);
}

TrendRanges zoomRanges(const TrendScale& s, CanvasPoint a, CanvasPoint b) {
    const double dx = (s.X1 - s.X0) / s.TicksX / s.TickPixelsX;
    const double dy = (s.Y1 - s.Y0) / s.TicksY / s.TickPixelsY;
    const ChartEdges& e = s.Edges;
    TrendRanges r;
    r.XMin = s.X0 + dx * (std::min(a.x, b.x) - e.Left);
    r.XMax = s.X0 + dx * (std::max(a.x, b.x) - e.Left);
    r.YMin = s.Y0 + dy * (e.Bottom - std::max(a.y, b.y));
    r.YMax = s.Y0 + dy * (e.Bottom - std::min(a.y, b.y));
    return r;
}

TrendReadout trendReadout(const TrendScale& s, int cursorX, const TrendData& data, const std::string& timeUnit) {
    TrendReadout out;
    const double t = (cursorX - s.Edges.Left) / s.kx() + s.X0;
    out.Time = fixedText(t, 8, 1);
    out.Date = dateOfDayNumber(data.FirstDay + static_cast<int64_t>(std::floor(t / timeUnitDivisor(timeUnit))));
    // The rows in time order, so that a row dated out of order does not break the lookup.
    std::vector<const TrendRow*> rows;
    for (const TrendRow& r : data.Rows)
        if (r.Days) rows.push_back(&r);
    std::stable_sort(rows.begin(), rows.end(), [](const TrendRow* a, const TrendRow* b) { return *a->Days < *b->Days; });
    out.Value = "  *";
    if (rows.empty() || t < *rows.front()->Days || t > *rows.back()->Days) return out;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (t == *rows[i]->Days) {
            out.Value = fixedText(rows[i]->Value, 8, 3);
            break;
        }
        if (t < *rows[i]->Days) {
            const TrendRow& a = *rows[i - 1];
            const TrendRow& b = *rows[i];
            const double v = a.Value + (t - *a.Days) * (b.Value - a.Value) / (*b.Days - *a.Days);
            out.Value = fixedText(v, 8, 3);
            break;
        }
    }
    return out;
}

// ---- printouts ----

void PrintThemeTable(PrintJob& job, PrinterResolution dpi, const ThemeTablePrintout& table) {
    const int d = dpi.dpiX;
    const int u = std::max(1, d / 12), m = d / 3, p = 2 * u;
    const int pixels = pagePointPixels(d <= 150 ? 8 : 10, dpi.dpiY);
    const int perPage = std::max(1, job.pageHeight() / p - 4);
    auto columnX = [&](size_t k) { return k == 0 ? m + u : m + (17 + 8 * static_cast<int>(k - 1)) * u; };
    size_t next = 0;
    do {
        if (next > 0) job.newPage();
        Canvas& c = job.canvas();
        font(c, "Arial", pixels, Black);
        c.textOut(2 * m, p, RU("Тема (объект наблюдения): ") + table.Name + ".");
        font(c, "Arial", pixels, Red);
        for (size_t k = 0; k < table.Heading.size(); ++k) c.textOut(columnX(k), 3 * p, table.Heading[k]);
        for (int j = 0; j < perPage && next < table.Rows.size(); ++j, ++next) {
            const ThemeRow& row = table.Rows[next];
            const int y = (j + 4) * p;
            font(c, "Arial", pixels, row.Active ? Black : Red);
            const std::string date = markedDateText(row);
            c.textOut(columnX(0), y, row.Active ? date : date.substr(3));
            for (size_t k = 0; k < row.Values.size(); ++k) c.textOut(columnX(k + 1), y, row.Values[k]);
        }
    } while (next < table.Rows.size());
}

void PrintTrendChart(PrintJob& job, PrinterResolution dpi, const TrendRanges& ranges, const std::vector<TrendRow>& rows,
                     const TrendFit& fit, const std::string& themeName, const std::string& substance) {
    const auto scale = ScaleTrendAxes(ranges, pageChartEdges(dpi), false);
    if (!scale) return;
    const int d = dpi.dpiX;
    Canvas& c = job.canvas();
    font(c, "Arial", pagePointPixels(8, dpi.dpiY), Maroon);
    AxisTexts t;
    t.xLabelDx = d / 5;
    t.captionDx = d / 2;
    t.captionDy = 1;
    t.yLabelDx = d / 3;
    t.yLabelDy = d / 20;
    t.lastYLabel = false;
    t.yCaptionDx = d / 10;
    t.caption = RU("t-to, дней");
    drawAxes(c, *scale, t);
    drawPoints(c, *scale, rows, 4);
    drawFit(c, *scale, fit);
    const ChartEdges& e = scale->Edges;
    const int r = d / 6;
    font(c, "Arial", pagePointPixels(8, dpi.dpiY), Navy);
    c.textOut(e.Right - d, e.Bottom - 5 * r, "a=" + fitText(fit.Slope));
    c.textOut(e.Right - d, e.Bottom - 4 * r, "b=" + fitText(fit.Intercept));
    c.textOut(e.Right - d, e.Bottom - 3 * r, "r=" + fitText(fit.Correlation));
    c.textOut(e.Left + d, e.Top + 8, RU("Тема: ") + themeName);
    c.textOut(e.Left + d, e.Top + r + 8, RU("Вещество: ") + substance);
}

}  // namespace vk7
