#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/paths.h"
#include "processing/help_pages.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

// ---- the main window's "?" ----

struct ChooserCase {
    const char* what;
    MainWindowHelpView view;
    HelpPage page;
};

TEST(MainWindowHelpChooser, PageByModeThenOverridesInOrder) {
    const ChooserCase cases[] = {
        {"no chromatogram", {.programMode = 0}, 1},
        {"chromatogram shown", {.programMode = 1}, 3},
        {"markup editing", {.programMode = 2}, 4},
        {"group editing", {.programMode = 3}, 41},
        {"peak table shown", {.programMode = 4}, 5},
        {"unknown mode", {.programMode = 5}, 0},
        {"peak table and picture window", {.programMode = 4, .pictureWindowVisible = true}, 15},
        {"picture window with no file", {.programMode = 0, .pictureWindowVisible = true}, 15},
        {"file list", {.programMode = 1, .fileListVisible = true}, 2},
        {"export panel", {.programMode = 1, .exportPanelVisible = true}, 31},
        {"recalculation panel", {.programMode = 4, .recalculationPanelVisible = true}, 7},
        // Each later test wins over the ones before it.
        {"file list over picture", {.programMode = 4, .pictureWindowVisible = true, .fileListVisible = true}, 2},
        {"export over file list",
         {.programMode = 1, .pictureWindowVisible = true, .fileListVisible = true, .exportPanelVisible = true},
         31},
        {"recalculation over everything",
         {.programMode = 4,
          .pictureWindowVisible = true,
          .fileListVisible = true,
          .exportPanelVisible = true,
          .recalculationPanelVisible = true},
         7},
        {"recalculation over picture", {.programMode = 2, .pictureWindowVisible = true, .recalculationPanelVisible = true}, 7},
        {"export over picture in group editing", {.programMode = 3, .pictureWindowVisible = true, .exportPanelVisible = true}, 31},
    };
    for (const ChooserCase& c : cases) {
        EXPECT_EQ(chooseMainWindowHelpPage(c.view), c.page) << c.what;
    }
}

// ---- the page's file ----

TEST(HelpPagePath, BuiltFromTheStartFolder) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    EXPECT_EQ(helpPageFileName(0), "t0.htm");
    EXPECT_EQ(helpPageFileName(162), "t162.htm");
    // Not there yet: the path names the file that was looked for.
    EXPECT_EQ(helpPagePath(start, 0), dir.path() / "help" / "t0.htm");
    EXPECT_EQ(helpPagePath(start, 162), dir.path() / "help" / "t162.htm");
}

TEST(HelpPagePath, FolderAndFileFoundWithoutRegardToCase) {
    test::TempDir dir;
    dir.write("HELP/T162.HTM", "x");
    dir.write("HELP/t0.htm", "x");
    const StartFolder start(dir.path());
    EXPECT_EQ(helpPagePath(start, 162), dir.path() / "HELP" / "T162.HTM");
    EXPECT_EQ(helpPagePath(start, 0), dir.path() / "HELP" / "t0.htm");
}

}  // namespace
}  // namespace vk7
