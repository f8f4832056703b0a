// The trend chart of a topic: one substance's values over the analysis dates, in per cent of
// the first row's value, with a least-squares straight line through the rows not marked
// deleted; its axes, cursor readout and zoom; and the printouts of the topic's table and of
// the chart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/printer.h"
#include "results/topics.h"

namespace vk7 {

// One row of the chart: days since the first dated row (none when its date is unreadable:
// the row is left out of the chart), the value in per cent of row 1's, kept or marked.
struct TrendRow {
    std::optional<double> Days;
    double Value = 0;
    bool Active = true;
};

struct TrendData {
    std::vector<TrendRow> Rows;
    int64_t FirstDay = 0;  // the day number of the first dated row
};
// The chart rows of substance column `column` (0-based) of `theme`: a value that is no number
// counts as 0. nullopt ("Мало точек") when row 1's value is 0, or no kept row has a date.
std::optional<TrendData> trendData(const ThemeFile& theme, size_t column);
const std::string& tooFewPointsText();  // "Мало точек"

struct TrendRanges {
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
};
// The ranges over every dated row, marked ones included.
TrendRanges trendRanges(const std::vector<TrendRow>& rows);

struct ChartEdges {
    int Left = 0, Right = 0, Top = 0, Bottom = 0;
};
// The screen chart's edges in an image of `width` x `height`: 36, width - 4, 4, height - 14.
ChartEdges screenChartEdges(int width, int height);
// The printed chart's: 3 cm from the left edge, 17 cm wide and high, 50 pixels from the top.
ChartEdges pageChartEdges(PrinterResolution dpi);

struct TrendScale {
    ChartEdges Edges;
    TrendRanges Ranges;
    double StepX = 1, StepY = 1;
    double X0 = 0, X1 = 1, Y0 = 0, Y1 = 1;
    int TicksX = 1, TicksY = 1;
    int TickPixelsX = 0, TickPixelsY = 0;
    int DecimalsX = 0, DecimalsY = 1;

    double kx() const { return TicksX * TickPixelsX / (X1 - X0); }
    double ky() const { return TicksY * TickPixelsY / (Y1 - Y0); }
    // The pixel of a point (days, per cent), kept within +-32000.
    CanvasPoint map(double x, double y) const;
};
// Ticks of 1, 2 or 5 times a power of ten, at least 4 on each axis. nullopt ("Мало точек")
// when a range is not finite, or with `checkSpan` when the days span less than one day.
std::optional<TrendScale> ScaleTrendAxes(TrendRanges ranges, ChartEdges edges, bool checkSpan = true);

struct TrendFit {
    double Slope = 0;        // per cent a day
    double Intercept = 0;    // per cent
    double Correlation = 0;
};
// The least-squares line through the kept dated rows; nullopt when there is none.
std::optional<TrendFit> FitTrend(const std::vector<TrendRow>& rows);
// Right-aligned in 10 with 5 decimals (Label13 .. Label15).
std::string fitText(double v);

// The unit word of a time unit: "дней", "часов", "мес", "мин".
std::string timeUnitWord(const std::string& timeUnit);
double timeUnitDivisor(const std::string& timeUnit);

// The screen chart, drawn on `c` (the image cleared white first): the axes, the points (green
// squares, maroon for kept rows, joined by a maroon line), the fit line in green when given.
void DrawTrend(Canvas& c, const TrendScale& scale, const std::vector<TrendRow>& rows, const std::string& timeUnit,
               const std::optional<TrendFit>& fit);
// The cursor line, red in xor mode: drawing it twice erases it.
void DrawTrendCursor(Canvas& c, const TrendScale& scale, int cursorX);
// The zoom rectangle, red in not-xor mode (or copy mode for the final one).
void DrawZoomRectangle(Canvas& c, CanvasPoint a, CanvasPoint b, bool final);
// The ranges a zoom rectangle chooses.
TrendRanges zoomRanges(const TrendScale& scale, CanvasPoint a, CanvasPoint b);

struct TrendReadout {
    std::string Date;   // Label10: the calendar date at the cursor, d.m.yyyy
    std::string Time;   // Label11: days, 8 wide, 1 decimal
    std::string Value;  // Label12: the value between the rows around it, 8 wide, 3 decimals, or "  *"
};
TrendReadout trendReadout(const TrendScale& scale, int cursorX, const TrendData& data, const std::string& timeUnit);

// ---- printouts ----

// The table: the title, the heading row and the rows, kept ones black, marked ones and the
// heading red, as many pages as the rows need, each with the title and the heading.
struct ThemeTablePrintout {
    std::string Name;
    std::vector<std::string> Heading;  // "Дата анализа" and the substance keys
    std::vector<ThemeRow> Rows;
};
void PrintThemeTable(PrintJob& job, PrinterResolution dpi, const ThemeTablePrintout& table);

// The chart of the last drawn ranges on a 17 x 17 cm plot, with the fit's a, b and r, the
// topic and the substance.
void PrintTrendChart(PrintJob& job, PrinterResolution dpi, const TrendRanges& ranges, const std::vector<TrendRow>& rows,
                     const TrendFit& fit, const std::string& themeName, const std::string& substance);

}  // namespace vk7
