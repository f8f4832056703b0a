// The help page of the acquisition program for what is on the screen.
#pragma once

#include <string>

namespace vk7 {

struct AcquisitionHelpContext {
    bool regimeListShown = false;       // the list above the regime grid
    bool calibrationPanelShown = false;  // the calibration setup panel
    bool channelViewFocused = false;     // a channel view has the focus
};

// "vk7.htm" by default; "vk72.htm" for the regime list, "vk74.htm" for the calibration
// panel, "vk73.htm" for a focused channel view, each later one winning over the earlier.
std::string acquisitionHelpPage(const AcquisitionHelpContext& context);

}  // namespace vk7
