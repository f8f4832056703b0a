#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/files.h"
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

// ---- the installed pages ----

const std::vector<int> kPages = {0,  1,  2,  3,  4,  5,  7,  9,   10,  13,  14,  15,  17,
                                 18, 19, 20, 31, 33, 34, 41, 51, 61, 101, 102, 161, 162};

fs::path installedHelp() { return fs::path(VK7_SOURCE_DIR) / "install" / "help"; }

std::string pageBytes(int page) { return readFileBytes(installedHelp() / ("t" + std::to_string(page) + ".htm")); }

// The number of well-formed UTF-8 multibyte sequences in the text: Windows-1251 Russian text
// converted properly holds none, a page saved as UTF-8 holds one per letter.
int utf8Sequences(const std::string& s) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    int count = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = byte(i);
        const size_t n = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 0;
        if (n == 0 || i + n >= s.size()) continue;
        bool sequence = true;
        for (size_t k = 1; k <= n; ++k) sequence = sequence && (byte(i + k) & 0xC0) == 0x80;
        if (sequence) {
            ++count;
            i += n;
        }
    }
    return count;
}

std::string titleOf(const std::string& html) {
    const size_t open = html.find("<title>");
    const size_t close = html.find("</title>");
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    return html.substr(open + 7, close - open - 7);
}

std::vector<std::string> linksOf(const std::string& html) {
    std::vector<std::string> links;
    const std::string href = "href=\"";
    for (size_t at = html.find(href); at != std::string::npos; at = html.find(href, at)) {
        at += href.size();
        const size_t end = html.find('"', at);
        if (end == std::string::npos) break;
        links.push_back(html.substr(at, end - at));
        at = end;
    }
    return links;
}

// The page number of a link "t<N>.htm" (optionally followed by "#anchor"), or -1.
int pageOfLink(const std::string& link) {
    size_t i = 0;
    if (link.empty() || link[i++] != 't') return -1;
    const size_t digits = i;
    while (i < link.size() && std::isdigit(static_cast<unsigned char>(link[i]))) ++i;
    if (i == digits || link.compare(i, 4, ".htm") != 0) return -1;
    const size_t rest = i + 4;
    if (rest < link.size()) {
        if (link[rest] != '#' || rest + 1 == link.size()) return -1;
        for (size_t k = rest + 1; k < link.size(); ++k)
            if (!std::isalnum(static_cast<unsigned char>(link[k])) && link[k] != '_') return -1;
    }
    return std::stoi(link.substr(digits, i - digits));
}

TEST(InstalledHelpPages, EveryPageIsThereAsWindows1251WithTitleAndWayBack) {
    for (int page : kPages) {
        SCOPED_TRACE("t" + std::to_string(page) + ".htm");
        const std::string html = pageBytes(page);
        EXPECT_EQ(utf8Sequences(html), 0) << "UTF-8 text in a Windows-1251 page";
        int cyrillic = 0;
        for (unsigned char b : html) {
            EXPECT_NE(b, 0x98) << "byte with no character in Windows-1251";
            if (b < 0x20) {
                EXPECT_TRUE(b == '\r' || b == '\n' || b == '\t') << "control byte " << int(b);
            }
            if (b >= 0xC0) ++cyrillic;
        }
        EXPECT_GT(cyrillic, 100) << "a Russian page";
        EXPECT_NE(html.find("charset=windows-1251"), std::string::npos);
        EXPECT_FALSE(titleOf(html).empty());
        if (page != 0) {
            const std::vector<std::string> links = linksOf(html);
            EXPECT_NE(std::find(links.begin(), links.end(), "t0.htm"), links.end()) << "no link to the contents";
        }
        EXPECT_EQ(html.find("<script"), std::string::npos);
    }
}

TEST(InstalledHelpPages, ContentsLinksEveryPageAndEveryLinkResolves) {
    std::set<int> fromContents;
    for (int page : kPages) {
        SCOPED_TRACE("t" + std::to_string(page) + ".htm");
        for (const std::string& link : linksOf(pageBytes(page))) {
            const int target = pageOfLink(link);
            ASSERT_GE(target, 0) << "not a link to a help page: " << link;
            EXPECT_TRUE(fs::exists(installedHelp() / ("t" + std::to_string(target) + ".htm"))) << link;
            EXPECT_NE(std::find(kPages.begin(), kPages.end(), target), kPages.end()) << link;
            if (page == 0) fromContents.insert(target);
        }
    }
    for (int page : kPages) {
        if (page != 0) {
            EXPECT_TRUE(fromContents.count(page)) << "contents does not link t" << page << ".htm";
        }
    }
}

}  // namespace
}  // namespace vk7
