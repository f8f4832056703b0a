#include <gtest/gtest.h>

#include <fstream>

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1251(toUtf8(all)), all);
}

TEST(Cp1251, KnownLetters) {
    EXPECT_EQ(toCp1251("АЯаяЁё№"), std::string("\xC0\xDF\xE0\xFF\xA8\xB8\xB9"));
    EXPECT_EQ(toCp1251("日"), "?");
    EXPECT_EQ(toCp1251("a\xFF" "b"), "a?b");  // malformed UTF-8
    EXPECT_EQ(RU("Архив"), std::string("\xC0\xF0\xF5\xE8\xE2"));
    EXPECT_TRUE(equalsNoCaseCp1251(RU("ДАННЫЕ"), RU("данные")));
    EXPECT_TRUE(equalsNoCaseCp1251("H4A.HRM", "h4a.hrm"));
    EXPECT_FALSE(equalsNoCaseCp1251("h4a.hrm", "h4b.hrm"));
}

TEST(Lines, ReadEitherEndingWriteCrLf) {
    EXPECT_EQ(splitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("abcdef\nxy", 4), (std::vector<std::string>{"abcd", "xy"}));
    EXPECT_EQ(joinLinesCrLf({"a", "b"}), "a\r\nb\r\n");
    // A line never splits into two: CR and LF inside it are written as blanks.
    EXPECT_EQ(joinLinesCrLf({"a\nb", "c\r\nd\r", "e\tf"}), "a b\r\nc  d \r\ne\tf\r\n");
}

TEST(BlankControls, EveryControlCharacterBecomesABlank) {
    struct Case { std::string text, want; };
    for (const Case& c : {Case{"a\r\nb", "a  b"}, {std::string("x\0y", 3), "x y"}, {"\t\x1f\x7f", "   "},
                          {RU("Проба №1 ~"), RU("Проба №1 ~")}, {"", ""}})
        EXPECT_EQ(blankControls(c.text), c.want) << c.text;
}

TEST(SafeRewrite, ReplacesAndKeepsBackup) {
    test::TempDir dir;
    auto target = dir.write("space/a.grd", "old");
    safeRewrite(target, "new", {dir / "space/a.bak"});
    EXPECT_EQ(readFileBytes(target), "new");
    EXPECT_EQ(readFileBytes(dir / "space/a.bak"), "old");
    // Nothing but the two files is left behind.
    int n = 0;
    for (auto& e : fs::directory_iterator(dir / "space")) {
        (void)e;
        ++n;
    }
    EXPECT_EQ(n, 2);
}

TEST(SafeRewrite, KeepsThePermissionsOfTheFileItReplaces) {
    test::TempDir dir;
    const auto kept = dir.write("kept.dat", "old");
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    safeRewrite(kept, "new", {dir / "kept.bak"});
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    safeRewrite(dir / "fresh.dat", "new");
    EXPECT_EQ(fs::status(dir / "fresh.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

// Temporaries that killed rewrites left are removed once older than the age given; a
// younger one may belong to a rewrite still running, and other files are never touched.
TEST(StaleRewriteTemporaries, OnlyOldTemporariesAreRemoved) {
    test::TempDir dir;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
    struct Case { const char* name; bool aged; bool removed; };
    const Case cases[] = {{".vk7-h1a.hrm.Ab12Cd", true, true},  {".vk7-treat.dat.xYz789", true, true},
                          {".vk7-h1b.hrm.Ab12Cd", false, false}, {".vk7-.Ab12Cd", true, false},
                          {"h1a.hrm", true, false},              {".vk7-notes", true, false},
                          {"x.vk7-a.dat.Ab12Cd", true, false}};
    for (const Case& c : cases) {
        const auto path = dir.write(c.name, "copy");
        if (c.aged) fs::last_write_time(path, old);
    }
    fs::create_directory(dir / ".vk7-folder.Ab12Cd");
    fs::last_write_time(dir / ".vk7-folder.Ab12Cd", old);
    EXPECT_EQ(removeStaleRewriteTemporaries(dir.path()), 2);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(dir / c.name), !c.removed) << c.name;
    EXPECT_TRUE(fs::exists(dir / ".vk7-folder.Ab12Cd"));
    EXPECT_EQ(removeStaleRewriteTemporaries(dir / "missing"), 0);
}

TEST(SafeRewrite, FailedRenameLeavesTargetAndNoTemporary) {
    // A target that is a non-empty folder cannot be replaced by a file: the rename fails
    // after the temporary was written, which must be removed again.
    test::TempDir dir;
    dir.write("space/pics/inner", "precious");
    EXPECT_THROW(safeRewrite(dir / "space/pics", "new"), IoError);
    EXPECT_EQ(readFileBytes(dir / "space/pics/inner"), "precious");
    int n = 0;
    for (auto& e : fs::directory_iterator(dir / "space")) {
        (void)e;
        ++n;
    }
    EXPECT_EQ(n, 1);
}

TEST(SafeRewrite, MissingFolderThrowsIoError) {
    test::TempDir dir;
    EXPECT_THROW(safeRewrite(dir / "nope/file", "x"), IoError);
    EXPECT_THROW(readFileBytes(dir / "nope/file"), IoError);
    EXPECT_FALSE(readFileBytesIfExists(dir / "nope/file").has_value());
}

TEST(Paths, LookupIgnoresCase) {
    test::TempDir dir;
    dir.write("DATA/H4A.HRM", "x");
    dir.write("Space/treat.dat", "y");
    StartFolder start(dir.path());
    EXPECT_EQ(start.folder("data"), dir / "DATA");
    EXPECT_EQ(start.file("space", "TREAT.DAT"), dir / "Space/treat.dat");
    EXPECT_EQ(resolveNoCase(dir.path(), {"data", "h4a.hrm"}), dir / "DATA/H4A.HRM");
    EXPECT_EQ(start.file("results", "tabl.txt"), dir / "results/tabl.txt");
    EXPECT_EQ(start.ensureFolder("RESULTS"), dir / "results");
    EXPECT_TRUE(fs::is_directory(dir / "results"));
    EXPECT_EQ(start.ensureFolder("data"), dir / "DATA");
}

TEST(Paths, SplitAtTheLastSeparator) {
    struct Case { const char* full; const char* dir; const char* name; };
    for (auto c : {Case{"/home/u/data/h12a.hrm", "/home/u/data/", "h12a.hrm"}, {"/hplc/hx/H4A.HRM", "/hplc/hx/", "H4A.HRM"},
                   {"name.hrm", "", "name.hrm"}, {"/a/", "/a/", ""}}) {
        auto s = splitChosenPath(c.full);
        EXPECT_EQ(s.dir, c.dir);
        EXPECT_EQ(s.name, c.name);
    }
}

TEST(Paths, InFolderComparesCanonicalFolders) {
    test::TempDir dir;
    auto f = dir.write("space/a.grd", "x");
    dir.write("myspace/b.grd", "x");
    EXPECT_TRUE(isDirectlyInFolder(f, dir / "space"));
    EXPECT_TRUE(isDirectlyInFolder(dir / "space/../space/a.grd", dir / "space"));
    EXPECT_FALSE(isDirectlyInFolder(dir / "myspace/b.grd", dir / "space"));
}

TEST(Clock, DateAndTimeTexts) {
    FixedClock clock({2026, 3, 7, 9, 5, 59});
    EXPECT_EQ(dateText(clock.now()), "07.03.2026");
    EXPECT_EQ(timeText(clock.now()), "09:05");
}

}  // namespace
}  // namespace vk7
