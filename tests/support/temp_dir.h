// A fresh temporary folder per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string_view>

namespace vk7::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes a file below the folder (creating folders as needed) and returns its path.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
    std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

// Copies the installation data (`install`, the repository's install/ folder) into `start`
// as a new start folder, leaving out the placeholders of empty folders.
void copyInstallation(const std::filesystem::path& install, const std::filesystem::path& start);

}  // namespace vk7::test
