#include "processing/help_pages.h"

namespace vk7 {

HelpPage chooseMainWindowHelpPage(const MainWindowHelpView& view) {
    HelpPage page = help_page::Contents;
    switch (view.programMode) {
        case 0: page = help_page::NoChromatogram; break;
        case 1: page = help_page::ChromatogramShown; break;
        case 2: page = help_page::MarkupEditing; break;
        case 3: page = help_page::GroupEditing; break;
        case 4: page = help_page::PeakTableShown; break;
        default: break;
    }
    // A window or panel in front of the plot is what the user asks about; the later tests
    // win over the earlier ones.
    if (view.pictureWindowVisible) page = help_page::Pictures;
    if (view.fileListVisible) page = help_page::FileList;
    if (view.exportPanelVisible) page = help_page::PointExport;
    if (view.recalculationPanelVisible) page = help_page::Recalculation;
    return page;
}

std::string helpPageFileName(HelpPage page) { return "t" + std::to_string(page) + ".htm"; }

std::filesystem::path helpPagePath(const StartFolder& start, HelpPage page) {
    return start.file("help", helpPageFileName(page));
}

}  // namespace vk7
