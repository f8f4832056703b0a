// A drawing surface in device pixels with a current pen, brush, font and position: what the
// plots, the overlays, the markers and the printouts draw on. A screen paint box and a
// printer page implement it alike; nothing here depends on Qt.
//
// Pixel rules (the same on every surface):
// - lineTo(x, y) draws from the current position to (x, y) without the end pixel and makes
//   (x, y) the current position, so a polyline drawn in xor mode touches every pixel once;
//   a line to the current position itself draws nothing.
// - rectangle(l, t, r, b) covers the columns l..r-1 and the rows t..b-1: its outline in the
//   pen, its inside filled with the brush (unless the brush is clear), both in the pen mode.
// - textOut(x, y, text) puts the top-left corner of the text's box at (x, y), with the
//   font's escapement turning the text about that corner (900 reads upwards); with a solid
//   brush the box is filled with the brush colour first. Text ignores the pen mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vk7 {

// A colour as 0x00BBGGRR (blue 0xFF0000, red 0x0000FF).
using Colour = uint32_t;

constexpr Colour rgbColour(int red, int green, int blue) {
    return static_cast<Colour>((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}
constexpr int redOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Colour c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int blueOf(Colour c) { return static_cast<int>(c >> 16 & 0xFF); }

// Copy puts the pen colour; Xor combines it with the pixel (drawing twice restores the
// pixel); NotXor puts the complement of that (a white pen leaves the pixel as it was, so a
// rubber band in not-xor shows the pen colour on white and is erased by drawing it again).
enum class PenMode { Copy, Xor, NotXor };

struct Pen {
    Colour colour = 0x000000;
    int width = 1;
    PenMode mode = PenMode::Copy;
};

struct Brush {
    Colour colour = 0xFFFFFF;
    bool clear = false;  // no fill: rectangles draw only their outline, texts no box
};

struct Font {
    std::string family = "Arial";  // a name the surface maps to a font it has
    int pixelSize = 11;             // the em height in device pixels
    Colour colour = 0x000000;
    int escapement = 0;             // tenths of a degree, counter-clockwise; 900 reads upwards
};

struct CanvasPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CanvasPoint&) const = default;
};

struct CanvasRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom are exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const CanvasRect&) const = default;
};

struct TextSize {
    int width = 0;
    int height = 0;
};

// Pixels read back from a surface, row by row, each 0x00BBGGRR.
struct CanvasImage {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;

    Colour at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const CanvasImage&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    void setPen(const Pen& pen) { pen_ = pen; }
    void setPenColour(Colour c) { pen_.colour = c; }
    void setPenWidth(int w) { pen_.width = w < 1 ? 1 : w; }
    void setPenMode(PenMode m) { pen_.mode = m; }
    const Pen& pen() const { return pen_; }

    void setBrush(const Brush& brush) { brush_ = brush; }
    void setBrushColour(Colour c) { brush_.colour = c, brush_.clear = false; }
    const Brush& brush() const { return brush_; }

    void setFont(const Font& font) { font_ = font; }
    void setFontColour(Colour c) { font_.colour = c; }
    void setFontEscapement(int tenths) { font_.escapement = tenths; }
    const Font& font() const { return font_; }

    void moveTo(int x, int y) { position_ = {x, y}; }
    CanvasPoint position() const { return position_; }
    // Draws from the current position to (x, y), end pixel left out; (x, y) becomes current.
    void lineTo(int x, int y) {
        const CanvasPoint from = position_;
        position_ = {x, y};
        if (from.x != x || from.y != y) drawLine(from, position_);
    }
    // Outline in the pen, inside in the brush; covers l..r-1, t..b-1 (corners in any order).
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    // The rectangle filled with the brush colour in copy mode, no outline.
    virtual void fillRect(const CanvasRect& r) = 0;
    virtual void textOut(int x, int y, std::string_view cp1251) = 0;
    // Width and height of the text's box in the current font, unturned.
    virtual TextSize textExtent(std::string_view cp1251) = 0;

    // The pixels of `r` (clipped to the surface; the rest of the result is white). A surface
    // that cannot be read back (a printer page) gives an empty image.
    virtual CanvasImage copyRect(const CanvasRect& r) = 0;

protected:
    // A segment without its end pixel, in the current pen.
    virtual void drawLine(CanvasPoint from, CanvasPoint to) = 0;

private:
    Pen pen_;
    Brush brush_;
    Font font_;
    CanvasPoint position_;
};

}  // namespace vk7
