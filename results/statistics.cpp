#include "results/statistics.h"

#include <cmath>

namespace vk7 {

double StudentFactor(int n) {
    return 1.10764 + 0.05632 * std::exp(std::exp(std::exp(1.0 / n)));
}

double SampleDeviation(int n, double sumX, double sumX2) {
    const double dn = n;
    return std::sqrt(std::fabs(dn * sumX2 - sumX * sumX) / (dn * (dn - 1.0)));
}

}  // namespace vk7
