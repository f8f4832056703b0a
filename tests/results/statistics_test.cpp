#include "results/statistics.h"

#include <cmath>

#include <gtest/gtest.h>

namespace vk7 {
namespace {

TEST(StudentFactor, MatchesTheTableOfFactors) {
    const struct { int n; double k; } cases[] = {
        {2, 11.32022}, {3, 4.29994}, {4, 3.19196}, {5, 2.78168}, {6, 2.57300},
        {7, 2.44777},  {8, 2.36462}, {9, 2.30552}, {10, 2.26141}, {20, 2.09234},
    };
    for (const auto& c : cases) EXPECT_NEAR(StudentFactor(c.n), c.k, 1e-5) << "n = " << c.n;
}

TEST(SampleDeviation, OfKnownSamplesAndOfEqualValues) {
    // 10, 11, 12: s = 1
    EXPECT_DOUBLE_EQ(SampleDeviation(3, 33, 100 + 121 + 144), 1.0);
    // 10.0, 10.5, 11.0, 10.5: s = 0.40825
    EXPECT_NEAR(SampleDeviation(4, 42, 100 + 110.25 + 121 + 110.25), 0.408248, 1e-6);
    // Three equal heights whose sums leave a tiny negative radicand in doubles.
    const double x = 12.345;
    const double s = SampleDeviation(3, 3 * x, 3 * x * x);
    EXPECT_FALSE(std::isnan(s));
    EXPECT_LT(s, 1e-6);
}

}  // namespace
}  // namespace vk7
