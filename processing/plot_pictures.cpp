#include "processing/plot_pictures.h"

#include <limits>
#include <system_error>

#include "common/cp1251.h"

namespace vk7 {

namespace {

// The number before the first "." of a ".gif" name, or nullopt.
std::optional<uint32_t> pictureNumber(const std::string& name) {
    if (name.size() < 4 || lowerCp1251(name.substr(name.size() - 4)) != ".gif") return std::nullopt;
    const std::string head = name.substr(0, name.find('.'));
    if (head.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : head) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + uint64_t(c - '0');
        if (v > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    }
    return static_cast<uint32_t>(v);
}

}  // namespace

uint32_t FindLastPictureNumber(const fs::path& folder) {
    uint32_t last = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (auto n = pictureNumber(textFromPath(it->path().filename()))) last = std::max(last, *n);
    return last;
}

std::optional<uint32_t> nextPictureNumber(const fs::path& folder) {
    const uint32_t last = FindLastPictureNumber(folder);
    if (last == std::numeric_limits<uint32_t>::max()) return std::nullopt;
    return last + 1;
}

std::string pictureFileName(uint32_t n) { return std::to_string(n) + ".gif"; }

std::optional<fs::path> nextPicturePath(const StartFolder& start) {
    const fs::path results = start.ensureFolder("results");
    const auto n = nextPictureNumber(results);
    if (!n) return std::nullopt;
    return results / pictureFileName(*n);
}

fs::path figurePicturePath(const StartFolder& start) {
    return findNoCase(start.ensureFolder("results"), kFigureGifName);
}

std::string OpenResultFile(const StartFolder& start, std::string_view name, Shell& shell) {
    const fs::path file = start.file("results", name);
    const std::string shown = "\\results\\" + std::string(name);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return RU("Нет файла ") + shown;
    if (!shell.open(file)) return RU("Не удалось открыть файл ") + shown;
    return {};
}

std::string OpenTableText(const StartFolder& start, Shell& shell) { return OpenResultFile(start, "tabl.txt", shell); }

}  // namespace vk7
