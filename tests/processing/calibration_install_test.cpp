// The installation data of the calibration archive: the starting archive and the captions.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "processing/calibration_files.h"

namespace vk7 {
namespace {

const fs::path kInstall = fs::path(VK7_SOURCE_DIR) / "install";

TEST(CalibrationInstall, StartingArchiveHoldsOnlyTheEndLine) {
    EXPECT_EQ(readFileBytes(kInstall / "space/grad.grd"), "#\r\n");
    auto a = loadCalibrationArchive(StartFolder(kInstall), "grad");
    EXPECT_EQ(a.tableCount(), 0);
    EXPECT_EQ(a.initialTable(), -1);
}

TEST(CalibrationInstall, PassportCaptions) {
    const std::string bytes = readFileBytes(kInstall / "space/regn.txt");
    auto lines = splitLines(bytes);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(joinLinesCrLf(lines), bytes);  // CR LF throughout
    for (const auto& l : lines) {
        EXPECT_FALSE(l.empty());
        EXPECT_LE(l.size(), 28u) << toUtf8(l);
    }
    EXPECT_EQ(lines[1], RU("Детектор"));
    auto captions = readCalibrationAttributeCaptions(StartFolder(kInstall));
    EXPECT_EQ(captions[1], RU("Газ-носитель"));
    EXPECT_EQ(captions[10], RU("Анализируемая смесь"));
}

}  // namespace
}  // namespace vk7
