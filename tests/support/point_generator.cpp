#include "tests/support/point_generator.h"

#include <cmath>
#include <stdexcept>

#include "common/number_text.h"

namespace vk7::test {

PointGenerator& PointGenerator::gaussian(double centre, double height, double sigma) {
    bumps_.push_back({centre, height, sigma});
    return *this;
}

PointGenerator& PointGenerator::step(int from, double height) {
    steps_.push_back({from, height});
    return *this;
}

PointGenerator& PointGenerator::set(int n, int16_t value) {
    fixed_.push_back({n, value});
    return *this;
}

double PointGenerator::value(int n) const {
    double v = base_;
    for (const Bump& b : bumps_) {
        const double x = (n - b.centre) / b.sigma;
        if (std::fabs(x) < 40) v += b.height * std::exp(-0.5 * x * x);
    }
    for (const Step& s : steps_)
        if (n >= s.from) v += s.height;
    return v;
}

NumberedArray<int16_t> PointGenerator::points() const {
    NumberedArray<int16_t> p(count_);
    for (int n = 1; n <= count_; ++n) p[n] = clampToInt16(roundHalfEven(value(n)));
    for (const Fixed& f : fixed_) p[f.n] = f.value;
    return p;
}

std::vector<int16_t> PointGenerator::samples(int width) const {
    if (width < 3 || 20 % width != 0) throw std::invalid_argument("width must divide the 20 header words");
    const NumberedArray<int16_t> p = points();
    const int groupsPerBlock = 2048 / width;
    const int spare = 2048 % width;  // words at the end of a block that belong to no group
    std::vector<int16_t> s;
    // The header fills the first 20 / width groups of block 0.
    int group = 20 / width;
    for (int n = 1; n <= count_; ++n) {
        if (group == groupsPerBlock) {
            s.insert(s.end(), size_t(spare), p[n]);
            group = 0;
        }
        s.insert(s.end(), size_t(width), p[n]);
        ++group;
    }
    return s;
}

}  // namespace vk7::test
