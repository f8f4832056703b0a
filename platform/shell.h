// Opening a written result file in the application the desktop associates with it
// ("open" in the shell), and the recorder that stands in for it in tests.
#pragma once

#include <filesystem>
#include <vector>

namespace vk7 {

class Shell {
public:
    virtual ~Shell() = default;
    // Asks the desktop to open the file; false when it could not.
    virtual bool open(const std::filesystem::path& file) = 0;
};

// Tests: records every file it is asked to open and answers `result`.
class RecordingShell : public Shell {
public:
    bool open(const std::filesystem::path& file) override {
        opened.push_back(file);
        return result;
    }
    std::vector<std::filesystem::path> opened;
    bool result = true;
};

}  // namespace vk7
