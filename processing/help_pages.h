// Help pages of the processing program: the file of a page and the page that the main
// window's "?" chooses for what it shows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/paths.h"

namespace vk7 {

// Number N of the help page help/t<N>.htm. The main window keeps the page chosen last in a
// field of this type (0 at start, so F1 shows it again); every "?" stores its page there
// before the help window shows it.
using HelpPage = std::uint8_t;

// The pages the processing program shows.
namespace help_page {
inline constexpr HelpPage Contents = 0;
inline constexpr HelpPage NoChromatogram = 1;
inline constexpr HelpPage FileList = 2;
inline constexpr HelpPage ChromatogramShown = 3;
inline constexpr HelpPage MarkupEditing = 4;
inline constexpr HelpPage PeakTableShown = 5;
inline constexpr HelpPage Recalculation = 7;
inline constexpr HelpPage CalibrationArchive = 9;
inline constexpr HelpPage CalibrationGraphs = 10;
inline constexpr HelpPage TopicSummaries = 13;
inline constexpr HelpPage ChromatogramModels = 14;
inline constexpr HelpPage Pictures = 15;
inline constexpr HelpPage HtmlProtocolSettings = 17;
inline constexpr HelpPage MediaAndNorms = 18;
inline constexpr HelpPage SelectedSums = 19;
inline constexpr HelpPage ExcelProtocolSettings = 20;
inline constexpr HelpPage PointExport = 31;
inline constexpr HelpPage ModelPlot = 33;
inline constexpr HelpPage ModelTable = 34;
inline constexpr HelpPage GroupEditing = 41;
inline constexpr HelpPage PeakTableWindow = 51;
inline constexpr HelpPage PeakModelling = 61;
inline constexpr HelpPage Passport = 101;
inline constexpr HelpPage ProcessingParameters = 102;
inline constexpr HelpPage VerificationX = 161;
inline constexpr HelpPage VerificationY = 162;
}  // namespace help_page

// What the main window shows at the moment its "?" is pressed.
struct MainWindowHelpView {
    // The main window's mode: 0 no chromatogram, 1 a chromatogram is shown, 2 markup
    // editing, 3 editing groups of unresolved peaks, 4 the peak table is shown.
    std::uint8_t programMode = 0;
    bool pictureWindowVisible = false;       // "Изображения"
    bool fileListVisible = false;            // "Список"
    bool exportPanelVisible = false;         // export of points
    bool recalculationPanelVisible = false;  // "Пересчет" / "Отмена" panel
};

// The page of the main window's "?": the page of the mode, overridden in this order (each
// later one winning) by the picture window, the file list, the export panel and the
// recalculation panel when they are visible. A mode outside 0..4 gives the contents.
HelpPage chooseMainWindowHelpPage(const MainWindowHelpView& view);

// "t<N>.htm".
std::string helpPageFileName(HelpPage page);

// The page's file: the start folder's help folder and t<N>.htm, both looked up without
// regard to case (the path of a missing page names the file that was looked for).
std::filesystem::path helpPagePath(const StartFolder& start, HelpPage page);

}  // namespace vk7
