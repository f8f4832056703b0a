// Shared pieces of the fuzz harnesses: a property check that stops the run, a scratch start
// folder, a canvas that draws nothing, and the input split into parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "common/paths.h"
#include "platform/canvas.h"

namespace vk7::fuzz {

// Reports a broken property and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void propertyFailed(const char* expression, const char* file, int line);

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::vk7::fuzz::propertyFailed(#condition, __FILE__, __LINE__))

// A start folder of this process, emptied on every call.
StartFolder freshStartFolder();

// The parts of an input separated by NUL bytes (seeds are built the same way).
std::vector<std::string> partsOf(const uint8_t* data, size_t size, size_t maxParts);
std::string joinParts(const std::vector<std::string>& parts);

// The fixture's chromatogram with three peaks: samples, comment and stored markup.
std::vector<int16_t> sampleChromatogramWords();
// That chromatogram as read with averaging 160 ms.
const ReadResult& sampleChromatogram();

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
