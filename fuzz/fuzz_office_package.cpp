// A user's blank of any bytes, taken as a workbook (.xlsx) and as a document (.docx): opened,
// written, read back and saved again by the office layer, and filled by the workbook, the
// verification and the document protocols. A package beyond the limits of parts and
// unpacked bytes is refused; what we write keeps every entry inside its folder.
#include "fuzz/office_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    vk7::fuzz::checkWorkbookBlank(bytes);
    vk7::fuzz::checkDocumentBlank(bytes);
    return 0;
}
