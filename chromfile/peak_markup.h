// The peak arrays of the open chromatogram: at most 255 peaks, numbered from 1.
#pragma once

#include <cstdint>
#include <string>

#include "common/numbered_array.h"

namespace vk7 {

// Type codes: 'M' single peak, 'B' first, 'G' inner and 'E' last member of a group of
// unresolved peaks.
struct Peak {
    int Start = 0;           // point number of the start
    int End = 0;             // point number of the end
    int Apex = 0;            // point number of the apex (the retention time)
    int16_t Height = 0;      // after measurement: the point value at the apex
    int16_t StartValue = 0;  // signal at the start
    int16_t EndValue = 0;    // signal at the end
    std::string Name = "?";  // substance name (<= 32), "?" when not identified
    double Area = 0;
    double Conc = 0;
    char Type = 'M';
    bool Overload = false;   // apex value beyond 32000 in magnitude

    bool operator==(const Peak&) const = default;
};

struct PeakMarkup {
    NumberedArray<Peak> Peaks;  // Peaks[k], k = 1..PeakCount()
    double TotalArea = 0;

    int PeakCount() const { return Peaks.count(); }
    void clear() {
        Peaks.clear();
        TotalArea = 0;
    }
};

// Makes the type codes consistent: every 'B' is closed by an 'E', no 'G' or 'E' stands
// without its 'B'. A group cut short by an 'M', a 'B' or the last peak ends at its last
// member ('G' becomes 'E', a lone 'B' becomes 'M'); a 'G' outside a group opens one ('B');
// an 'E' outside a group becomes 'M'; any other code becomes 'M'. Runs before the base line,
// the areas and every save of the markup, since markup from the store, the file or the
// editor can be malformed; a consistent markup is left as it is.
void CloseGroups(PeakMarkup& markup);

}  // namespace vk7
