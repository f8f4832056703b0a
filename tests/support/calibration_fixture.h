// Calibration-archive lines for tests: a 67-character table header (chromatogram key) and a
// component line in the archive's columns.
#pragma once

#include <string>

#include "common/number_text.h"
#include "processing/calibration_archive.h"

namespace vk7::test {

// The key of a chromatogram with the given detector and "sm" line numbers and channel R.
inline std::string calibrationKey(int detect, int sm, double r = 1.0) {
    std::string k = "#" + intText(detect, 2) + intText(1, 2) + intText(1, 3) + intText(1, 4);
    for (int i = 0; i < 6; ++i) k += intText(10 * i, 4);
    k += "   0   0" + intText(sm, 4) + expText(r, 10) + " 4" + intText(0, 2) + intText(1, 5);
    return k;
}

inline std::string calibrationLine(double t, double s, double c, const std::string& name, bool off = false) {
    return formatCalibrationLine({t, s, c, name, off});
}

}  // namespace vk7::test
