// The error of a blank that cannot be used: its text is the message for the user.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vk7 {

class BlankError : public std::runtime_error {
public:
    explicit BlankError(std::string messageCp1251)
        : std::runtime_error("unusable blank"), message_(std::move(messageCp1251)) {}
    // Windows-1251 text for a message box.
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

enum class OfficeKind { Workbook, Document };

// The message for a blank that is not a package of `kind` ("Бланк <name> поврежден или не
// является книгой .xlsx" / "... документом .docx"), or an old binary office file ("... в
// старом двоичном формате ..."). `oldBinary` chooses the second.
std::string blankMessage(const std::filesystem::path& file, OfficeKind kind, bool oldBinary);

}  // namespace vk7
