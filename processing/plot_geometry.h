// The arithmetic of the main plot, as pure functions: the plot rectangle, the vertical axis
// with its decade shifts and ticks, the minute axis, the point / pixel conversions, the
// temperature line, the markup ticks and labels with their colours, the ruler readouts, and
// the results of a dragged fragment and of a W selection. Drawing (plot_drawing.h) only
// carries out what these compute.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "chromfile/peak_markup.h"
#include "chromfile/temperature_program.h"
#include "platform/canvas.h"
#include "processing/plot_view.h"

namespace vk7 {

namespace plot_colour {
constexpr Colour Navy = 0x800000, Blue = 0xFF0000, Green = 0x008000, Lime = 0x00FF00, Maroon = 0x000080,
                 Teal = 0x808000, Olive = 0x008080, Red = 0x0000FF, Grey = 0x808080, White = 0xFFFFFF,
                 Black = 0x000000;
}

struct PlotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }  // H
};

// Left 9, right = box width - 24, top 16, bottom = box height - 1.
PlotRect plotRectangle(int boxWidth, int boxHeight);
// Whether the rectangle leaves room for a plot; a smaller box draws only its frame.
bool plotFits(const PlotRect& r);
PlotRect plotRectOf(const PlotView& v);
void setPlotRect(PlotView& v, const PlotRect& r);

// A quarter of the height above the bottom.
int zeroLineY(const PlotRect& r);

double clampZoom(double zoom);  // 0.5 .. 256
// Gain 1, 4, 16, 64, 256 for codes 1..5; any other code as 4 (every writer stores 4).
int gainForCode(int gainCode);
double fullScaleVolts(int gainCode);  // 10 / gain

struct VerticalAxis {
    double FullScaleV = 0;
    double Range = 0;             // r after the decade shifts
    double Log = 0;               // L = log10(FullScaleV / zoom), before the shifts
    double AxisDecadeFactor = 1;  // volts per tick
    int Decimals = 0;             // of the tick labels
    bool Volts = false;           // unit "В", otherwise "мВ"
    int YTickStep = 0;            // pixels; 0 when no tick fits
    int TicksTotal = 0;           // nTotal
    int TicksBelow = 0;           // nBelow
    int CountsPerPixel = 1;
    int ZeroLineY = 0;
};

VerticalAxis verticalAxis(int gainCode, double zoom, const PlotRect& r);
// "В" or "мВ" (Windows-1251).
std::string unitLabel(const VerticalAxis& a);

struct AxisTick {
    int y = 0;
    double value = 0;       // in the unit of the label
    std::string text;       // the value in 5 characters, right of the plot
    bool zero = false;      // also "0" left of the plot
};
// The ticks that lie within PlotTop + 8 .. PlotBottom - 8.
std::vector<AxisTick> verticalTicks(const VerticalAxis& a, const PlotRect& r);

// The visible span in seconds; a window of no width (or reversed) counts as 60 s.
int visibleSpanSec(int startSec, int endSec);

struct TimeTick {
    int x = 0;
    std::string text;  // empty for the first tick
};
struct TimeAxis {
    double PixelsPerStep = 0;
    int StepMinutes = 1;  // 1, 5, 25, 125 ...
    std::vector<TimeTick> Ticks;
};
TimeAxis timeAxis(int viewStartSec, int viewEndSec, const PlotRect& r);

// Horizontal scale and first point of the view (never 0 or negative).
double pointsPerPixel(int spanSec, int samplesPerPoint, double rate, int plotWidth);
int viewFirstPoint(int viewStartSec, double rate, int samplesPerPoint);

int xOfPoint(const PlotView& v, int point);
// Unclamped row of a point value: round(ZeroLineY - (value + ZeroOffset) x zoom / CPP x YScaleB).
int yOfValue(const PlotView& v, double value);
// The point shown at column x of the curve.
int curvePointIndex(const PlotView& v, int x);

// Blue, green, maroon, teal, olive by overlay count mod 5.
Colour curveColour(int overlayCount);

struct PlotSegment {
    PlotPoint a, b;
    Colour colour = 0;
    bool operator==(const PlotSegment&) const = default;
};

// Whether the programme gives a line: at least two points, a final temperature that can
// scale it, and a last temperature that differs from the first.
bool temperatureLineDrawable(const TemperatureProgram& tp);
// The programme's segments cut to PlotLeft .. PlotRight, in the view's scale.
std::vector<PlotSegment> temperatureSegments(const TemperatureProgram& tp, const PlotView& v);

// The markup as lines and labels, peak by peak; also refreshes the start and end values of
// every peak from the points.
struct PlotLabel {
    int x = 0, y = 0;
    std::string text;
    Colour colour = 0;
};
struct MarkupGeometry {
    std::vector<PlotSegment> Lines;  // ticks, joins and base lines, in drawing order
    std::vector<PlotLabel> Numbers;  // peak numbers, drawn upwards
};
MarkupGeometry markupGeometry(PeakMarkup& markup, const NumberedArray<int16_t>& points, const PlotView& v);

struct NameColours {
    int IdentMode = 0, ReferencePeakNo = 0, QuantMethod = 0, StandardPeakNo = 0;
};
// Substance names, drawn upwards above the apexes.
std::vector<PlotLabel> peakNameLabels(const PeakMarkup& markup, const PlotView& v, const NameColours& c);

// 1, 10, 100, 1000, 10000 for unit codes 0..4; nothing for other codes.
std::optional<double> unitFactor(int unitCode);

struct RulerReadouts {
    std::string Time, Signal, Temperature;  // Label1, Label2, Label3 (Windows-1251)
};
// Seconds under the ruler: round((RulerX - PlotLeft) x PointsPerPixel) x width / rate + start.
double rulerTimeSec(const PlotView& v, int samplesPerPoint, double rate);
// The point under the ruler (may lie outside 1..PointCount).
int rulerPointIndex(const PlotView& v, int samplesPerPoint, double rate);
// Temperature of the programme at `minutes`; held at the last point after it; nothing for a
// programme of fewer than two points.
std::optional<double> programmeTemperature(const TemperatureProgram& tp, double minutes);
RulerReadouts rulerReadouts(const PlotView& v, const OpenChromatogram& c);

// Corners of a drag ordered so that x1 <= x2 and y1 <= y2.
struct DragBox {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
DragBox orderedBox(PlotPoint a, PlotPoint b);

struct FragmentResult {
    int ViewStartSec = 0, ViewEndSec = 0;  // snapped to whole minutes
    bool Flat = false;                     // no height: the zoom stays, nothing is redrawn
    double VerticalZoom = 1;
};
FragmentResult fragmentResult(const PlotView& v, const DragBox& box);

struct WModeResult {
    int AveragingMs = 0;
    std::optional<double> DetectThreshold;  // none when the axis or the unit gives no scale
};
WModeResult wModeResult(const PlotView& v, const DragBox& box, int signalMultiplier, int unitCode);

}  // namespace vk7
