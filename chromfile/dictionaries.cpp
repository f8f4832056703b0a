#include "chromfile/dictionaries.h"

#include "common/files.h"

namespace vk7 {

std::optional<std::vector<std::string>> readDictionary(const StartFolder& start, std::string_view name) {
    return readLinesIfExists(start.file("space", name), kMaxDictionaryLine);
}

std::string dictionaryEntry(const std::vector<std::string>& lines, int n) {
    if (n < 1 || n > static_cast<int>(lines.size())) return {};
    return lines[static_cast<size_t>(n - 1)];
}

std::string ReadDictionaryLine(const StartFolder& start, std::string_view name, int n) {
    if (n < 1) return {};
    auto lines = readDictionary(start, name);
    return lines ? dictionaryEntry(*lines, n) : std::string();
}

}  // namespace vk7
