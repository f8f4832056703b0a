// Shared pieces of the fuzz harnesses: a property check that stops the run, a scratch start
// folder, a canvas that draws nothing, dialogs that accept, and the input split into parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "common/paths.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"

namespace vk7::fuzz {

// Reports a broken property and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void propertyFailed(const char* expression, const char* file, int line);

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::vk7::fuzz::propertyFailed(#condition, __FILE__, __LINE__))

// A text as a line file holds it once written: a CR or LF inside it becomes a blank.
std::string asWritten(std::string text);

// A start folder of this process, emptied on every call.
StartFolder freshStartFolder();

// The parts of an input separated by NUL bytes (seeds are built the same way).
std::vector<std::string> partsOf(const uint8_t* data, size_t size, size_t maxParts);
std::string joinParts(const std::vector<std::string>& parts);

// The fixture's chromatogram with three peaks: samples, comment and stored markup.
std::vector<int16_t> sampleChromatogramWords();
// That chromatogram as read with averaging 160 ms.
const ReadResult& sampleChromatogram();

// Dialogs that answer every question with OK (or Yes), cancel every file dialog and count
// the message boxes.
class AcceptingDialogs : public Dialogs {
public:
    int messages = 0;
    Answer message(const MessageRequest& request) override {
        ++messages;
        return request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel ? Answer::Yes
                                                                                                            : Answer::Ok;
    }
    std::optional<fs::path> openOne(const FileDialogRequest&) override { return std::nullopt; }
    std::vector<fs::path> openSeveral(const FileDialogRequest&) override { return {}; }
    std::optional<fs::path> saveAs(const FileDialogRequest&) override { return std::nullopt; }
    bool printSetup(Printer&) override { return false; }
};

class NullCanvas : public Canvas {
public:
    int width() const override { return 640; }
    int height() const override { return 400; }
    void rectangle(int, int, int, int) override {}
    void fillRect(const CanvasRect&) override {}
    void textOut(int, int, std::string_view) override {}
    TextSize textExtent(std::string_view text) override;
    CanvasImage copyRect(const CanvasRect&) override { return {}; }

protected:
    void drawLine(CanvasPoint, CanvasPoint) override {}
};

}  // namespace vk7::fuzz
