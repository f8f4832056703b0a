// The checks of the office harnesses: a user's blank of any bytes, taken as a workbook and
// as a document, by the office layer and by every protocol that fills one.
#pragma once

#include <string>
#include <vector>

namespace vk7::fuzz {

// The blanks that install/doc/ brings: prot.xlsx, povx.xlsx, povy.xlsx and pr.docx.
struct InstalledBlank {
    std::string name;
    std::string bytes;
    bool workbook = true;
};
const std::vector<InstalledBlank>& installedBlanks();

// A blank taken as a workbook: what opens can be written and read back, and saved again
// without a change; the workbook protocol and the verification protocol that use it as their
// blank either write their protocol with the cells they put into its first sheet or give the
// blank's own message.
void checkWorkbookBlank(const std::string& bytes);

// A blank taken as a document: what opens takes text and a picture and reads back, and the
// document protocol either writes its protocol or gives the blank's own message.
void checkDocumentBlank(const std::string& bytes);

}  // namespace vk7::fuzz
