// Builds point arrays (and the raw samples of a file that reads back as them) from a flat
// base plus Gaussian peaks given by centre, height in counts and sigma in points, steps of
// the level, and dips (Gaussians of negative height). Values are rounded halves-to-even and
// clamped to 16 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "common/numbered_array.h"

namespace vk7::test {

class PointGenerator {
public:
    explicit PointGenerator(int count, double base = 0) : count_(count), base_(base) {}

    // A Gaussian centred at point `centre` (numbered from 1).
    PointGenerator& gaussian(double centre, double height, double sigma);
    // A dip: a Gaussian going down by `depth`.
    PointGenerator& dip(double centre, double depth, double sigma) { return gaussian(centre, -depth, sigma); }
    // The level changes by `height` from point `from` on.
    PointGenerator& step(int from, double height);
    // Point n takes exactly this value (after everything else).
    PointGenerator& set(int n, int16_t value);

    int count() const { return count_; }
    double value(int n) const;  // before rounding

    NumberedArray<int16_t> points() const;
    // Samples of a file that reads back as these points at `width` samples per point when
    // width divides the 20 header words: every point's value repeated `width` times, the
    // groups laid out block by block as the reader takes them.
    std::vector<int16_t> samples(int width) const;

private:
    struct Bump { double centre, height, sigma; };
    struct Step { int from; double height; };
    struct Fixed { int n; int16_t value; };
    int count_;
    double base_;
    std::vector<Bump> bumps_;
    std::vector<Step> steps_;
    std::vector<Fixed> fixed_;
};

}  // namespace vk7::test
