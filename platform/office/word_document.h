// A text document in the Office Open XML format (.docx), filled in-process from a blank.
//
// Text goes in at an insertion point that starts at the beginning of the blank's body and
// moves on behind what was inserted, so the blank's own content follows the inserted text.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/office/office_errors.h"

namespace vk7 {

class WordDocument {
public:
    // A document based on the blank. Throws IoError when it cannot be read and BlankError
    // when it is no document.
    static WordDocument fromBlank(const std::filesystem::path& file);
    WordDocument(WordDocument&&) noexcept;
    WordDocument& operator=(WordDocument&&) noexcept;
    ~WordDocument();

    // Inserts Windows-1251 text: code 13 ends the paragraph (the next one has the default
    // style), 9 is a tab, other control codes are dropped.
    void insert(const std::string& cp1251);
    // Inserts the GIF picture inline at 96 pixels per inch, scaled down to the text width.
    // Throws IoError when it cannot be read or is no GIF picture.
    void insertPicture(const std::filesystem::path& gif);

    std::string bytes();
    // Through the safe rewrite; IoError.
    void saveAs(const std::filesystem::path& file);

private:
    WordDocument();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vk7
