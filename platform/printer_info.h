// What the programs ask of the printer before printing: its resolution.
#pragma once

#include <optional>

namespace vk7 {

struct PrinterResolution {
    int dpiX = 0;
    int dpiY = 0;
};

class PrinterInfo {
public:
    virtual ~PrinterInfo() = default;
    // The current printer's pixels per inch, or nullopt when there is no printer.
    virtual std::optional<PrinterResolution> resolution() = 0;
};

// A machine with no printer (tests, and until printing is built).
class NoPrinter : public PrinterInfo {
public:
    std::optional<PrinterResolution> resolution() override { return std::nullopt; }
};

}  // namespace vk7
