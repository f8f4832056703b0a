// Tick values of the chart axes whose step is a power of ten, halved until enough ticks fit.
#pragma once

namespace vk7 {

// Decimals of the tick values of an axis: 3 for steps below 0.1; otherwise at least `fewest`
// and as many as a halved step needs (0.5 -> 1, 0.25 -> 2), so that no two ticks read alike.
int tickDecimals(double step, int fewest);

}  // namespace vk7
