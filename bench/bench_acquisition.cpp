// Demodulation and the full engine step per input block, timed block by block: mean, p99
// and maximum in microseconds and the real-time factor (block duration / processing time).
// The 10-minute run feeds the engine from a producer thread through the block queue, paced
// at 50 times real time, and reports the blocks dropped on the way (must be 0).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "acquisition/acquisition_engine.h"
#include "chromfile/chromatogram_file.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr double kBlockSeconds = 2048.0 / kRate;
constexpr int kTenMinutesOfBlocks = int(600.0 / kBlockSeconds);

vk7::DetectorScript chromatogram() {
    vk7::DetectorScript s{0.002, {}};
    for (int i = 0; i < 20; ++i) s.peaks.push_back({20.0 + 28.0 * i, 0.01 + 0.005 * (i % 7), 2.0 + 0.3 * i});
    return s;
}

void report(benchmark::State& state, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double u : us) sum += u;
    const double mean = sum / double(us.size());
    state.counters["mean_us"] = mean;
    state.counters["p99_us"] = us[size_t(double(us.size() - 1) * 0.99)];
    state.counters["max_us"] = us.back();
    state.counters["realtime_x"] = kBlockSeconds * 1e6 / mean;
    state.counters["blocks"] = double(us.size());
}

// Ten minutes of blocks from a producer thread through the block queue into the engine,
// paced at 50 times real time; the handler's time per block in microseconds.
std::vector<double> feedTenMinutes(vk7::AcquisitionEngine& engine, uint64_t& dropped) {
    std::mutex m;
    std::condition_variable cv;
    bool woken = false;
    vk7::SoundBlockQueue queue(vk7::SoundBlockQueue::blocksPerSecond(kRate), [&] {
        std::lock_guard lock(m);
        woken = true;
        cv.notify_one();
    });
    std::thread producer([&] {
        vk7::SimulatedBox source;
        source.setDetector(0, chromatogram());
        source.setDetector(1, chromatogram());
        std::vector<int16_t> block(2 * 2048);
        const auto period = std::chrono::duration<double>(kBlockSeconds / 50.0);
        const auto start = Clock::now();
        for (int n = 0; n < kTenMinutesOfBlocks; ++n) {
            source.generateBlock(block.data());
            std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(period * (n + 1)));
            queue.push(block.data());
        }
    });
    std::vector<double> us;
    us.reserve(size_t(kTenMinutesOfBlocks));
    uint64_t taken = 0;
    while (taken + queue.dropped() < uint64_t(kTenMinutesOfBlocks)) {
        {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::milliseconds(20), [&] { return woken; });
            woken = false;
        }
        while (const int16_t* block = queue.take()) {
            const auto t0 = Clock::now();
            engine.blockFilled(block, 2048);
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            ++taken;
            queue.handBack();
        }
    }
    producer.join();
    dropped = queue.dropped();
    return us;
}

