// Processing figures: the detection, classification and measurement pass over a full point
// array, and the whole open of a typical chromatogram followed by the pipeline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "chromfile/markup_store.h"
#include "processing/peak_detection.h"
#include "processing/pipeline.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"

namespace {

using namespace vk7;
namespace fs = std::filesystem;

// `peaks` Gaussians evenly spread over `count` points, heights 2000 to 12000 counts, on a
// base with a little noise.
test::PointGenerator chromatogramSignal(int count, int peaks) {
    test::PointGenerator g(count, 50);
    std::mt19937 rng(7);
    const double spacing = double(count) / (peaks + 1);
    for (int k = 1; k <= peaks; ++k) g.gaussian(k * spacing, 2000 + double(rng() % 10000), 3 + double(rng() % 5));
    return g;
}

NumberedArray<int16_t> withNoise(NumberedArray<int16_t> p) {
    std::mt19937 rng(11);
    for (auto& v : p) v = static_cast<int16_t>(v + int(rng() % 5) - 2);
    return p;
}

DetectionParams benchParams() {
    DetectionParams p;
    p.DetectThreshold = 5.0;
    p.AveragingMs = 186;
    p.SamplingRate = 21.5;
    return p;
}

void BM_DetectClassifyMeasure(benchmark::State& st) {
    const NumberedArray<int16_t> points = withNoise(chromatogramSignal(32768, 200).points());
    const DetectionParams params = benchParams();
    PeakMarkup markup;
    for (auto _ : st) {
        DetectPeaks(points, params, markup);  // classifies as well
        MeasurePeaks(points, markup, false);
        benchmark::DoNotOptimize(markup.Peaks.begin());
    }
    st.counters["peaks"] = markup.PeakCount();
    st.counters["points"] = points.count();
}
BENCHMARK(BM_DetectClassifyMeasure)->Unit(benchmark::kMicrosecond);

void BM_ClassifyOnly(benchmark::State& st) {
    const NumberedArray<int16_t> points = withNoise(chromatogramSignal(32768, 200).points());
    PeakMarkup markup;
    DetectPeaks(points, benchParams(), markup);
    for (auto _ : st) {
        ClassifyPeakGroups(markup);
        benchmark::DoNotOptimize(markup.Peaks.begin());
    }
    st.counters["peaks"] = markup.PeakCount();
}
BENCHMARK(BM_ClassifyOnly)->Unit(benchmark::kMicrosecond);

// A temporary start folder with a typical chromatogram: 60 minutes at 21.5 samples per
// second (77400 samples), read at width 4 (186 ms), with 40 peaks.
struct TypicalFile {
    fs::path root;
    fs::path file;
    TypicalFile() {
        std::string templ = (fs::temp_directory_path() / "vk7-bench-XXXXXX").string();
        if (!::mkdtemp(templ.data())) std::abort();
        root = templ;
        test::ChromatogramFixture f;
        f.header[hw::Rate] = 21500;
        f.samples = chromatogramSignal(77400 / 4, 40).samples(4);
        std::mt19937 rng(5);
        for (auto& v : f.samples) v = static_cast<int16_t>(v + int(rng() % 7) - 3);
        f.comment = "bench";
        file = f.write(root / "data" / "h1a.hrm");
        // The pipeline's identification needs the active calibration archive (here empty).
        fs::create_directories(root / "space");
        std::FILE* grd = std::fopen((root / "space" / "grad.grd").c_str(), "wb");
        if (!grd || std::fputs("#\r\n", grd) < 0 || std::fclose(grd) != 0) std::abort();
    }
    ~TypicalFile() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

void openAndProcess(benchmark::State& st, int markupMode) {
    TypicalFile typical;
    ProcessingState state{StartFolder(typical.root)};
    state.Settings.AveragingMs = 186;
    state.Settings.DetectThreshold = 5.0;
    state.Settings.MarkupMode = markupMode;
    if (markupMode == MarkupStore) {
        // A store of 30 sections, this chromatogram's in the middle.
        ReadRequest req;
        req.AveragingMs = 186;
        OpenChromatogram other = ReadChromatogram(typical.file, req).Chrom;
        state.Chrom = other;
        DetectPeaks(other.Points, detectionParams(other, state.Settings), state.Markup);
        MeasurePeaks(other.Points, state.Markup, false);
        for (int k = 30; k >= 1; --k) {
            other.DetectorIndex = k;
            SaveMarkupToPics(state.Start, other, state.Markup);
        }
        state.Chrom.DetectorIndex = 15;
    }
    int peaks = 0;
    bool fromStore = false;
    for (auto _ : st) {
        ReadRequest req;
        req.AveragingMs = state.Settings.AveragingMs;
        req.MarkupMode = markupMode;
        ReadResult r = ReadChromatogram(typical.file, req);
        r.Chrom.DetectorIndex = state.Chrom.DetectorIndex;
        state.Markup = markupOfRead(r, markupMode);
        state.Chrom = std::move(r.Chrom);
        state.ProgramMode = ModeShown;
        ProcessChromatogram(state);
        peaks = state.Markup.PeakCount();
        // Only a store section leaves its stored heights in the areas.
        fromStore = peaks > 0 && state.Markup.Peaks[1].Area != 0;
    }
    st.counters["peaks"] = peaks;
    st.counters["from_store"] = fromStore;
    st.counters["points"] = state.Chrom.PointCount();
}

void BM_OpenAndProcessTypicalFile_Auto(benchmark::State& st) { openAndProcess(st, MarkupAuto); }
BENCHMARK(BM_OpenAndProcessTypicalFile_Auto)->Unit(benchmark::kMicrosecond);

void BM_OpenAndProcessTypicalFile_Store(benchmark::State& st) { openAndProcess(st, MarkupStore); }
BENCHMARK(BM_OpenAndProcessTypicalFile_Store)->Unit(benchmark::kMicrosecond);

// The pipeline alone on the open typical file (what a view change in mode 1 reruns).
void BM_PipelineOnTypicalFile_Auto(benchmark::State& st) {
    TypicalFile typical;
    ProcessingState state{StartFolder(typical.root)};
    state.Settings.AveragingMs = 186;
    state.Settings.DetectThreshold = 5.0;
    ReadRequest req;
    req.AveragingMs = 186;
    state.Chrom = ReadChromatogram(typical.file, req).Chrom;
    state.ProgramMode = ModeShown;
    for (auto _ : st) {
        ProcessChromatogram(state);
        benchmark::DoNotOptimize(state.Markup.Peaks.begin());
    }
    st.counters["peaks"] = state.Markup.PeakCount();
}
BENCHMARK(BM_PipelineOnTypicalFile_Auto)->Unit(benchmark::kMicrosecond);

}  // namespace
