// The passport dictionaries \space\detect, gas, kolon, temp and sm: a header field holds the
// 1-based line number of its entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"

namespace vk7 {

constexpr size_t kMaxDictionaryLine = 128;

// All lines of \space\<name> (each at most 128 characters), or nullopt when the file is
// missing. Throws IoError when it exists but cannot be read.
std::optional<std::vector<std::string>> readDictionary(const StartFolder& start, std::string_view name);

// Line n (1-based) of \space\<name>; empty when n is 0, the file is shorter or missing.
std::string ReadDictionaryLine(const StartFolder& start, std::string_view name, int n);

// Line n of already read dictionary lines; empty outside 1..size.
std::string dictionaryEntry(const std::vector<std::string>& lines, int n);

}  // namespace vk7
