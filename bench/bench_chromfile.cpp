// Time to read a chromatogram file and average its samples into the point array, side by side
// with a plain read() of the same bytes, and the peak memory of one open of the largest file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using namespace vk7;
using Clock = std::chrono::steady_clock;

struct File {
    test::TempDir dir;
    fs::path path;
    size_t bytes = 0;
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
    bytes = fs::file_size(path);
}

// The floor: open, one read() of every byte into a buffer that is already there, close.
void plainRead(const File& f, std::vector<char>& buffer) {
    const int fd = ::open(f.path.c_str(), O_RDONLY);
    size_t done = 0;
    while (done < f.bytes) {
        const ssize_t n = ::read(fd, buffer.data() + done, f.bytes - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each iteration reads the file through the reader and then with a plain read(); the reported
// time is the reader's, the counters give both medians, their ratio and the cost per word.
void sideBySide(benchmark::State& state, const File& f, int averagingMs) {
    ReadRequest req;
    req.AveragingMs = averagingMs;
    std::vector<char> buffer(f.bytes);
    std::vector<double> reader, plain;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        ReadResult r = ReadChromatogram(f.path, req);
        benchmark::DoNotOptimize(r.Chrom.Points[1]);
        const auto t1 = Clock::now();
        plainRead(f, buffer);
        const auto t2 = Clock::now();
        const double readerSec = std::chrono::duration<double>(t1 - t0).count();
        reader.push_back(readerSec);
        plain.push_back(std::chrono::duration<double>(t2 - t1).count());
        state.SetIterationTime(readerSec);
    }
    const double readerMed = median(reader), plainMed = median(plain);
    state.counters["reader_ms"] = readerMed * 1e3;
    state.counters["read_ms"] = plainMed * 1e3;
    state.counters["ratio"] = readerMed / plainMed;
    state.counters["ns_per_word"] = readerMed * 1e9 / double(f.bytes / 2);
}

// The largest file the format allows: 32768 points at width 34, about 1.1 M words.
const File& largest() {
    static File f(32768 * 34 - 30, 34);  // 34 samples per second
    return f;
}

void BM_ReadLargest(benchmark::State& state) {
    sideBySide(state, largest(), 1000);  // 1000 ms at 34 per second: width 34
    state.SetLabel("1.1 M words, width 34");
}
BENCHMARK(BM_ReadLargest)->UseManualTime()->Unit(benchmark::kMillisecond);

// A typical recording: 60 min at 21.5 points per second, width 4.
void BM_ReadTypical(benchmark::State& state) {
    static File f(60 * 60 * 215 / 10, 21500);
    sideBySide(state, f, 186);
    state.SetLabel("60 min at 21.5/s, width 4");
}
BENCHMARK(BM_ReadTypical)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A short file, for the cost per word against the largest.
void BM_ReadShort(benchmark::State& state) {
    static File f(10'000 - 26, 34);
    sideBySide(state, f, 1000);
    state.SetLabel("10 k words, width 34");
}
BENCHMARK(BM_ReadShort)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Peak memory of one open of the largest file, measured in a fresh process of this program:
// the peak resident size is reset just before the reading (its loading peaks higher than
// anything after), and the peak after the reading is compared with the resident size before.
long statusKb(const char* field) {
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t n = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0) kb = std::atol(line + n + 1);
        std::fclose(f);
    }
    return kb;
}

void resetPeak() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

const bool kPeakChild = [] {
    const char* file = std::getenv("VK7_BENCH_PEAK_OF");
    if (!file) return false;
    ReadRequest req;
    req.AveragingMs = 1000;
    resetPeak();
    const long before = statusKb("VmRSS");
    ReadResult r = ReadChromatogram(file, req);
    benchmark::DoNotOptimize(r.Chrom.Points[1]);
    std::printf("%ld %ld\n", before, statusKb("VmHWM"));
    std::fflush(stdout);
    std::_Exit(0);
}();

void BM_PeakMemoryOfOneOpen(benchmark::State& state) {
    const File& f = largest();
    long baseline = 0, peak = 0;
    for (auto _ : state) {
        int out[2];
        if (::pipe(out) != 0) state.SkipWithError("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        env.push_back("VK7_BENCH_PEAK_OF=" + f.path.string());
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char self[] = "/proc/self/exe";
        char* argv[] = {self, nullptr};
        pid_t pid = 0;
        posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char text[128] = {};
        const ssize_t n = ::read(out[0], text, sizeof text - 1);
        ::close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n <= 0 || std::sscanf(text, "%ld %ld", &baseline, &peak) != 2) state.SkipWithError("no child report");
    }
    state.counters["baseline_kB"] = double(baseline);
    state.counters["peak_above_kB"] = double(peak - baseline);
    state.SetLabel("1.1 M words, one open in a fresh process");
}
BENCHMARK(BM_PeakMemoryOfOneOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
