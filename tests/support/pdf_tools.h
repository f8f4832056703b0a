// What poppler's command-line tools read from a PDF we wrote: its page count, page size,
// text and pixels.
#pragma once

#include <filesystem>
#include <string>

#include "platform/canvas.h"

namespace vk7::test {

// The output of a shell command (stdout only); throws when it cannot be run or fails.
std::string commandOutput(const std::string& command);

struct PdfInfo {
    int pages = 0;
    double widthPt = 0, heightPt = 0;  // of the first page
};
PdfInfo pdfInfo(const std::filesystem::path& pdf);
// The text of the PDF (UTF-8), pages in order, each ending with a form feed.
std::string pdfText(const std::filesystem::path& pdf);
// Page `page` (from 1) rendered at `dpi` without antialiasing.
CanvasImage renderPdfPage(const std::filesystem::path& pdf, int page, int dpi);

}  // namespace vk7::test
