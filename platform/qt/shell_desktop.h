// The shell of the programs: QDesktopServices opens a file in its associated application.
#pragma once

#include "platform/shell.h"

namespace vk7 {

class DesktopShell : public Shell {
public:
    bool open(const std::filesystem::path& file) override;
};

}  // namespace vk7
