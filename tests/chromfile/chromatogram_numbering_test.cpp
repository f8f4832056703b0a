#include "chromfile/chromatogram_numbering.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(NextChromatogramNumber, CountsRecordedFilesAndNeverReusesAName) {
    const struct {
        std::vector<const char*> files;
        char letter;
        int32_t expected;
    } cases[] = {
        {{}, 'a', 1},
        {{"h9a.hrm", "h10b.hrm", "H11A.HRM"}, 'a', 12},
        {{"h9a.hrm", "h10b.hrm", "H11A.HRM", "fig.hrm", "a.hrm", "z.hrm", "h12a_copy.hrm"}, 'a', 12},
        {{"h9a.hrm", "h10b.hrm", "H11A.HRM", "h12a.hr"}, 'a', 13},
        {{"h9a.hrm", "h10b.hrm", "H11A.HRM", "h12a.hr"}, 'b', 12},
        {{"h3a.hrm", "h5b.hrm", "H4A.HRM", "h6a.hr"}, 'A', 7},
        {{"h70000b.hrm"}, 'a', 70001},
        {{"h99999999999a.hrm", "h2a.hrm"}, 'a', 3},  // beyond 32 bits: not a number
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        for (const char* f : c.files) dir.write(f, "x");
        EXPECT_EQ(NextChromatogramNumber(dir.path(), c.letter), c.expected) << c.files.size() << " files";
    }
}

TEST(NextChromatogramNumber, MissingFolderGivesOne) {
    test::TempDir dir;
    EXPECT_EQ(NextChromatogramNumber(dir / "none", 'c'), 1);
}

TEST(ChromatogramFileNumber, ParsesOnlyRecordedNames) {
    EXPECT_EQ(chromatogramFileNumber("h12a.hrm"), 12);
    EXPECT_EQ(chromatogramFileNumber("H7D.HRM"), 7);
    EXPECT_EQ(chromatogramFileNumber("h.hrm"), -1);
    EXPECT_EQ(chromatogramFileNumber("ha.hrm"), -1);
    EXPECT_EQ(chromatogramFileNumber("h12.hrm"), -1);
    EXPECT_EQ(chromatogramFileNumber("h12ab.hrm"), -1);
    EXPECT_EQ(chromatogramFileNumber("h12a.hr"), -1);
}

}  // namespace
}  // namespace vk7
