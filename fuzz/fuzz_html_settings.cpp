// prot.dat of any bytes, the settings of the HTML protocol. The settings saved after a load
// load back the same, and a second save writes the same bytes.
#include "common/files.h"
#include "fuzz/fuzz_support.h"
#include "processing/table_rows.h"
#include "results/protocol_files.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const HtmlProtocolSettings read = parseHtmlProtocolSettings(splitLines(bytes));
    const std::vector<std::string> saved = htmlProtocolSettingsLines(read);
    const HtmlProtocolSettings back = parseHtmlProtocolSettings(splitLines(joinLinesCrLf(saved)));
    FUZZ_CHECK(back.Medium == fuzz::asWritten(read.Medium));
    FUZZ_CHECK(back.Blank == trimTrailingBlanks(fuzz::asWritten(read.Blank)));
    FUZZ_CHECK(back.ProtocolNumber == read.ProtocolNumber);
    FUZZ_CHECK(back.Operator == fuzz::asWritten(read.Operator));
    FUZZ_CHECK(joinLinesCrLf(htmlProtocolSettingsLines(back)) == joinLinesCrLf(saved));
    return 0;
}
