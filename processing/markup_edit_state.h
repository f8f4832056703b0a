// What a markup edit of several clicks remembers between them: the peak chosen by the last
// click, the first member of a group being built, and the peak being inserted, held aside
// until its right bound is given.
#pragma once

#include "chromfile/peak_markup.h"

namespace vk7 {

struct MarkupEditClicks {
    int SelectedPeak = 0;    // the peak chosen by the last click (1-based)
    int GroupFirstPeak = 0;  // the first member while a group is being built
    int InsertAt = 0;        // where the peak being inserted will stand
    Peak Pending;            // the peak being inserted (start set by the second click)
};

}  // namespace vk7
