// One part of an installed blank replaced by bytes of any kind (or a part added under any
// name, or one taken away), then checked as a user's blank: the XML of the workbook, its
// sheets, relationships, content types and shared strings, and of the document, reach the
// office layer without the packing around them.
//
// Input: a byte choosing the blank, a byte choosing its part (past the last: a new part,
// whose name comes first, NUL-terminated), then the part's bytes; no bytes remove the part.
#include <stdexcept>

#include "fuzz/office_checks.h"
#include "platform/office/zip_package.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const auto& blanks = fuzz::installedBlanks();
    const fuzz::InstalledBlank& blank = blanks[data[0] % blanks.size()];
    ZipPackage package = ZipPackage::fromBytes(blank.bytes);
    const std::vector<std::string> names = package.names();
    const size_t choice = data[1] % (names.size() + 1);
    std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::string name;
    if (choice < names.size()) {
        name = names[choice];
    } else {
        const size_t end = rest.find('\0');
        name = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
        if (name.empty()) return 0;
    }
    if (rest.empty()) package.removePart(name);
    else package.setPart(name, rest);
    std::string bytes;
    try {
        bytes = package.bytes();
    } catch (const std::runtime_error&) {
        return 0;  // a name the archive cannot hold: no such blank exists
    }
    if (blank.workbook) fuzz::checkWorkbookBlank(bytes);
    else fuzz::checkDocumentBlank(bytes);
    return 0;
}
