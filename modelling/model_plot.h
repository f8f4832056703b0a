// The model plot of the modelling window, drawn on a Canvas: the frame with its millivolt
// scale, the time axis in minutes and the model curve with the row numbers of its peaks.
#pragma once

#include <string>

#include "modelling/chromatogram_model.h"
#include "platform/canvas.h"

namespace vk7 {

struct ModelPlot {
    int Left = 10, Top = 20, Right = 491, Bottom = 295;  // edges for the 521 x 305 image
    int ZeroY = 226;                                     // the zero line
    double Zoom = 1;                                     // 0.5 .. 256
    int CountsPerPixel = 159;

    // The edges for an image of this size, the lower zero line, zoom 1.
    static ModelPlot forImage(int width, int height);
    void lowerZeroLine() { ZeroY = Top + static_cast<int>(roundedQuarter(3)); }
    void upperZeroLine() { ZeroY = Top + static_cast<int>(roundedQuarter(1)); }
    void zoomIn();   // x 2, at most 256
    void zoomOut();  // / 2, at least 0.5

    // Plot coordinates of the model: minutes at a column, and the peak a rectangle gives.
    double minutesAt(int x, int lengthSec) const;
    ModelPeakValues peakFromRectangle(int pressX, int pressY, int releaseX, int releaseY, int lengthSec) const;

private:
    long long roundedQuarter(int quarters) const;
};

// Clears the image, draws the frame, the zero line and the millivolt ticks; sets the counts
// per pixel.
void DrawModelFrame(Canvas& canvas, ModelPlot& plot);
void DrawModelTimeAxis(Canvas& canvas, const ModelPlot& plot, int lengthSec);
void DrawModelCurve(Canvas& canvas, const ModelPlot& plot, const ChromatogramModel& model);
// The three in order.
void RedrawModel(Canvas& canvas, ModelPlot& plot, const ChromatogramModel& model);
// A prompt in maroon at (30, bottom - 30): "Укажите удаляемый пик" and the like.
void DrawModelPrompt(Canvas& canvas, const ModelPlot& plot, const std::string& text);

}  // namespace vk7
