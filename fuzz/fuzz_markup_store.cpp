// The markup store (\space\pics) of any bytes, read for the sample chromatogram in every
// markup mode that reads it. Writing the markup read and reading it again gives the same
// peaks, and a rewrite keeps the number of lines of the other sections.
#include "chromfile/markup_store.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const OpenChromatogram& chrom = fuzz::sampleChromatogram().Chrom;
    const std::vector<std::string> store = splitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int mode : {MarkupStore, MarkupCombined}) {
        const PeakMarkup read = parsePicsSection(store, chrom, mode);
        FUZZ_CHECK(read.PeakCount() <= 255);
        for (const Peak& p : read.Peaks) {
            FUZZ_CHECK(1 <= p.Start && p.Start <= p.Apex && p.Apex <= p.End && p.End <= chrom.PointCount());
        }
        const std::vector<std::string> section = picsSection(chrom, read);
        const std::vector<std::string> rewritten = replacePicsSection(store, section);
        FUZZ_CHECK(replacePicsSection(rewritten, section) == rewritten);
        const PeakMarkup again = parsePicsSection(rewritten, chrom, mode);
        FUZZ_CHECK(again.PeakCount() == read.PeakCount());
        for (int i = 1; i <= read.PeakCount(); ++i) {
            const Peak &a = read.Peaks[i], &b = again.Peaks[i];
            FUZZ_CHECK(a.Start == b.Start && a.Apex == b.Apex && a.End == b.End && a.Type == b.Type);
            FUZZ_CHECK(a.Name == b.Name);
        }
    }
    return 0;
}
