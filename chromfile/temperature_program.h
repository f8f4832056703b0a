// The temperature programme of the passport's temperature row: up to 12 points of time in
// minutes and temperature, drawn over the plot and read by its ruler.
#pragma once

#include <array>
#include <string_view>

namespace vk7 {

struct TemperatureProgram {
    static constexpr int kMaxPoints = 12;
    std::array<int, kMaxPoints> TempProgramTimes{};  // minutes, never decreasing
    std::array<int, kMaxPoints> TempProgramTemps{};
    int TempProgramCount = 0;  // number of the last point: points 0..count are valid
    int FinalTemperature = 0;
};

// Parses "prefix: 50g-5m;10g/m;200g-10m" (holds "Tg-mm", rates with "/") or, with no items,
// the isothermal temperature in the text's second word. `durationSec` is the length of the
// chromatogram; the last point is moved out to it when the programme ends earlier.
TemperatureProgram ParseTemperatureProgram(std::string_view text, int durationSec);

}  // namespace vk7
