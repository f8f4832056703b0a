// The methods file metn of any bytes, with a method saved into it and deleted again. A saved
// method is one more method of the file: every method listed before stays listed, the new
// name follows them, and when the name was new its record is the one found by that name.
// Deleting it again lists the methods as they were.
//
// Input: metn, the method name and the bytes of its record, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "acquisition/regime.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

namespace {

// The methods file as the regime grid reads it: lines cut to 64 characters.
std::vector<std::string> methodLines(const std::string& bytes) { return splitLines(bytes, 64); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 3);
    const std::string& before = parts[0];
    const std::string& name = parts[1];
    // What the grid saves: no name that is empty, "?" or more than one line.
    if (name.empty() || name == "?" || name.find_first_of("\r\n") != std::string::npos) return 0;

    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[2].data()), parts[2].size());
    MethodRecord record;
    for (size_t row = 0; row < record.rows.size(); ++row) {
        const int16_t p = in.ConsumeIntegral<int16_t>();
        record.rows[row] = in.ConsumeBool() ? intText(p, 5) : intText(p);
    }
    record.channelValue = in.ConsumeFloatingPointInRange(0.0, 999.0);
    record.recordTimeSec = in.ConsumeIntegral<uint16_t>();
    record.polarity = in.ConsumeBool() ? 1 : 0;

    const std::vector<std::string> namesBefore = methodNames(methodLines(before));
    const std::string after = appendMethod(before, name, record);
    const std::vector<std::string> lines = methodLines(after);
    const std::vector<std::string> namesAfter = methodNames(lines);

    // The methods listed before stay, and the new one follows them.
    FUZZ_CHECK(namesAfter.size() == namesBefore.size() + 1);
    FUZZ_CHECK(std::equal(namesBefore.begin(), namesBefore.end(), namesAfter.begin()));
    const std::string& saved = namesAfter.back();
    FUZZ_CHECK(name.starts_with(saved));
    FUZZ_CHECK(after.back() == '#');

    // A name new to the file finds the record just saved.
    if (std::find(namesBefore.begin(), namesBefore.end(), saved) == namesBefore.end()) {
        const std::optional<MethodRecord> found = findMethod(lines, saved);
        FUZZ_CHECK(found.has_value());
        FUZZ_CHECK(found->rows == record.rows);
        FUZZ_CHECK(found->channelValue == parseLenient(fixedText(record.channelValue, 5, 1)));
        FUZZ_CHECK(found->recordTimeSec == record.recordTimeSec);
        FUZZ_CHECK(found->polarity == record.polarity);

        // Deleting it lists the methods as they were; a file that ended with its record ends
        // with "#" as before.
        const std::string removed = removeMethod(splitLines(after), saved);
        FUZZ_CHECK(methodNames(methodLines(removed)) == namesBefore);
        // A second method saved after the deletion is found as well.
        const std::string again = appendMethod(removed, saved, record);
        FUZZ_CHECK(methodNames(methodLines(again)) == namesAfter);
    }
    return 0;
}
