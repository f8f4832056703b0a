// Paths below the start folder: Windows-1251 names, lookup without regard to case,
// new folders in lower case, and the split of a chosen file into folder and name.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vk7 {

namespace fs = std::filesystem;

// A file-system path from a Windows-1251 text (names on disk are UTF-8).
fs::path pathFromText(std::string_view cp1251);
// The Windows-1251 text of a path.
std::string textFromPath(const fs::path& path);

// The entry `name` of `dir` matched without regard to case (Latin and Cyrillic): the exact
// name when it exists, else the first entry whose name folds equal, else dir / name.
fs::path findNoCase(const fs::path& dir, std::string_view nameCp1251);

// `dir` followed by each component, every one looked up without regard to case.
fs::path resolveNoCase(const fs::path& dir, std::initializer_list<std::string_view> components);

// The start folder of a program and the folders below it.
class StartFolder {
public:
    explicit StartFolder(fs::path root);
    // The current folder when the program starts.
    static StartFolder current();

    const fs::path& root() const { return root_; }
    // The subfolder (e.g. "space", "results", "doc", "help", "data"), looked up without regard to case.
    fs::path folder(std::string_view name) const;
    // A file in a subfolder ("" for the start folder itself).
    fs::path file(std::string_view folderName, std::string_view fileName) const;
    // The subfolder, created in lower case when it does not exist yet.
    fs::path ensureFolder(std::string_view name) const;

private:
    fs::path root_;
};

// A chosen file split at its last separator: `dir` ends with the separator.
struct SplitPath {
    std::string dir;
    std::string name;
};
SplitPath splitChosenPath(std::string_view fullPathCp1251);

// Whether `file` lies directly in `folder`, comparing canonical folders.
bool isDirectlyInFolder(const fs::path& file, const fs::path& folder);

}  // namespace vk7
