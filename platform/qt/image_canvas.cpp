#include "platform/qt/image_canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace vk7 {

ImageCanvas::ImageCanvas(int width, int height, Colour background) : PainterCanvas(0, 0) {
    resize(width, height, background);
}

ImageCanvas::~ImageCanvas() { endPainting(); }

void ImageCanvas::endPainting() {
    if (painter_.isActive()) painter_.end();
}

void ImageCanvas::resize(int width, int height, Colour background) {
    endPainting();
    width = std::max(0, width);
    height = std::max(0, height);
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(toQColor(background));
    setSize(width, height);
    changed();
}

QPainter& ImageCanvas::painter() {
    // One painter for a whole run of primitives; ended only when the pixels are read, since
    // beginning a painter costs more than most primitives.
    if (!painter_.isActive() && !image_.isNull()) painter_.begin(&image_);
    return painter_;
}

const QImage& ImageCanvas::image() {
    endPainting();
    return image_;
}

Colour ImageCanvas::pixel(int x, int y) {
    endPainting();
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return 0xFFFFFF;
    return fromQColor(QColor(image_.pixel(x, y)));
}

void ImageCanvas::drawLine(CanvasPoint from, CanvasPoint to) {
    if (pen().width > 1) {
        PainterCanvas::drawLine(from, to);
        return;
    }
    if (image_.isNull()) return;
    // A painter draws into the image's own buffer; if the image is shared, writing its bits
    // would give it a new buffer behind the painter's back.
    if (!image_.isDetached()) endPainting();
    const int W = image_.width(), H = image_.height();
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    const Colour c = pen().colour;
    const uint32_t src = 0xFF000000u | static_cast<uint32_t>(redOf(c)) << 16 | static_cast<uint32_t>(greenOf(c)) << 8 |
                         static_cast<uint32_t>(blueOf(c));
    const PenMode mode = pen().mode;

    const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t dm = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t dn = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int sm = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int sn = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t m0 = xMajor ? from.x : from.y, n0 = xMajor ? from.y : from.x;
    const int64_t mLimit = xMajor ? W : H, nLimit = xMajor ? H : W;
    if (dm == 0) return;
    // Steps k = 0 .. dm - 1 (the end pixel left out), only those inside the image.
    int64_t kLo, kHi;
    if (sm > 0) {
        kLo = std::max<int64_t>(0, -m0);
        kHi = std::min<int64_t>(dm, mLimit - m0);
    } else {
        kLo = std::max<int64_t>(0, m0 - mLimit + 1);
        kHi = std::min<int64_t>(dm, m0 + 1);
    }
    for (int64_t k = kLo; k < kHi; ++k) {
        // The minor coordinate rounded from the exact line (halves away from the start).
        const int64_t step = static_cast<int64_t>((static_cast<__int128>(2) * k * dn + dm) / (static_cast<__int128>(2) * dm));
        const int64_t n = n0 + sn * step;
        if (n < 0 || n >= nLimit) continue;
        const int64_t m = m0 + sm * k;
        const int64_t x = xMajor ? m : n, y = xMajor ? n : m;
        auto* px = reinterpret_cast<uint32_t*>(bits + y * stride) + x;
        switch (mode) {
            case PenMode::Copy: *px = src; break;
            case PenMode::Xor: *px = (*px ^ src) | 0xFF000000u; break;
            case PenMode::NotXor: *px = ~(*px ^ src) | 0xFF000000u; break;
        }
    }
    changed();
}

CanvasImage ImageCanvas::copyRect(const CanvasRect& r) {
    endPainting();
    CanvasImage out;
    out.width = std::max(0, r.right - r.left);
    out.height = std::max(0, r.bottom - r.top);
    out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0xFFFFFF);
    for (int y = std::max(0, r.top); y < std::min(r.bottom, image_.height()); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        for (int x = std::max(0, r.left); x < std::min(r.right, image_.width()); ++x) {
            const QRgb p = line[x];
            out.pixels[static_cast<size_t>(y - r.top) * static_cast<size_t>(out.width) + static_cast<size_t>(x - r.left)] =
                rgbColour(qRed(p), qGreen(p), qBlue(p));
        }
    }
    return out;
}

}  // namespace vk7
