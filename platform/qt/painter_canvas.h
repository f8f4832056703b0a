// The canvas over any QPainter (a printer page; the paint box's image is ImageCanvas). No
// antialiasing; the pen modes are Qt's raster operations; turned texts are drawn from
// pixel-exact images. Lines here are Qt's, which leave out the lower or right end pixel
// whatever their direction; that matters only for xor polylines, which the paint box's
// canvas draws exactly and a printout never uses.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <unordered_map>

#include "platform/canvas.h"

namespace vk7 {

QColor toQColor(Colour c);
Colour fromQColor(QColor c);

// The Qt font for a canvas font: the family if this machine has it, otherwise DejaVu Sans
// Condensed (the Windows names "Arial" and "SmallFonts" are not installed on the desktops we
// run on);
// the pixel size as the em height; no antialiasing.
QFont qtFont(const Font& font);

class PainterCanvas : public Canvas {
public:
    // Draws with `painter` on a device of `width` x `height` pixels. The painter stays the
    // caller's; it must be active while the canvas draws.
    PainterCanvas(QPainter* painter, int width, int height);
    ~PainterCanvas() override;

    int width() const override { return width_; }
    int height() const override { return height_; }

    void rectangle(int left, int top, int right, int bottom) override;
    void fillRect(const CanvasRect& r) override;
    void textOut(int x, int y, std::string_view cp1251) override;
    TextSize textExtent(std::string_view cp1251) override;
    CanvasImage copyRect(const CanvasRect& r) override;

protected:
    PainterCanvas(int width, int height);  // for surfaces that begin their own painter
    void drawLine(CanvasPoint from, CanvasPoint to) override;

    // The painter to draw with, active.
    virtual QPainter& painter();
    // Called after each primitive that may have changed pixels.
    virtual void changed() {}
    void setSize(int width, int height) {
        width_ = width;
        height_ = height;
    }

private:
    struct FontEntry {
        QFont font;
        QFontMetrics metrics;
    };
    const FontEntry& fontEntry();
    void applyPen(QPainter& p);
    void fillInMode(QPainter& p, const QRect& r, Colour colour, PenMode mode);
    const QImage& textImage(std::string_view cp1251);

    QPainter* painter_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    // Rendered texts by font, colours, turn and text: the plot repaints the same peak
    // numbers and names again and again.
    std::unordered_map<std::string, QImage> textCache_;
    std::unordered_map<std::string, FontEntry> fonts_;
};

}  // namespace vk7
