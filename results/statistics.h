// Statistics of repeated measurements shared by the averaging of analyses and the two
// repeatability checks.
#pragma once

namespace vk7 {

// The two-sided Student factor of n measurements used by the result tables:
// 1.10764 + 0.05632 * exp(exp(exp(1/n))). Callers refuse n < 2.
double StudentFactor(int n);

// The sample standard deviation from n, the sum and the sum of squares:
// sqrt(|n*sumX2 - sumX^2| / (n*(n-1))). The absolute value keeps the rounding noise of
// equal values from giving the root of a negative number. Callers refuse n < 2.
double SampleDeviation(int n, double sumX, double sumX2);

}  // namespace vk7
