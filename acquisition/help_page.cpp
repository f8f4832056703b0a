#include "acquisition/help_page.h"

namespace vk7 {

std::string acquisitionHelpPage(const AcquisitionHelpContext& c) {
    std::string page = "vk7.htm";
    if (c.regimeListShown) page = "vk72.htm";
    if (c.calibrationPanelShown) page = "vk74.htm";
    if (c.channelViewFocused) page = "vk73.htm";
    return page;
}

}  // namespace vk7
