// The canvas of a paint box: a persistent RGB32 image that keeps everything drawn on it
// until it is drawn over, so that overlays and markers drawn between repaints survive.
// Fills and rectangles use Qt's raster operations for the pen modes; one-pixel lines are
// set here with the same operations (copy, xor, not-xor).
#pragma once

#include <QImage>
#include <QPainter>
#include <functional>

#include "platform/qt/painter_canvas.h"

namespace vk7 {

class ImageCanvas : public PainterCanvas {
public:
    ImageCanvas(int width, int height, Colour background = 0xFFFFFF);
    ~ImageCanvas() override;
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    // A new image of the given size filled with `background`; what was drawn is gone.
    void resize(int width, int height, Colour background);

    // The image with everything drawn so far.
    const QImage& image();
    Colour pixel(int x, int y);
    CanvasImage copyRect(const CanvasRect& r) override;

    // Called whenever a primitive may have changed pixels (the paint box schedules an
    // update of the screen).
    void setChangedHook(std::function<void()> hook) { hook_ = std::move(hook); }

protected:
    QPainter& painter() override;
    // One-pixel lines are set pixel by pixel here: Qt's aliased lines always leave out the
    // lower or right end, whatever their direction, so a polyline in xor would lose or double
    // its corners. Wider pens go to Qt.
    void drawLine(CanvasPoint from, CanvasPoint to) override;
    void changed() override {
        if (hook_) hook_();
    }

private:
    void endPainting();

    QImage image_;
    QPainter painter_;
    std::function<void()> hook_;
};

}  // namespace vk7
