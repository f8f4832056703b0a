// A canvas for tests that records what is drawn on it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

namespace vk7::test {

// Records every primitive; reports a fixed text size of 6 pixels a character by 13.
class RecordingCanvas : public Canvas {
public:
    struct Line {
        CanvasPoint a, b;
        Pen pen;
    };
    struct Text {
        int x, y;
        std::string text;
        Font font;
        Brush brush;
    };
    struct Rect {
        int l, t, r, b;
        Pen pen;
        Brush brush;
    };

    RecordingCanvas(int w, int h) : w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    void rectangle(int l, int t, int r, int b) override { rects.push_back({l, t, r, b, pen(), brush()}); }
    void fillRect(const CanvasRect&) override {}
    void textOut(int x, int y, std::string_view t) override { texts.push_back({x, y, std::string(t), font(), brush()}); }
    TextSize textExtent(std::string_view t) override { return {6 * static_cast<int>(t.size()), 13}; }
    CanvasImage copyRect(const CanvasRect&) override { return {}; }

    void clear() {
        lines.clear();
        texts.clear();
        rects.clear();
    }
    std::vector<Line> linesIn(Colour c) const {
        std::vector<Line> out;
        for (const Line& l : lines)
            if (l.pen.colour == c) out.push_back(l);
        return out;
    }
    const Text* findText(const std::string& t) const {
        for (const Text& x : texts)
            if (x.text == t) return &x;
        return nullptr;
    }

    std::vector<Line> lines;
    std::vector<Text> texts;
    std::vector<Rect> rects;

protected:
    void drawLine(CanvasPoint a, CanvasPoint b) override { lines.push_back({a, b, pen()}); }

private:
    int w_, h_;
};

}  // namespace vk7::test
