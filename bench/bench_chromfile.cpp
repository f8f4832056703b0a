// Time to read a chromatogram file and average its samples into the point array.
#include <benchmark/benchmark.h>

#include <random>

#include "chromfile/chromatogram_file.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace vk7;

struct File {
    test::TempDir dir;
    fs::path path;
    File(int samples, int16_t rateCode);
};

File::File(int samples, int16_t rateCode) {
    test::ChromatogramFixture fx;
    fx.header[0] = rateCode;
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 40);
    fx.samples.resize(size_t(samples));
    for (int i = 0; i < samples; ++i) fx.samples[size_t(i)] = static_cast<int16_t>(1000 + noise(rng));
    fx.comment = "bench";
    path = fx.write(dir / "h1a.hrm");
}

void run(benchmark::State& state, const File& f, int averagingMs) {
    ReadRequest req;
    req.AveragingMs = averagingMs;
    for (auto _ : state) {
        ReadResult r = ReadChromatogram(f.path, req);
        benchmark::DoNotOptimize(r.Chrom.Points[1]);
    }
}

// The largest file the format allows: 32768 points at width 32, about 1 M words.
void BM_ReadLargest(benchmark::State& state) {
    static File f(32768 * 32 - 25, 32);  // 32 samples per second
    run(state, f, 1000);  // 1000 ms at 32 per second: width 32
    state.SetLabel("1 M words, width 32");
}
BENCHMARK(BM_ReadLargest)->Unit(benchmark::kMillisecond);

// A typical recording: 60 min at 21.5 points per second, width 4.
void BM_ReadTypical(benchmark::State& state) {
    static File f(60 * 60 * 215 / 10, 21500);
    run(state, f, 186);
    state.SetLabel("60 min at 21.5/s, width 4");
}
BENCHMARK(BM_ReadTypical)->Unit(benchmark::kMicrosecond);

}  // namespace
