#include "chromfile/chromatogram_key.h"

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::ChromatogramFixture;

ChromatogramFixture conditions() {
    ChromatogramFixture f;
    f.header[hw::Detector] = 1;
    f.header[hw::Gas] = 2;
    f.header[hw::Column] = 3;
    f.header[hw::Temperature] = 5;
    f.header[hw::Field5] = 6;
    f.header[hw::Field15] = 7;
    f.header[hw::Field16] = 8;
    f.header[hw::Field6] = 9;
    f.header[hw::Field7] = 10;
    f.header[hw::Field8] = 11;
    f.header[hw::LogR] = 693;  // R = 1.9997
    f.header[hw::Sm] = 7;
    f.header[hw::Unit] = 1;
    f.header[hw::Multiplier] = 3;
    f.samples = std::vector<int16_t>(200, 0);
    return f;
}

OpenChromatogram read(const ChromatogramFixture& f) {
    test::TempDir dir;
    ReadRequest req;
    req.AveragingMs = 160;
    return ReadChromatogram(f.write(dir / "h1a.hrm"), req).Chrom;
}

TEST(ChromatogramKey, ColumnsOfTheHeaderValues) {
    const std::string key = BuildChromatogramKey(read(conditions()));
    EXPECT_EQ(key, "# 1 2  3   5   6   7   8   9  10  11   0   0   7 1.9997E+0 4 1    3");
    ASSERT_EQ(key.size(), 67u);
    // Columns 49-58 read back as R, to four places.
    EXPECT_NEAR(parseLenient(key.substr(48, 10)), 1.9997, 1e-4);
}

TEST(ChromatogramKey, WideValuesShiftTheFollowingColumns) {
    ChromatogramFixture f = conditions();
    f.header[hw::Detector] = 100;
    f.header[hw::Field8] = -1000;
    f.header[hw::LogR] = -2303;  // R = 0.0999
    f.header[hw::Multiplier] = -2;
    const std::string key = BuildChromatogramKey(read(f));
    EXPECT_EQ(key, "#100 2  3   5   6   7   8   9  10-1000   0   0   7 9.9959E-2 4 1   -2");
}

TEST(ChromatogramKey, RUnitAndMultiplierLieOutsideTheConditions) {
    const std::string key = BuildChromatogramKey(read(conditions()));
    ChromatogramFixture other = conditions();
    other.header[hw::LogR] = 0;
    other.header[hw::Unit] = 3;
    other.header[hw::Multiplier] = 10;
    const std::string otherKey = BuildChromatogramKey(read(other));
    EXPECT_NE(key, otherKey);
    EXPECT_TRUE(sameKeyConditions(otherKey, key));

    ChromatogramFixture sm = conditions();
    sm.header[hw::Sm] = 8;
    EXPECT_FALSE(sameKeyConditions(BuildChromatogramKey(read(sm)), key));
    // A line shorter than the 48 characters of the conditions never matches.
    EXPECT_FALSE(sameKeyConditions(key.substr(0, 47), key));
    EXPECT_TRUE(sameKeyConditions(key.substr(0, 48), key));
}

}  // namespace
}  // namespace vk7
