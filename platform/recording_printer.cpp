#include "platform/recording_printer.h"

#include <algorithm>

namespace vk7 {

namespace {

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(std::vector<RecordedPage>& pages, int width, int height)
        : pages_(pages), width_(width), height_(height) {}

    int width() const override { return width_; }
    int height() const override { return height_; }
    void rectangle(int left, int top, int right, int bottom) override {
        page().rects.push_back({{std::min(left, right), std::min(top, bottom), std::max(left, right),
                                 std::max(top, bottom)},
                                pen().colour, brush().colour, !brush().clear});
    }
    void fillRect(const CanvasRect& r) override { page().rects.push_back({r, brush().colour, brush().colour, true}); }
    void textOut(int x, int y, std::string_view cp1251) override {
        page().texts.push_back({{x, y}, std::string(cp1251), font().pixelSize, font().colour, font().escapement});
    }
    // Roughly a proportional face: 0.6 em per character, lines of 1.2 em.
    TextSize textExtent(std::string_view cp1251) override {
        return {static_cast<int>(cp1251.size()) * font().pixelSize * 3 / 5, font().pixelSize * 6 / 5};
    }
    CanvasImage copyRect(const CanvasRect&) override { return {}; }

protected:
    void drawLine(CanvasPoint from, CanvasPoint to) override { page().lines.push_back({from, to, pen().colour, pen().width}); }

private:
    RecordedPage& page() { return pages_.back(); }
    std::vector<RecordedPage>& pages_;
    int width_, height_;
};

class RecordingJob : public PrintJob {
public:
    RecordingJob(RecordedJob& job, int width, int height, bool hasPrinter)
        : job_(job), canvas_(job.pages, width, height), hasPrinter_(hasPrinter) {
        job_.pages.emplace_back();
    }
    Canvas& canvas() override { return canvas_; }
    PrinterResolution resolution() const override { return job_.resolution; }
    void newPage() override { job_.pages.emplace_back(); }
    PrintOutcome finish() override {
        job_.finished = true;
        if (hasPrinter_) return {};
        return {false, job_.request.pdfPath};
    }

private:
    RecordedJob& job_;
    RecordingCanvas canvas_;
    bool hasPrinter_;
};

}  // namespace

const RecordedText* RecordedPage::findText(std::string_view text) const {
    for (const RecordedText& t : texts)
        if (t.text == text) return &t;
    return nullptr;
}

PrinterResolution RecordingPrinter::resolution() {
    ++resolutionReads_;
    return resolution_ ? *resolution_ : PrinterResolution{dpi_, dpi_};
}

std::unique_ptr<PrintJob> RecordingPrinter::begin(const PrintRequest& request) {
    const bool turned = request.landscape;
    jobs_.push_back({request, resolution_ ? *resolution_ : PrinterResolution{dpi_, dpi_}, {}, false});
    return std::make_unique<RecordingJob>(jobs_.back(), turned ? height_ : width_, turned ? width_ : height_,
                                          hasPrinter_);
}

}  // namespace vk7
