// The number of the next chromatogram file in a data folder, shared by the recording and
// the model writer so that no file is ever overwritten.
#pragma once

#include <cstdint>
#include <filesystem>

namespace vk7 {

// One more than the highest N among the names h<digits><letter>.hrm of `folder` (any case,
// any one letter, N within 32 bits; other names are skipped), then moved on while
// h<N><letter>.hr or h<N><letter>.hrm exists in any case. A missing folder gives 1.
// Throws IoError when the folder cannot be listed or no 32-bit number is left.
int32_t NextChromatogramNumber(const std::filesystem::path& folder, char letter);

// The number N of a name h<digits><letter>.hrm (any case), or -1 when the name is not one.
int64_t chromatogramFileNumber(const std::string& name);

}  // namespace vk7
