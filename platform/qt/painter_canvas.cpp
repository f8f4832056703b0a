#include "platform/qt/painter_canvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "platform/qt/qt_text.h"

namespace vk7 {

QColor toQColor(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
Colour fromQColor(QColor c) { return rgbColour(c.red(), c.green(), c.blue()); }

QFont qtFont(const Font& font) {
    // The condensed face comes closest to the widths of the small Windows faces, so that a
    // five-character axis label still fits into the plot's right margin.
    static const QString fallback = QStringLiteral("DejaVu Sans Condensed");
    const QString wanted = QString::fromStdString(font.family);
    QFont f(QFontDatabase::hasFamily(wanted) ? wanted : fallback);
    f.setPixelSize(std::max(1, font.pixelSize));
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

namespace {

QPainter::CompositionMode compositionFor(PenMode mode) {
    switch (mode) {
        case PenMode::Xor: return QPainter::RasterOp_SourceXorDestination;
        case PenMode::NotXor: return QPainter::RasterOp_NotSourceXorDestination;
        case PenMode::Copy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

// Liang-Barsky: cuts the segment to the box; false when nothing of it lies inside.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top, double right,
                 double bottom) {
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    const double bx = x0 + t1 * dx, by = y0 + t1 * dy;
    x0 = ax, y0 = ay, x1 = bx, y1 = by;
    return true;
}

// A text image turned by a quarter turn counter-clockwise, pixel for pixel: the text's
// column u becomes row (w - 1 - u), its row v becomes column v.
QImage quarterTurn(const QImage& src) {
    QImage out(src.height(), src.width(), src.format());
    for (int v = 0; v < src.height(); ++v) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(v));
        for (int u = 0; u < src.width(); ++u)
            reinterpret_cast<QRgb*>(out.scanLine(src.width() - 1 - u))[v] = line[u];
    }
    return out;
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter* painter, int width, int height)
    : painter_(painter), width_(width), height_(height) {}
PainterCanvas::PainterCanvas(int width, int height) : width_(width), height_(height) {}
PainterCanvas::~PainterCanvas() = default;

QPainter& PainterCanvas::painter() { return *painter_; }

const PainterCanvas::FontEntry& PainterCanvas::fontEntry() {
    // Looking a font up goes through fontconfig, which costs more than drawing the text.
    const std::string key = font().family + '\x01' + std::to_string(font().pixelSize);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        QFont f = qtFont(font());
        QFontMetrics fm(f);
        it = fonts_.emplace(key, FontEntry{f, fm}).first;
    }
    return it->second;
}

void PainterCanvas::applyPen(QPainter& p) {
    QPen qpen(toQColor(pen().colour));
    qpen.setWidth(pen().width <= 1 ? 0 : pen().width);  // 0: the cosmetic one-pixel pen
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    p.setPen(qpen);
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(compositionFor(pen().mode));
}

void PainterCanvas::drawLine(CanvasPoint from, CanvasPoint to) {
    // Qt's rasteriser loses lines whose ends lie far outside the device, so the segment is
    // first cut to the device plus a margin; the cut ends, rounded, lie outside what is seen.
    double x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    const double margin = 16.0 + pen().width;
    if (!clipSegment(x0, y0, x1, y1, -margin, -margin, width_ + margin, height_ + margin)) return;
    const QPoint a(static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)));
    const QPoint b(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)));
    if (a == b) return;
    QPainter& p = painter();
    applyPen(p);
    p.drawLine(a, b);
    changed();
}

void PainterCanvas::fillInMode(QPainter& p, const QRect& r, Colour colour, PenMode mode) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.setCompositionMode(compositionFor(mode));
    p.fillRect(r, toQColor(colour));
}

void PainterCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right <= left || bottom <= top) return;
    QPainter& p = painter();
    p.setRenderHint(QPainter::Antialiasing, false);
    const PenMode mode = pen().mode;
    const int w = std::max(1, pen().width);
    const int W = right - left, H = bottom - top;
    if (2 * w >= W || 2 * w >= H) {
        // Nothing inside the outline: the pen covers it all, each pixel once.
        fillInMode(p, QRect(left, top, W, H), pen().colour, mode);
    } else {
        if (!brush().clear) fillInMode(p, QRect(left + w, top + w, W - 2 * w, H - 2 * w), brush().colour, mode);
        // Four strips that do not overlap, so that xor leaves no corner drawn twice.
        fillInMode(p, QRect(left, top, W, w), pen().colour, mode);
        fillInMode(p, QRect(left, bottom - w, W, w), pen().colour, mode);
        fillInMode(p, QRect(left, top + w, w, H - 2 * w), pen().colour, mode);
        fillInMode(p, QRect(right - w, top + w, w, H - 2 * w), pen().colour, mode);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    changed();
}

void PainterCanvas::fillRect(const CanvasRect& r) {
    QRect q(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
            QSize(std::abs(r.right - r.left), std::abs(r.bottom - r.top)));
    QPainter& p = painter();
    fillInMode(p, q, brush().colour, PenMode::Copy);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    changed();
}

TextSize PainterCanvas::textExtent(std::string_view cp1251) {
    const QFontMetrics& fm = fontEntry().metrics;
    return {fm.horizontalAdvance(toQString(cp1251)), fm.height()};
}

const QImage& PainterCanvas::textImage(std::string_view cp1251) {
    std::string key = font().family;
    key += '\x01' + std::to_string(font().pixelSize) + '\x01' + std::to_string(font().colour) + '\x01' +
           (brush().clear ? std::string("-") : std::to_string(brush().colour)) + '\x01' +
           std::to_string(font().escapement) + '\x01';
    key += cp1251;
    auto it = textCache_.find(key);
    if (it != textCache_.end()) return it->second;
    if (textCache_.size() > 4096) textCache_.clear();

    const FontEntry& fe = fontEntry();
    const QString text = toQString(cp1251);
    const int w = std::max(1, fe.metrics.horizontalAdvance(text)), h = std::max(1, fe.metrics.height());
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(brush().clear ? QColor(0, 0, 0, 0) : toQColor(brush().colour));
    {
        QPainter tp(&img);
        tp.setRenderHint(QPainter::TextAntialiasing, false);
        tp.setFont(fe.font);
        tp.setPen(toQColor(font().colour));
        tp.drawText(QPoint(0, fe.metrics.ascent()), text);
    }
    if (font().escapement == 900) img = quarterTurn(img);
    return textCache_.emplace(std::move(key), std::move(img)).first->second;
}

void PainterCanvas::textOut(int x, int y, std::string_view cp1251) {
    if (cp1251.empty()) return;
    QPainter& p = painter();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const int esc = font().escapement;
    if (esc == 0 || esc == 900) {
        const QImage& img = textImage(cp1251);
        // Upright, the box hangs from (x, y); turned a quarter, it stands on (x, y).
        const QPoint at = esc == 0 ? QPoint(x, y) : QPoint(x, y - img.height());
        p.drawImage(at, img);
    } else {
        const FontEntry& fe = fontEntry();
        const QString text = toQString(cp1251);
        p.save();
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.translate(x, y);
        p.rotate(-esc / 10.0);
        if (!brush().clear)
            p.fillRect(QRect(0, 0, fe.metrics.horizontalAdvance(text), fe.metrics.height()), toQColor(brush().colour));
        p.setFont(fe.font);
        p.setPen(toQColor(font().colour));
        p.drawText(QPoint(0, fe.metrics.ascent()), text);
        p.restore();
    }
    changed();
}

CanvasImage PainterCanvas::copyRect(const CanvasRect&) { return {}; }

}  // namespace vk7
