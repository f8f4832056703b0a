// Model files (\space\<name>.mod) and mod.dat of any bytes. A model that loads is set up and
// synthesised within its points; saved, it loads back with the same values and grid texts,
// and a second save writes the same bytes. Values typed into the grid and a new length are
// checked and synthesised like loaded ones. mod.dat keeps the name it was given.
//
// Input: the model file, mod.dat, and the bytes of the typed values, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include "common/files.h"
#include "fuzz/fuzz_support.h"
#include "modelling/chromatogram_model.h"

using namespace vk7;

namespace {

void checkCurve(const ChromatogramModel& m) {
    FUZZ_CHECK(m.ModelPointCount >= 0 && m.ModelPointCount <= kMaxModelPoints);
    FUZZ_CHECK(m.ModelCurve.count() == m.ModelPointCount);
    FUZZ_CHECK(m.OversamplingFactor >= 1 && m.OversamplingFactor <= kMaxOversampling);
}

// Saved under its name and loaded again.
ChromatogramModel saveAndLoad(const StartFolder& start, ChromatogramModel m, std::string& bytes) {
    SaveModelFile(start, m);
    bytes = readFileBytes(start.file("space", m.ModelName));
    ModelLoad back = LoadModelFile(start, m.ModelName);
    FUZZ_CHECK(back.Model.has_value());
    SetupModel(*back.Model);
    checkCurve(*back.Model);
    return *back.Model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 3);
    const StartFolder start = fuzz::freshStartFolder();
    const fs::path space = start.ensureFolder("space");

    safeRewrite(space / "mod.dat", parts[1]);
    writeCurrentModelName(start, readCurrentModelName(start));
    const std::string modDat = readFileBytes(space / "mod.dat");
    writeCurrentModelName(start, readCurrentModelName(start));
    FUZZ_CHECK(readFileBytes(space / "mod.dat") == modDat);

    safeRewrite(space / "m.mod", parts[0]);
    ModelLoad load = LoadModelFile(start, "m.mod");
    if (!load.Model) {
        FUZZ_CHECK(!load.Refusal.empty());
        return 0;
    }
    ChromatogramModel m = std::move(*load.Model);
    SetupModel(m);
    checkCurve(m);

    // What the window saves (only a grid the check accepts) loads back the same.
    if (!CheckModelGrid(m.Rows)) {
        std::string first, second;
        const ChromatogramModel back = saveAndLoad(start, m, first);
        FUZZ_CHECK(back.ModelLength == m.ModelLength);
        FUZZ_CHECK(back.ModelPointInterval == m.ModelPointInterval);
        FUZZ_CHECK(back.ModelTitle == fuzz::asWritten(m.ModelTitle));
        FUZZ_CHECK(back.ModelNoise == m.ModelNoise);
        FUZZ_CHECK(back.Rows == m.Rows);
        saveAndLoad(start, back, second);
        FUZZ_CHECK(second == first);
    }

    // Typed cells and lengths.
    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[2].data()), parts[2].size());
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeBool()) {
            if (m.Rows.empty()) InsertModelRow(m, 0);
            const size_t row = in.ConsumeIntegralInRange<size_t>(0, m.Rows.size() - 1);
            m.Rows[row][size_t(in.ConsumeIntegralInRange(0, 3))] = in.ConsumeRandomLengthString(40);
        } else {
            ChangeModelLength(m, in.ConsumeFloatingPoint<double>());
            SetupModelInterval(m);
        }
        if (!CheckModelGrid(m.Rows)) SynthesizeModel(m);
        checkCurve(m);
    }
    return 0;
}
