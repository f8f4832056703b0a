// Writes chromatogram files for tests from a header, samples, a comment, stored triples and
// a last word; the comment length (w14) and the triple count (w18) follow from the parts
// unless they are set on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"

namespace vk7::test {

struct ChromatogramFixture {
    std::array<int16_t, 20> header{};
    std::vector<int16_t> samples;
    std::string comment;  // Windows-1251
    std::vector<StoredPeak> triples;
    int16_t lastWord = 0;
    std::optional<int16_t> forcedCommentLength;  // to write an inconsistent w14
    std::optional<int16_t> forcedPeakCount;      // to write an inconsistent w18

    ChromatogramFixture();  // rate code 25, gain code 4, multiplier 1, R = 1

    std::vector<int16_t> words() const;
    std::filesystem::path write(const std::filesystem::path& file) const;

    // Samples 0, 1, 2, ... (each sample shows its own position).
    static std::vector<int16_t> ramp(int count, int start = 0);
};

}  // namespace vk7::test