void BM_Demodulation(benchmark::State& state) {
    vk7::SimulatedBox box;
    box.setDetector(0, chromatogram());
    box.setDetector(1, chromatogram());
    std::vector<std::vector<int16_t>> blocks(256, std::vector<int16_t>(2 * 2048));
    for (auto& b : blocks) box.generateBlock(b.data());
    std::vector<double> us;
    us.reserve(size_t(kTenMinutesOfBlocks));
    double sink = 0;
    for (auto _ : state) {
        us.clear();
        for (int n = 0; n < kTenMinutesOfBlocks; ++n) {
            const auto t0 = Clock::now();
            const auto scans = vk7::scanBlock(blocks[size_t(n) % blocks.size()].data());
            for (int ch = 0; ch < 2; ++ch)
                sink += vk7::amplitudeToVolts(scans[size_t(ch)].amplitude, 1 / 15.0, -1 / 3.0, true, 0) +
                        vk7::periodMsFromScan(scans[size_t(ch)], kRate);
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        benchmark::DoNotOptimize(sink);
    }
    report(state, us);
}
BENCHMARK(BM_Demodulation)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_EngineStepTenMinutes(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vk7-bench-acquisition";
    fs::create_directories(dir);
    {
        std::ofstream(dir / "vk7.dat") << "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n";
        std::ofstream(dir / "calibrvk") << "0\r\n1\r\n0\r\n0.0666666666666667\r\n-0.333333333333333\r\n"
                                            "0.0666666666666667\r\n-0.333333333333333\r\n0\r\n0\r\n0\r\n0\r\n";
    }
    for (auto _ : state) {
        vk7::SimulatedBox box;  // the engine's input; blocks come through the queue below
        vk7::ScriptedDialogs dialogs;
        vk7::SystemClock clock;
        vk7::AcquisitionEngine engine({vk7::StartFolder(dir), box, dialogs, clock, nullptr});
        engine.create(277, 29);
        engine.showStartMessages();
        std::string shown;  // the texts the window takes after each block
        engine.setBlockObserver([&] {
            shown.clear();
            for (int ch = 1; ch <= 2; ++ch) {
                const auto& d = engine.display(ch);
                shown += d.valueText;
                shown += d.adcText;
                shown += d.frequencyText;
                shown += d.noiseText;
            }
        });

        uint64_t dropped = 0;
        const std::vector<double> us = feedTenMinutes(engine, dropped);
        benchmark::DoNotOptimize(shown);
        report(state, us);
        state.counters["dropped"] = double(dropped);
        state.counters["messages"] = double(dialogs.shown().size());
        engine.close();
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_EngineStepTenMinutes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both channels recorded for ten minutes into real files, each point written and flushed:
// the handler's time per block including the writes, the blocks dropped, and the files read
// back equal to the points sent ("mismatches" must be 0).
void BM_RecordingTenMinutesTwoChannels(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vk7-bench-recording";
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream(dir / "vk7.dat") << "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n";
        std::ofstream(dir / "calibrvk") << "0\r\n1\r\n0\r\n0.0666666666666667\r\n-0.333333333333333\r\n"
                                            "0.0666666666666667\r\n-0.333333333333333\r\n0\r\n0\r\n0\r\n0\r\n";
    }
    for (auto _ : state) {
        vk7::SimulatedBox box;
        vk7::ScriptedDialogs dialogs;
        vk7::SystemClock clock;
        vk7::AcquisitionEngine engine({vk7::StartFolder(dir), box, dialogs, clock, nullptr});
        engine.create(277, 29);
        engine.showStartMessages();
        engine.state().settings.recordTimeSec = {660, 660};
        engine.startRecording(1);
        engine.startRecording(2);
        std::array<std::vector<int16_t>, 2> sent;
        engine.setBlockObserver([&] {
            for (int ch = 1; ch <= 2; ++ch)
                sent[size_t(ch - 1)].push_back(vk7::recordedPoint(engine.state().measuredVolts[size_t(ch - 1)], 1.5625, 0));
        });
        uint64_t dropped = 0;
        const std::vector<double> us = feedTenMinutes(engine, dropped);
        engine.setBlockObserver(nullptr);
        std::array<fs::path, 2> files;
        for (int ch = 1; ch <= 2; ++ch) {
            engine.stopRecording(ch);
            files[size_t(ch - 1)] = engine.recording(ch).currentPath();
        }
        double mismatches = 0;
        for (size_t i = 0; i < 2; ++i) {
            const auto words = vk7::readChromatogramWords(files[i]);
            const int n = words.sampleCount();
            if (n != int(sent[i].size())) mismatches += std::abs(n - int(sent[i].size()));
            for (int k = 0; k < std::min(n, int(sent[i].size())); ++k)
                if (words.words[size_t(20 + k)] != sent[i][size_t(k)]) ++mismatches;
        }
        report(state, us);
        state.counters["dropped"] = double(dropped);
        state.counters["points_ch1"] = double(sent[0].size());
        state.counters["mismatches"] = mismatches;
        state.counters["messages"] = double(dialogs.shown().size());
        engine.close();
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_RecordingTenMinutesTwoChannels)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
