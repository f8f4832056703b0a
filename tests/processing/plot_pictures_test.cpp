#include "processing/plot_pictures.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(PictureNumbers, NextFreeNumberSkipsNamesThatAreNotNumbers) {
    test::TempDir dir;
    for (const char* name : {"1.gif", "7.GIF", "fig.gif", "12a.gif", "0010.gif", "99.txt", "50.gif.bak", "-60.gif"})
        dir.write(std::string("results/") + name, "x");
    EXPECT_EQ(FindLastPictureNumber(dir / "results"), 10u);
    EXPECT_EQ(nextPictureNumber(dir / "results"), 11u);
    EXPECT_EQ(nextPicturePath(StartFolder(dir.path())), dir / "results" / "11.gif");
}

TEST(PictureNumbers, EmptyOrMissingFolderGivesOne) {
    test::TempDir dir;
    EXPECT_EQ(nextPictureNumber(dir / "results"), 1u);  // no folder yet
    EXPECT_EQ(nextPicturePath(StartFolder(dir.path())), dir / "results" / "1.gif");
    EXPECT_TRUE(fs::is_directory(dir / "results"));
    EXPECT_EQ(nextPictureNumber(dir / "results"), 1u);
}

TEST(PictureNumbers, NumbersAreThirtyTwoBit) {
    test::TempDir dir;
    dir.write("results/65535.gif", "x");
    EXPECT_EQ(nextPictureNumber(dir / "results"), 65536u);
    dir.write("results/4294967296.gif", "x");  // beyond 32 bits: not a picture number
    EXPECT_EQ(nextPictureNumber(dir / "results"), 65536u);
    dir.write("results/4294967295.gif", "x");
    EXPECT_EQ(nextPictureNumber(dir / "results"), std::nullopt);
    EXPECT_EQ(nextPicturePath(StartFolder(dir.path())), std::nullopt);
}

TEST(PictureNumbers, ResultsFolderIsFoundWithoutRegardToCase) {
    test::TempDir dir;
    dir.write("RESULTS/3.gif", "x");
    dir.write("RESULTS/FIG.GIF", "x");
    EXPECT_EQ(nextPicturePath(StartFolder(dir.path())), dir / "RESULTS" / "4.gif");
    EXPECT_EQ(figurePicturePath(StartFolder(dir.path())), dir / "RESULTS" / "FIG.GIF");
}

TEST(TableText, OpensTablTxtThroughTheShellOrSaysItIsMissing) {
    test::TempDir dir;
    RecordingShell shell;
    EXPECT_EQ(OpenTableText(StartFolder(dir.path()), shell), toCp1251("Нет файла \\results\\tabl.txt"));
    EXPECT_TRUE(shell.opened.empty());
    dir.write("results/Tabl.TXT", "table");
    EXPECT_EQ(OpenTableText(StartFolder(dir.path()), shell), "");
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], dir / "results" / "Tabl.TXT");
    shell.result = false;
    EXPECT_NE(OpenTableText(StartFolder(dir.path()), shell), "");
}

}  // namespace
}  // namespace vk7
