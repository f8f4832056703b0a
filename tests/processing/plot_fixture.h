// Fixtures of the plot tests: a three-peak chromatogram (one single peak, one group of two)
// in the shared state, and a canvas that records what is drawn on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "platform/canvas.h"
#include "processing/processing_state.h"
#include "tests/support/point_generator.h"

namespace vk7::test {

inline Peak peak(int start, int apex, int end, char type, std::string name = "?") {
    Peak p;
    p.Start = start, p.Apex = apex, p.End = end, p.Type = type, p.Name = std::move(name);
    return p;
}

// A chromatogram of 2000 points at 25 samples per second, 5 samples per point (400 s),
// base 1000 counts, gain code 4; peaks: 1 'M' at point 400, 2 'B' at 1000 and 3 'E' at 1090.
// The view shows all of it.
inline constexpr int kFlatBase = 1000;
inline std::unique_ptr<ProcessingState> threePeakState() {
    auto s = std::make_unique<ProcessingState>(StartFolder("/nonexistent"));
    s->ProgramMode = ModeShown;
    OpenChromatogram& c = s->Chrom;
    c.SamplingRate = 25;
    c.SamplesPerPoint = 5;
    c.GainCode = 4;
    c.UnitCode = 0;
    c.SignalMultiplier = 1;
    c.Points = PointGenerator(2000, kFlatBase).gaussian(400, 8000, 15).gaussian(1000, 6000, 20).gaussian(1090, 9000, 20).points();
    s->Settings.FileName = "h12a.hrm";
    s->Settings.AveragingMs = 200;
    s->Markup.Peaks.push_back(peak(340, 400, 460, 'M', RU("Метан")));
    s->Markup.Peaks.push_back(peak(930, 1000, 1045, 'B'));
    s->Markup.Peaks.push_back(peak(1046, 1090, 1170, 'E'));
    s->View.ViewStartSec = 0;
    s->View.ViewEndSec = 400;
    return s;
}

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
