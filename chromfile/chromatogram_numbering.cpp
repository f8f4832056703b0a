#include "chromfile/chromatogram_numbering.h"

#include <cctype>
#include <limits>
#include <set>
#include <string>
#include <system_error>

#include "common/errors.h"
#include "common/files.h"

namespace vk7 {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string lowered(std::string s) {
    for (char& c : s) c = lower(c);
    return s;
}

}  // namespace

int64_t chromatogramFileNumber(const std::string& nameIn) {
    const std::string name = lowered(nameIn);
    // h, at least one digit, one letter, ".hrm"
    if (name.size() < 7 || name[0] != 'h' || name.substr(name.size() - 4) != ".hrm") return -1;
    const std::string stem = name.substr(1, name.size() - 5);
    if (stem.size() < 2 || !std::isalpha(static_cast<unsigned char>(stem.back()))) return -1;
    int64_t n = 0;
    for (size_t i = 0; i + 1 < stem.size(); ++i) {
        const char c = stem[i];
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<int32_t>::max()) return -1;
    }
    return n;
}

int32_t NextChromatogramNumber(const std::filesystem::path& folder, char letter) {
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec)) return 1;
    std::set<std::string> names;  // every entry, lower case
    int64_t highest = 0;
    std::filesystem::directory_iterator it(folder, ec), end;
    if (ec) throw IoError("list", pathForMessage(folder), ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec) throw IoError("list", pathForMessage(folder), ec.message());
        const std::string name = it->path().filename().string();
        names.insert(lowered(name));
        const int64_t n = chromatogramFileNumber(name);
        if (n > highest) highest = n;
    }
    const char l = lower(letter);
    for (int64_t n = highest + 1; n <= std::numeric_limits<int32_t>::max(); ++n) {
        const std::string stem = "h" + std::to_string(n) + l;
        if (!names.count(stem + ".hr") && !names.count(stem + ".hrm")) return static_cast<int32_t>(n);
    }
    throw IoError("number", pathForMessage(folder), "no file number left");
}

}  // namespace vk7
