// Error types shared by both programs: a failed file operation and a failed conversion.
#pragma once

#include <stdexcept>
#include <string>

namespace vk7 {

// A file operation that failed. `operation` says what was attempted ("open", "read",
// "write", "rename", ...) and `path` names the file (UTF-8, as shown to the user).
class IoError : public std::runtime_error {
public:
    IoError(std::string operation, std::string path, std::string detail = {});
    const std::string& operation() const { return operation_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }

private:
    std::string operation_;
    std::string path_;
    std::string detail_;
};

// A text that had to be a number and was not (strict integer lines of settings files).
class ConversionError : public std::runtime_error {
public:
    ConversionError(std::string text, std::string where = {});
    const std::string& text() const { return text_; }
    const std::string& where() const { return where_; }

private:
    std::string text_;
    std::string where_;
};

}  // namespace vk7
