// Methodology files (\space\<name>.trp) of any bytes, and values typed into the parameter
// grid. A methodology that loads is written so that it loads back to the same settings, and
// a second save writes the same file; a short or unreadable file changes nothing.
//
// Input: the .trp file, and the bytes of the typed values, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

#include "chromfile/methodology.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

namespace {

bool nearly(double a, double b) { return a == b || std::fabs(a - b) <= 1e-13 * std::max(std::fabs(a), std::fabs(b)); }

// The twelve values of a methodology hold the same (reals to their 15 written digits).
void checkSameMethodology(const ProcessingSettings& a, const ProcessingSettings& b) {
    FUZZ_CHECK(a.AveragingMs == b.AveragingMs && a.MarkupMode == b.MarkupMode && a.IdentMode == b.IdentMode);
    FUZZ_CHECK(a.ReferencePeakNo == b.ReferencePeakNo && a.QuantMethod == b.QuantMethod);
    FUZZ_CHECK(a.StandardPeakNo == b.StandardPeakNo && a.AreaMethod == b.AreaMethod);
    FUZZ_CHECK(a.ReferenceSubstance == b.ReferenceSubstance);
    FUZZ_CHECK(nearly(a.TimeTolerancePct, b.TimeTolerancePct) && nearly(a.DetectThreshold, b.DetectThreshold));
    FUZZ_CHECK(nearly(a.StandardConc1, b.StandardConc1) && nearly(a.StandardConc2, b.StandardConc2));
}

// Saved and loaded again; the file's bytes in `bytes`.
ProcessingSettings saveAndLoad(const StartFolder& start, const ProcessingSettings& s, std::string& bytes) {
    SaveMethodology(start, s);
    bytes = readFileBytes(methodologyPath(start, s.MethodologyName));
    ProcessingSettings back;
    back.MethodologyName = s.MethodologyName;
    FUZZ_CHECK(LoadMethodology(start, back).empty());
    // A line break inside a text is written as a blank.
    ProcessingSettings written = s;
    written.ReferenceSubstance = fuzz::asWritten(s.ReferenceSubstance);
    checkSameMethodology(written, back);
    return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 2);
    const StartFolder start = fuzz::freshStartFolder();
    safeRewrite(start.ensureFolder("space") / "m.trp", parts[0]);

    ProcessingSettings s;
    s.MethodologyName = "m";
    const ProcessingSettings before = s;
    const std::string refusal = LoadMethodology(start, s);
    if (!refusal.empty()) {
        FUZZ_CHECK(s == before);
        return 0;
    }
    std::string first, second;
    const ProcessingSettings back = saveAndLoad(start, s, first);
    saveAndLoad(start, back, second);
    FUZZ_CHECK(second == first);

    // Values typed into the grid, or chosen from its lists, are saved and loaded the same.
    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[1].data()), parts[1].size());
    ProcessingSettings typed = back;
    while (in.remaining_bytes() > 0) {
        const int row = in.ConsumeIntegralInRange(0, kParameterRows - 1);
        if (in.ConsumeBool()) SetParameterChoice(typed, row, in.ConsumeIntegralInRange(-1, 4));
        else SetTypedParameter(typed, row, fuzz::asWritten(in.ConsumeRandomLengthString(40)), parameterGridRows(typed)[size_t(row)].Value);
        FUZZ_CHECK(parameterGridRows(typed).size() == size_t(kParameterRows));
    }
    // A peak number typed as 0 is read as 1, as from any file.
    if (typed.ReferencePeakNo == 0) typed.ReferencePeakNo = 1;
    if (typed.StandardPeakNo == 0) typed.StandardPeakNo = 1;
    typed.MethodologyName = "t";
    saveAndLoad(start, typed, first);
    return 0;
}
