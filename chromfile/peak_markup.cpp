#include "chromfile/peak_markup.h"

namespace vk7 {

void CloseGroups(PeakMarkup& markup) {
    auto& peaks = markup.Peaks;
    // The open group ends at peak j: its last member becomes 'E', a group of one 'M'.
    auto closeAt = [&](int j) { peaks[j].Type = peaks[j].Type == 'G' ? 'E' : 'M'; };
    bool open = false;
    for (int k = 1; k <= peaks.count(); ++k) {
        char& t = peaks[k].Type;
        switch (t) {
            case 'B':
                if (open) closeAt(k - 1);
                open = true;
                break;
            case 'G':
                if (!open) t = 'B';
                open = true;
                break;
            case 'E':
                if (!open) t = 'M';
                open = false;
                break;
            default:
                t = 'M';
                if (open) closeAt(k - 1);
                open = false;
                break;
        }
    }
    if (open) closeAt(peaks.count());
}

}  // namespace vk7
