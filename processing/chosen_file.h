// A chromatogram chosen in a file dialog, split into the folder and the name that the
// settings keep (DataDir, FileName). Every caller that takes a chosen chromatogram (open,
// several files, overlay, subtraction, the several-files peak table) splits it here.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vk7 {

constexpr size_t kMaxDataDirChars = 128;
constexpr size_t kMaxFileNameChars = 32;
constexpr size_t kMaxListFiles = 255;

struct ChosenFile {
    std::string DataDir;   // the folder, ending with the separator (Windows-1251)
    std::string FileName;  // the name (Windows-1251)
    std::string Refusal;   // a Russian message when the file cannot be taken; empty when it can

    bool ok() const { return Refusal.empty(); }
};

// Splits at the last separator. Refused, never cut: a name over 32 or a folder over 128
// characters, and a path whose characters the Windows-1251 settings cannot hold (the name
// kept would then point at another file).
ChosenFile splitChosenFile(const std::filesystem::path& chosen);

struct ChosenFiles {
    std::vector<ChosenFile> Files;
    std::string Refusal;

    bool ok() const { return Refusal.empty(); }
};

// The several-files choice: at most 255 files, each as splitChosenFile takes it; the first
// refusal refuses the whole choice.
ChosenFiles splitChosenFiles(const std::vector<std::filesystem::path>& chosen);

}  // namespace vk7
