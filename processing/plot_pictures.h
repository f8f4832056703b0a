// Names of the plot pictures in \results\: the next free number <N>.gif, the fixed fig.gif,
// and the peak table text that "Таблица TXT" opens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/paths.h"
#include "platform/shell.h"

namespace vk7 {

namespace fs = std::filesystem;

inline constexpr const char* kFigureGifName = "fig.gif";

// The highest N of the files in `folder` whose name ends with ".gif" (any case) and whose
// part before the first "." is a decimal number (0 when there is none or no folder).
// Names such as fig.gif or 12a.gif do not count; numbers are 32-bit.
uint32_t FindLastPictureNumber(const fs::path& folder);

// The highest number + 1, or nullopt when 4294967295.gif is already there.
std::optional<uint32_t> nextPictureNumber(const fs::path& folder);

// "<n>.gif".
std::string pictureFileName(uint32_t n);

// \results\<next number>.gif, creating \results when needed; nullopt when no number is free.
std::optional<fs::path> nextPicturePath(const StartFolder& start);
// \results\fig.gif, creating \results when needed.
fs::path figurePicturePath(const StartFolder& start);

// Asks the shell to open \results\<name>. Returns the message to show ("Нет файла
// \results\<name>" when it is missing, "Не удалось открыть файл \results\<name>" when the
// shell failed), or an empty text.
std::string OpenResultFile(const StartFolder& start, std::string_view name, Shell& shell);

// "Таблица TXT": asks the shell to open \results\tabl.txt. Returns the message to show
// ("Нет файла \results\tabl.txt" when it is missing), or an empty text.
std::string OpenTableText(const StartFolder& start, Shell& shell);

}  // namespace vk7
