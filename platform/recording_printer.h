// A printer for tests: jobs draw on pages of a given resolution and size that keep every
// line, rectangle and text drawn on them, page by page.
#pragma once

#include <deque>
#include <vector>

#include "platform/printer.h"

namespace vk7 {

struct RecordedLine {
    CanvasPoint from, to;
    Colour colour = 0;
    int width = 1;
};

struct RecordedText {
    CanvasPoint at;
    std::string text;  // Windows-1251
    int pixelSize = 0;
    Colour colour = 0;
    int escapement = 0;
};

struct RecordedRect {
    CanvasRect rect;
    Colour pen = 0;
    Colour brush = 0;
    bool filled = false;  // false: outline only
};

struct RecordedPage {
    std::vector<RecordedLine> lines;
    std::vector<RecordedText> texts;
    std::vector<RecordedRect> rects;
    // The first text drawn with exactly this content, or null.
    const RecordedText* findText(std::string_view text) const;
};

struct RecordedJob {
    PrintRequest request;
    PrinterResolution resolution;
    std::vector<RecordedPage> pages;
    bool finished = false;
};

class RecordingPrinter : public Printer {
public:
    // By default the PDF that takes a missing printer's place: 600 dpi, the printable area
    // of an A4 page with 5 mm margins, pages "go" to the request's PDF path.
    RecordingPrinter() = default;
    RecordingPrinter(int dpi, int pageWidth, int pageHeight, bool hasPrinter = true)
        : dpi_(dpi), width_(pageWidth), height_(pageHeight), hasPrinter_(hasPrinter) {}

    void setResolution(PrinterResolution r) { resolution_ = r; }
    PrinterResolution resolution() override;
    std::unique_ptr<PrintJob> begin(const PrintRequest& request) override;

    const std::deque<RecordedJob>& jobs() const { return jobs_; }
    int resolutionReads() const { return resolutionReads_; }

private:
    int dpi_ = kPdfDpi;
    int width_ = 4724;
    int height_ = 6783;
    bool hasPrinter_ = false;
    std::optional<PrinterResolution> resolution_;  // a printer whose down value differs
    std::deque<RecordedJob> jobs_;  // a deque: an open job's record never moves
    int resolutionReads_ = 0;
};

}  // namespace vk7
