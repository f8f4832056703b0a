// komp.dat of any bytes, the norms of each substance per examined medium. The table saved
// after a load loads back with the same media, the same substances in the same order and
// each norm within the rounding of its 10 columns; a second save writes the same bytes.
// The norms typed into the window's grid read back within 0.05 %.
//
// Input: komp.dat, and the bytes of the typed norms, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "processing/table_rows.h"
#include "results/protocol_files.h"

using namespace vk7;

namespace {

// A norm as its 10 columns give it back: to 3 decimals, or 0.05 % in the exponent form. A
// negative norm of 1E+100 or more in size (which the norms window never takes) has room for
// three digits only ("-1.05E+128"): half a unit of the third.
bool normKept(std::optional<double> was, std::optional<double> now) {
    if (!was || !now) return was.has_value() == now.has_value();
    const double share = *was < 0 && (std::fabs(*was) >= 9.995e99 || std::fabs(*was) < 1e-99) ? 0.005 : 0.0005;
    return std::fabs(*was - *now) <= std::max(0.0005, share * std::fabs(*was));
}

void checkSameTable(const NormsTable& was, const NormsTable& now) {
    FUZZ_CHECK(now.Media.size() == was.Media.size());
    for (size_t k = 0; k < was.Media.size(); ++k) FUZZ_CHECK(now.Media[k] == fuzz::asWritten(was.Media[k]));
    FUZZ_CHECK(now.Substances.size() == was.Substances.size());
    for (size_t i = 0; i < was.Substances.size(); ++i) {
        const auto &a = was.Substances[i], &b = now.Substances[i];
        FUZZ_CHECK(trimTrailingBlanks(fuzz::asWritten(a.Name)) == b.Name);
        for (size_t k = 0; k < was.Media.size(); ++k) {
            // Norms beyond the 128 columns of a line are not kept.
            if (kNormNameWidth + kNormFieldWidth * (k + 1) > kNormsLineMax || a.Name.size() > kNormNameWidth) break;
            FUZZ_CHECK(normKept(k < a.Norms.size() ? a.Norms[k] : std::nullopt, k < b.Norms.size() ? b.Norms[k] : std::nullopt));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 2);
    const NormsTable table = parseNormsTable(splitLines(parts[0]));
    const std::vector<std::string> saved = normsTableLines(table);
    const NormsTable back = parseNormsTable(splitLines(joinLinesCrLf(saved)));
    checkSameTable(table, back);
    FUZZ_CHECK(joinLinesCrLf(normsTableLines(back)) == joinLinesCrLf(saved));

    // Norms typed into the grid of the window: every medium and substance a value.
    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[1].data()), parts[1].size());
    NormsTable typed;
    typed.Media = {"A", "B", "C"};
    while (in.remaining_bytes() > 0 && typed.Substances.size() < 20) {
        NormsTable::Substance s;
        s.Name = "s" + std::to_string(typed.Substances.size());
        for (size_t k = 0; k < typed.Media.size(); ++k) {
            // What the grid accepts: a number of 0 or more (0 is no norm), or nothing.
            const std::optional<double> v = parseStrictReal(in.ConsumeRandomLengthString(16));
            s.Norms.push_back(v && *v > 0 ? v : std::nullopt);
        }
        typed.Substances.push_back(std::move(s));
    }
    checkSameTable(typed, parseNormsTable(splitLines(joinLinesCrLf(normsTableLines(typed)))));
    return 0;
}
