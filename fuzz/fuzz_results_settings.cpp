// The small settings files of the protocols and recalculations of any bytes: protex.dat,
// mask.dat, klimat.dat and modif.dat. What is saved after a load loads back the same, and
// a second save writes the same bytes; the recalculation factors they give are numbers.
//
// Input: protex.dat, mask.dat, klimat.dat, modif.dat, NUL-separated.
#include <cmath>

#include "common/errors.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"
#include "results/normalisation.h"
#include "results/office_protocols.h"
#include "results/protocol_files.h"

using namespace vk7;

namespace {
bool nearly(double a, double b) { return a == b || std::fabs(a - b) <= 1e-13 * std::max(std::fabs(a), std::fabs(b)); }

// Saves, loads and saves again: the second save writes the first one's bytes.
template <class Load, class Save>
auto checkResave(const fs::path& file, Load load, Save save) {
    const auto first = load();
    save(first);
    const std::string bytes = readFileBytes(file);
    const auto back = load();
    save(back);
    FUZZ_CHECK(readFileBytes(file) == bytes);
    return std::pair{first, back};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 4);
    const StartFolder start = fuzz::freshStartFolder();
    const fs::path space = start.ensureFolder("space");

    // protex.dat: whatever it holds loads leniently; what is saved loads strictly the same.
    safeRewrite(space / "protex.dat", parts[0]);
    try {
        LoadExcelProtocolSettings(start, true);
    } catch (const ConversionError&) {
    }
    const auto [excel, excelBack] = checkResave(
        space / "protex.dat", [&] { return LoadExcelProtocolSettings(start, false); },
        [&](const ExcelProtocolSettings& s) { SaveExcelProtocolSettings(start, s); });
    FUZZ_CHECK(excel.Number >= 0 && excel.Number <= 65535);
    const ExcelProtocolSettings strict = LoadExcelProtocolSettings(start, true);
    FUZZ_CHECK(strict.Number == excel.Number && excelBack.Number == excel.Number);
    FUZZ_CHECK(strict.BlankName == fuzz::asWritten(excel.BlankName) && strict.Operator == fuzz::asWritten(excel.Operator));
    FUZZ_CHECK(nextProtocolNumber(excel.Number) >= 0 && nextProtocolNumber(excel.Number) <= 65535);

    // mask.dat: 32 lines of six marks.
    safeRewrite(space / "mask.dat", parts[1]);
    const auto [mask, maskBack] = checkResave(
        space / "mask.dat", [&] { return LoadSumsMask(start); },
        [&](const std::vector<std::string>& m) { SaveSumsMask(start, m); });
    FUZZ_CHECK(mask == maskBack && mask.size() == size_t(kSumsMaskRows));
    for (const std::string& line : mask) FUZZ_CHECK(line.size() == size_t(kGroupSums));

    // klimat.dat and modif.dat: two reals each, written to 15 digits.
    safeRewrite(space / "klimat.dat", parts[2]);
    const auto [climate, climateBack] = checkResave(
        space / "klimat.dat", [&] { return LoadClimate(start); }, [&](const ClimateValues& v) { SaveClimate(start, v); });
    FUZZ_CHECK(nearly(climate.Pressure, climateBack.Pressure) && nearly(climate.Temperature, climateBack.Temperature));
    if (!ClimateRefusal(climate)) FUZZ_CHECK(std::isfinite(NormalConditionsFactor(climate)));

    safeRewrite(space / "modif.dat", parts[3]);
    const auto [formula, formulaBack] = checkResave(
        space / "modif.dat", [&] { return LoadFormulaCoefficients(start); },
        [&](const FormulaCoefficients& v) { SaveFormulaCoefficients(start, v); });
    // A b of 0 is kept as 0.001.
    FUZZ_CHECK(nearly(formula.A, formulaBack.A) && nearly(formula.B == 0 ? 0.001 : formula.B, formulaBack.B));
    return 0;
}
