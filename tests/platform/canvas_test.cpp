#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <vector>

#include "common/cp1251.h"
#include "platform/qt/image_canvas.h"
#include "platform/qt/paint_box.h"

namespace vk7 {
namespace {

constexpr Colour White = 0xFFFFFF, Red = 0x0000FF, Blue = 0xFF0000, Grey = 0x808080;

// Every pixel that is not `background`.
std::vector<CanvasPoint> inked(ImageCanvas& c, Colour background = White) {
    std::vector<CanvasPoint> out;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.pixel(x, y) != background) out.push_back({x, y});
    return out;
}

struct Box {
    int left, top, right, bottom;  // inclusive
};
Box bounds(const std::vector<CanvasPoint>& pts) {
    Box b{1 << 30, 1 << 30, -1, -1};
    for (auto p : pts) {
        b.left = std::min(b.left, p.x), b.top = std::min(b.top, p.y);
        b.right = std::max(b.right, p.x), b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

TEST(ImageCanvas, ColoursAreWindowsValues) {
    ImageCanvas c(4, 4);
    c.setPen(Pen{Red, 1, PenMode::Copy});
    c.moveTo(0, 1);
    c.lineTo(4, 1);
    EXPECT_EQ(c.image().pixel(1, 1) & 0xFFFFFF, 0xFF0000u);  // red in Qt's 0xRRGGBB
    EXPECT_EQ(c.pixel(1, 1), Red);
    EXPECT_EQ(c.pixel(1, 0), White);
}

TEST(ImageCanvas, LineToLeavesOutItsEndPixelAndMovesOn) {
    struct Case {
        CanvasPoint from, to;
        size_t pixels;
    };
    const Case cases[] = {
        {{2, 2}, {10, 2}, 8},  // horizontal: 2..9
        {{10, 3}, {2, 3}, 8},  // right to left: 10..3
        {{3, 9}, {3, 4}, 5},   // vertical upwards: 9..5
        {{1, 1}, {8, 8}, 7},   // diagonal
        {{5, 5}, {5, 5}, 0},   // to the current position: nothing
    };
    for (const Case& k : cases) {
        ImageCanvas c(16, 16);
        c.setPen(Pen{Blue, 1, PenMode::Copy});
        c.moveTo(k.from.x, k.from.y);
        c.lineTo(k.to.x, k.to.y);
        EXPECT_EQ(c.position(), k.to);
        const auto ink = inked(c);
        EXPECT_EQ(ink.size(), k.pixels) << k.from.x << "," << k.from.y;
        if (k.pixels > 0) {
            EXPECT_EQ(c.pixel(k.from.x, k.from.y), Blue);
            EXPECT_EQ(c.pixel(k.to.x, k.to.y), White);
        }
    }
}

TEST(ImageCanvas, XorPolylineTouchesEveryPixelOnceAndDrawingTwiceRestores) {
    ImageCanvas c(60, 40);
    c.setPen(Pen{Grey, 1, PenMode::Copy});
    c.moveTo(0, 20);
    c.lineTo(60, 20);
    const QImage before = c.image().copy();

    auto polyline = [&] {
        c.setPen(Pen{Red, 1, PenMode::Xor});
        c.moveTo(5, 5);
        c.lineTo(30, 30);
        c.lineTo(50, 10);
        c.lineTo(50, 35);
    };
    polyline();
    // On white, red in xor shows cyan; the shared corner is drawn once, not twice.
    EXPECT_EQ(c.pixel(5, 5), 0xFFFF00u);
    EXPECT_EQ(c.pixel(30, 30), 0xFFFF00u);
    EXPECT_EQ(c.pixel(50, 10), 0xFFFF00u);
    polyline();
    EXPECT_EQ(c.image(), before);
}

TEST(ImageCanvas, NotXorShowsThePenOnWhiteAndErasesItself) {
    ImageCanvas c(40, 30);
    const QImage blank = c.image().copy();
    c.setPen(Pen{Red, 1, PenMode::NotXor});
    c.setBrush(Brush{White, false});  // a white brush in not-xor leaves the inside alone
    c.rectangle(5, 5, 30, 20);
    EXPECT_EQ(c.pixel(5, 5), Red);
    EXPECT_EQ(c.pixel(29, 19), Red);
    EXPECT_EQ(c.pixel(15, 12), White);
    c.rectangle(5, 5, 30, 20);
    EXPECT_EQ(c.image(), blank);
}

TEST(ImageCanvas, RectangleCoversLeftToRightMinusOne) {
    ImageCanvas c(20, 20);
    c.setPen(Pen{Grey, 1, PenMode::Copy});
    c.setBrush(Brush{Blue, false});
    c.rectangle(12, 14, 3, 4);  // corners in any order
    const Box b = bounds(inked(c));
    EXPECT_EQ(b.left, 3);
    EXPECT_EQ(b.top, 4);
    EXPECT_EQ(b.right, 11);
    EXPECT_EQ(b.bottom, 13);
    EXPECT_EQ(c.pixel(3, 4), Grey);
    EXPECT_EQ(c.pixel(11, 13), Grey);
    EXPECT_EQ(c.pixel(7, 8), Blue);

    ImageCanvas d(20, 20);
    d.setPen(Pen{Grey, 1, PenMode::Xor});
    d.setBrush(Brush{White, true});
    d.rectangle(3, 4, 12, 14);
    EXPECT_EQ(d.pixel(3, 4), 0x7F7F7Fu);  // each corner once
    EXPECT_EQ(d.pixel(7, 8), White);      // a clear brush leaves the inside
    EXPECT_EQ(inked(d).size(), size_t(2 * 9 + 2 * 8));
}

TEST(ImageCanvas, LinesFarOutsideTheImageStillDrawTheirVisiblePart) {
    ImageCanvas c(1000, 600);
    c.setPen(Pen{Blue, 1, PenMode::Copy});
    c.moveTo(-600000, 10);
    c.lineTo(600000, 20);
    int row15 = 0;
    for (int x = 0; x < 1000; ++x) row15 += c.pixel(x, 15) == Blue;
    EXPECT_GT(row15, 900);
    c.moveTo(100, 100);
    c.lineTo(100, 3000000);
    EXPECT_EQ(c.pixel(100, 599), Blue);
    EXPECT_EQ(c.pixel(100, 99), White);
}

TEST(ImageCanvas, TextHangsFromItsTopLeftCornerOrStandsOnItWhenTurned) {
    for (const int escapement : {0, 900}) {
        ImageCanvas c(200, 200);
        c.setBrush(Brush{White, true});
        c.setFont(Font{"Arial", 11, Red, escapement});
        const TextSize size = c.textExtent("12345");
        ASSERT_GT(size.width, size.height);
        c.textOut(50, 100, "12345");
        const auto ink = inked(c);
        ASSERT_FALSE(ink.empty());
        const Box b = bounds(ink);
        if (escapement == 0) {
            EXPECT_GE(b.left, 50);
            EXPECT_GE(b.top, 100);
            EXPECT_LT(b.right, 50 + size.width);
            EXPECT_LT(b.bottom, 100 + size.height);
        } else {
            // Read upwards: taller than wide, standing on (50, 100).
            EXPECT_GT(b.bottom - b.top, b.right - b.left);
            EXPECT_GE(b.left, 50);
            EXPECT_LT(b.right, 50 + size.height);
            EXPECT_LT(b.bottom, 100);
            EXPECT_GE(b.top, 100 - size.width);
        }
        for (auto p : ink) EXPECT_EQ(c.pixel(p.x, p.y), Red) << "antialiased pixel at " << p.x << "," << p.y;
    }
}

TEST(ImageCanvas, SolidBrushFillsTheTextBox) {
    ImageCanvas c(100, 100, Grey);
    c.setBrush(Brush{White, false});
    c.setFont(Font{"SmallFonts", 9, Blue, 0});
    const TextSize size = c.textExtent(RU("мин"));
    c.textOut(10, 20, RU("мин"));
    EXPECT_EQ(c.pixel(10, 20), White);
    EXPECT_EQ(c.pixel(10 + size.width - 1, 20 + size.height - 1), White);
    EXPECT_EQ(c.pixel(10 + size.width, 20), Grey);
    EXPECT_EQ(c.pixel(9, 20), Grey);
    bool blue = false;
    for (int y = 20; y < 20 + size.height; ++y)
        for (int x = 10; x < 10 + size.width; ++x) blue |= c.pixel(x, y) == Blue;
    EXPECT_TRUE(blue);
}

TEST(ImageCanvas, CopyRectReadsThePixelsAndWhiteOutside) {
    ImageCanvas c(10, 10, Grey);
    c.setPen(Pen{Red, 1, PenMode::Copy});
    c.moveTo(0, 0);
    c.lineTo(3, 0);
    const CanvasImage img = c.copyRect({-1, 0, 3, 2});
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.at(0, 0), White);  // outside the canvas
    EXPECT_EQ(img.at(1, 0), Red);
    EXPECT_EQ(img.at(3, 0), Red);
    EXPECT_EQ(img.at(1, 1), Grey);
}

TEST(PainterCanvas, DrawsOnAnyPainterAndCannotBeReadBack) {
    QImage page(50, 50, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    PainterCanvas c(&p, page.width(), page.height());
    c.setPen(Pen{Red, 1, PenMode::Copy});
    c.moveTo(10, 10);
    c.lineTo(20, 10);
    EXPECT_TRUE(c.copyRect({0, 0, 5, 5}).empty());
    p.end();
    EXPECT_EQ(page.pixel(15, 10) & 0xFFFFFF, 0xFF0000u);
}

TEST(PaintBox, PaintOnlyCopiesTheImageSoOverlaysSurviveAnExpose) {
    PaintBox box;
    int resizes = 0;
    QObject::connect(&box, &PaintBox::resized, [&](int w, int h) {
        ++resizes;
        EXPECT_EQ(w, 120);
        EXPECT_EQ(h, 80);
    });
    box.resize(120, 80);
    box.show();
    QApplication::processEvents();
    EXPECT_GE(resizes, 1);
    ASSERT_EQ(box.canvas().width(), 120);

    ImageCanvas& c = box.canvas();
    c.setPen(Pen{Blue, 1, PenMode::Copy});
    c.moveTo(0, 40);
    c.lineTo(120, 40);
    // An overlay drawn between repaints, in xor.
    c.setPen(Pen{Red, 1, PenMode::Xor});
    c.moveTo(60, 0);
    c.lineTo(60, 80);
    for (int expose = 0; expose < 2; ++expose) {
        const QImage shown = box.grab().toImage();
        EXPECT_EQ(shown.pixel(10, 40) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(shown.pixel(60, 10) & 0xFFFFFF, 0x00FFFFu);
        EXPECT_EQ(shown.pixel(60, 40) & 0xFFFFFF, 0xFF00FFu);  // blue xor red
        box.repaint();
    }
}

TEST(PaintBox, ReportsTheMouseToItsOwner) {
    PaintBox box;
    box.resize(100, 100);
    std::vector<std::string> seen;
    QObject::connect(&box, &PaintBox::mouseDown, [&](int x, int y, Qt::MouseButton) {
        seen.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    });
    QObject::connect(&box, &PaintBox::mouseMove, [&](int x, int y, Qt::MouseButtons) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    });
    QObject::connect(&box, &PaintBox::mouseUp, [&](int x, int y, Qt::MouseButton) {
        seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    });
    QObject::connect(&box, &PaintBox::doubleClicked,
                     [&](int x, int y) { seen.push_back("double " + std::to_string(x) + "," + std::to_string(y)); });
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), box.mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&box, &e);
    };
    send(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {15, 25}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {15, 25}, Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, {15, 25}, Qt::LeftButton, Qt::LeftButton);
    const std::vector<std::string> expected{"down 10,20", "move 15,25", "up 15,25", "down 15,25", "double 15,25"};
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace vk7
