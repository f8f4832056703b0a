// The passport's files of any bytes: regn.txt, paspo.txt and the five dictionaries, with the
// temperature programme of the temperature entry. The programme's times never decrease and
// its temperatures stay within what its items can say; a template written from the grid is
// applied back to the same indexes; pasp.txt has one line per row.
//
// Input: regn.txt, paspo.txt, detect, gas, kolon, temp, sm and a duration, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include "chromfile/dictionaries.h"
#include "chromfile/passport.h"
#include "chromfile/temperature_program.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 8);
    const StartFolder start = fuzz::freshStartFolder();
    const fs::path space = start.ensureFolder("space"), results = start.ensureFolder("results");
    safeRewrite(space / "regn.txt", parts[0]);
    safeRewrite(results / "paspo.txt", parts[1]);
    for (int d = 0; d < kPassportDictionaries; ++d) safeRewrite(space / passportDictionaryName(d), parts[size_t(2 + d)]);
    FuzzedDataProvider extra(reinterpret_cast<const uint8_t*>(parts[7].data()), parts[7].size());
    const int durationSec = extra.ConsumeIntegralInRange(0, 65535 * 10);

    const PassportSources sources = readPassportSources(start);
    for (const std::string& entry : sources.Dictionaries[DictTemp]) {
        const TemperatureProgram p = ParseTemperatureProgram(cutText(entry, 128), durationSec);
        FUZZ_CHECK(p.TempProgramCount >= 1 && p.TempProgramCount < TemperatureProgram::kMaxPoints);
        for (int i = 0; i <= p.TempProgramCount; ++i) {
            if (i > 0) FUZZ_CHECK(p.TempProgramTimes[size_t(i - 1)] <= p.TempProgramTimes[size_t(i)]);
            FUZZ_CHECK(p.TempProgramTimes[size_t(i)] >= 0);
            FUZZ_CHECK(-999 <= p.TempProgramTemps[size_t(i)] && p.TempProgramTemps[size_t(i)] <= 9999);
        }
        FUZZ_CHECK(p.FinalTemperature == p.TempProgramTemps[size_t(p.TempProgramCount)]);
    }

    OpenChromatogram chrom = fuzz::sampleChromatogram().Chrom;
    const std::string refusal = ApplyPassportTemplate(start, chrom, sources);
    PassportGrid grid = FillPassportGrid(chrom, 3, sources);
    for (int row = 0; row < kPassportRows; ++row)
        if (passportRowDictionary(row)) choosePassportEntry(grid, row, extra.ConsumeIntegralInRange(0, 300), sources);
    FUZZ_CHECK(passportTextLines(chrom, 3, sources).size() == size_t(kPassportRows));
    const std::vector<std::string> text = splitLines(joinLinesCrLf(passportTextLines(chrom, 3, sources)));
    FUZZ_CHECK(text.size() == size_t(kPassportRows));

    const PassportTemplateLines t = passportTemplateLines(grid);
    if (t.Refusal.empty()) {
        OpenChromatogram applied = fuzz::sampleChromatogram().Chrom;
        const std::string back = applyPassportTemplate(applied, splitLines(joinLinesCrLf(t.Lines)), sources);
        FUZZ_CHECK(back.empty());
        FUZZ_CHECK(applied.DetectorIndex == grid.Indexes[DictDetect] && applied.GasIndex == grid.Indexes[DictGas] &&
                   applied.ColumnIndex == grid.Indexes[DictKolon] && applied.TemperatureIndex == grid.Indexes[DictTemp] &&
                   applied.SmIndex == grid.Indexes[DictSm]);
    }
    (void)refusal;
    return 0;
}
