#include "common/paths.h"

#include "common/cp1251.h"

namespace vk7 {

fs::path pathFromText(std::string_view cp1251) { return fs::path(toUtf8(cp1251)); }

std::string textFromPath(const fs::path& path) { return toCp1251(path.string()); }

fs::path findNoCase(const fs::path& dir, std::string_view nameCp1251) {
    fs::path exact = dir / pathFromText(nameCp1251);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    if (!ec) {
        for (const auto& entry : it) {
            if (equalsNoCaseCp1251(textFromPath(entry.path().filename()), nameCp1251))
                return dir / entry.path().filename();
        }
    }
    return exact;
}

fs::path resolveNoCase(const fs::path& dir, std::initializer_list<std::string_view> components) {
    fs::path p = dir;
    for (auto c : components) p = findNoCase(p, c);
    return p;
}

StartFolder::StartFolder(fs::path root) : root_(std::move(root)) {}

StartFolder StartFolder::current() { return StartFolder(fs::current_path()); }

fs::path StartFolder::folder(std::string_view name) const { return findNoCase(root_, name); }

fs::path StartFolder::file(std::string_view folderName, std::string_view fileName) const {
    fs::path dir = folderName.empty() ? root_ : folder(folderName);
    return findNoCase(dir, fileName);
}

fs::path StartFolder::ensureFolder(std::string_view name) const {
    fs::path p = folder(name);
    std::error_code ec;
    if (fs::is_directory(p, ec)) return p;
    fs::path created = root_ / pathFromText(lowerCp1251(name));
    fs::create_directories(created, ec);
    return created;
}

SplitPath splitChosenPath(std::string_view full) {
    size_t sep = full.find_last_of('/');
    if (sep == std::string_view::npos) return {std::string(), std::string(full)};
    return {std::string(full.substr(0, sep + 1)), std::string(full.substr(sep + 1))};
}

bool isDirectlyInFolder(const fs::path& file, const fs::path& folder) {
    std::error_code ec1, ec2;
    fs::path a = fs::weakly_canonical(fs::absolute(file).parent_path(), ec1);
    fs::path b = fs::weakly_canonical(fs::absolute(folder), ec2);
    if (ec1 || ec2) return false;
    return a == b;
}

}  // namespace vk7
