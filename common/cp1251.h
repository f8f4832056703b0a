// Windows-1251 text: the one byte-per-character encoding of every file and engine text.
#pragma once

#include <string>
#include <string_view>

namespace vk7 {

// Unicode code point of a Windows-1251 byte (bytes below 0x80 are ASCII).
char32_t cp1251ToUnicode(unsigned char byte);

// Windows-1251 byte of a code point, or -1 when the code page has none.
int unicodeToCp1251(char32_t codePoint);

// Whole-text conversions. Characters the code page cannot hold become '?';
// malformed UTF-8 bytes become '?' as well.
std::string toCp1251(std::string_view utf8);
std::string toUtf8(std::string_view cp1251);

// Case folding of one Windows-1251 character (Latin and Cyrillic letters).
char lowerCp1251(char c);
char upperCp1251(char c);
std::string lowerCp1251(std::string_view text);
bool equalsNoCaseCp1251(std::string_view a, std::string_view b);

// The text with every control character (below 0x20, and 0x7F) turned into a blank, so that
// a comment or a typed text from anywhere stays one line of a line file.
std::string blankControls(std::string_view text);

}  // namespace vk7

// A Russian literal written in UTF-8 in the source, converted to Windows-1251 once.
#define RU(literal)                                                            \
    ([]() -> const std::string& {                                              \
        static const std::string converted = ::vk7::toCp1251(literal);        \
        return converted;                                                      \
    }())
