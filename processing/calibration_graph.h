// Calibration graphs of the substances the last identification matched: the points (area S
// against concentration C) of \space\grad.dat with the origin, a least-squares line through
// them and the origin, the grid of the axes, the read-off of C at an S, the zoom into a
// fragment, and the printed page.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace vk7 {

inline constexpr int kMaxGraphPoints = 63;

// The distinct substance names of grad.dat lines, in file order; switched-off lines (ending
// in '-') and empty names left out.
std::vector<std::string> ListCalibratedComponents(const std::vector<std::string>& gradLines);

struct GraphRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The plot rectangle of a paint box: left 30, right = width - 4, top 4, bottom = height - 20.
GraphRect graphRectangle(int width, int height);

// The grid as last drawn: steps and first / last grid values in data units, interval counts,
// pixels per interval, label decimals.
struct GraphAxes {
    double stepS = 1, stepC = 1;
    double gridS0 = 0, gridS1 = 0, gridC0 = 0, gridC1 = 0;
    int nS = 0, nC = 0;
    int pxS = 0, pxC = 0;
    int sDecimals = 0, cDecimals = 1;
};

struct LineFit {
    double a = 0, b = 0, r = 0;
};

struct CalibrationGraph {
    // Points 1 .. n sorted by S; index 0 is the origin.
    std::vector<double> S{0.0}, C{0.0};
    double Smin = 0, Smax = 0, Cmin = 0, Cmax = 0;  // the view
    GraphRect Rect;
    std::optional<GraphAxes> Axes;  // none until axes could be drawn
    std::optional<LineFit> Fit;
    int ReadOffX = 100;
    int count() const { return static_cast<int>(S.size()) - 1; }
};

// The points of `name` (its first 63 lines), the origin, the full view, sorted by S.
void LoadCalibrationPoints(CalibrationGraph& graph, const std::vector<std::string>& gradLines, const std::string& name);
// Points 1 .. n by ascending S (of equal S the earlier first), S and C together.
void SortCalibrationPoints(CalibrationGraph& graph);
// Smin = Cmin = 0, Smax and Cmax the largest values of the points and the origin.
void ShowFullView(CalibrationGraph& graph);

// The grid for the view in `rect`; none when the S span is not positive.
std::optional<GraphAxes> graphAxes(const CalibrationGraph& graph, const GraphRect& rect);
// The least-squares line through the points and the origin (counted as a point).
LineFit FitCalibrationLine(const CalibrationGraph& graph);

// The screen drawing: the box cleared to white, the grid, the points with the line, the
// read-off line in xor red. Sets Rect, Axes and Fit (both none when nothing could be drawn).
void RedrawGraph(Canvas& canvas, CalibrationGraph& graph);
// The read-off line at ReadOffX in xor red: a second call erases it.
void DrawReadOffLine(Canvas& canvas, const CalibrationGraph& graph);

// C at area S by the broken line through the origin and the points: none beyond the largest S.
std::optional<double> ReadOffConcentration(const CalibrationGraph& graph, double s);
struct ReadOffTexts {
    std::string S, C;  // 8 characters with 2 decimals, or "  *"
};
// The texts of the read-off at ReadOffX; empty before axes were drawn.
ReadOffTexts ReadOffGraph(const CalibrationGraph& graph);
// The fit's texts, each right-aligned in 12 with 5 decimals; "a", "b", "r" with no fit.
struct FitTexts {
    std::string a = "a", b = "b", r = "r";
};
FitTexts fitTexts(const CalibrationGraph& graph);

// The view of a dragged rectangle (corners in any order): false, nothing changed, before
// axes were drawn or for a rectangle under 2 pixels either way.
bool ZoomGraph(CalibrationGraph& graph, int x1, int y1, int x2, int y2);

// The graph on a printer page: a 170 mm square 30 mm from the left edge, the grid of the
// last screen drawing, the points, the line, the fit's values and the title. Nothing before
// axes were drawn. The screen graph is left as it was.
void PrintCalibrationGraph(Canvas& page, int dpiX, int dpiY, const CalibrationGraph& graph, const std::string& name);

}  // namespace vk7
