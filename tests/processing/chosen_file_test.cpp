#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/cp1251.h"
#include "processing/chosen_file.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

TEST(ChosenFile, SplitsAtTheLastSeparator) {
    struct Case {
        const char* path;  // UTF-8, as the file system names it
        const char* dir;
        const char* name;
    };
    const Case cases[] = {
        {"/srv/vk7/data/h1a.hrm", "/srv/vk7/data/", "h1a.hrm"},
        // Every path below /home has a "/h" in front; the split must not stop there.
        {"/home/user/vk7/data/h12b.hrm", "/home/user/vk7/data/", "h12b.hrm"},
        // A folder that begins with h.
        {"/srv/vk7/data/hexane/h3c.hrm", "/srv/vk7/data/hexane/", "h3c.hrm"},
        // Modelled files are named in capitals.
        {"/home/h/DATA/H4A.HRM", "/home/h/DATA/", "H4A.HRM"},
        {"/data/proba.hrm", "/data/", "proba.hrm"},
        {"/home/лаборант/данные/h1a.hrm", "/home/лаборант/данные/", "h1a.hrm"},
    };
    for (const Case& c : cases) {
        const ChosenFile f = splitChosenFile(fs::path(c.path));
        ASSERT_TRUE(f.ok()) << c.path << ": " << toUtf8(f.Refusal);
        EXPECT_EQ(f.DataDir, toCp1251(c.dir)) << c.path;
        EXPECT_EQ(f.FileName, toCp1251(c.name)) << c.path;
    }
}

TEST(ChosenFile, RefusesWhatTheSettingsCannotHoldInsteadOfCuttingIt) {
    const std::string name32 = std::string(28, 'n') + ".hrm";
    const std::string dir128 = "/" + std::string(126, 'd') + "/";
    EXPECT_TRUE(splitChosenFile(fs::path("/data/" + name32)).ok());
    EXPECT_TRUE(splitChosenFile(fs::path(dir128 + "h1a.hrm")).ok());

    const ChosenFile longName = splitChosenFile(fs::path("/data/x" + name32));
    EXPECT_FALSE(longName.ok());
    EXPECT_NE(longName.Refusal.find(RU("длиннее 32")), std::string::npos);
    EXPECT_TRUE(longName.FileName.empty());

    const ChosenFile longDir = splitChosenFile(fs::path("/x" + dir128 + "h1a.hrm"));
    EXPECT_FALSE(longDir.ok());
    EXPECT_NE(longDir.Refusal.find(RU("длиннее 128")), std::string::npos);

    // Cyrillic counts one character per letter, as the settings file holds it.
    EXPECT_TRUE(splitChosenFile(fs::path("/data/" + std::string("проба-") + std::string(22, 'x') + ".hrm")).ok());

    // A name that is no Windows-1251 text would be kept as another name.
    EXPECT_FALSE(splitChosenFile(fs::path("/data/h1\xff" "a.hrm")).ok());
    EXPECT_FALSE(splitChosenFile(fs::path("/data/日本.hrm")).ok());
    EXPECT_FALSE(splitChosenFile(fs::path("/data/")).ok());
}

TEST(ChosenFile, SeveralFilesAtMost255AndAllValid) {
    std::vector<fs::path> files;
    for (int i = 1; i <= 255; ++i) files.push_back("/data/h" + std::to_string(i) + "a.hrm");
    const ChosenFiles ok = splitChosenFiles(files);
    ASSERT_TRUE(ok.ok());
    ASSERT_EQ(ok.Files.size(), 255u);
    EXPECT_EQ(ok.Files[254].FileName, "h255a.hrm");
    EXPECT_EQ(ok.Files[0].DataDir, "/data/");

    files.push_back("/data/h256a.hrm");
    const ChosenFiles tooMany = splitChosenFiles(files);
    EXPECT_FALSE(tooMany.ok());
    EXPECT_TRUE(tooMany.Files.empty());
    EXPECT_NE(tooMany.Refusal.find("256"), std::string::npos);

    const ChosenFiles oneBad = splitChosenFiles({"/data/h1a.hrm", "/data/" + std::string(40, 'n') + ".hrm"});
    EXPECT_FALSE(oneBad.ok());
    EXPECT_TRUE(oneBad.Files.empty());
}

}  // namespace
}  // namespace vk7
