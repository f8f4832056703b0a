// Accuracy of the two area methods on synthetic chromatograms with known true areas, and the
// time of identification and quantitation on a chromatogram of 32768 points.
//
// The accuracy table is printed first: isolated Gaussian and exponentially tailed peaks at
// 10, 20 and 50 points per peak width (the base width 4 sigma), and pairs of Gaussians of
// equal width overlapped at resolutions 1.0 and 1.5 (R = spacing / 4 sigma) with height
// ratios 1:1, 2:1 and 10:1. Each signal stands on a drifting base line and is rounded to
// counts. Its markup comes either from ideal bounds (where the noise-free signal crosses
// 0.1 % of the smallest height, a pair split at its valley) or from the program's own
// detection, classification and measurement (smallest peak 2 mV, 200 ms); then the same
// steps as the peak table: base line, then "Перпендик" (plain sums) or "ДемокрРазд" (shared
// base). The error is (measured - true) / true in percent.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/number_text.h"
#include "processing/areas.h"
#include "processing/calibration_archive.h"
#include "processing/identification.h"
#include "processing/peak_detection.h"
#include "processing/pipeline.h"
#include "chromfile/chromatogram_key.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace vk7;
using Points = NumberedArray<int16_t>;

constexpr double kPi = 3.14159265358979323846;

// One component of a synthetic signal: a function of the point number and its true area in
// counts x points.
struct Component {
    std::function<double(double)> f;
    double area = 0;
    double apex = 0;
    double height = 0;
};

Component gaussian(double centre, double sigma, double height) {
    return {[=](double x) { return height * std::exp(-(x - centre) * (x - centre) / (2 * sigma * sigma)); },
            height * sigma * std::sqrt(2 * kPi), centre, height};
}

// A Gaussian of `sigma` convolved with an exponential decay of `tau` (both in points), scaled
// to `height` at its maximum.
Component tailed(double centre, double sigma, double tau, double height) {
    auto pdf = [=](double x) {
        const double z = (x - centre) / sigma;
        return 0.5 / tau * std::exp(sigma * sigma / (2 * tau * tau) - (x - centre) / tau) *
               std::erfc((sigma / tau - z) / std::sqrt(2.0));
    };
    double peak = 0, at = centre;
    for (double x = centre - 2 * sigma; x < centre + 4 * sigma + 4 * tau; x += 0.01)
        if (pdf(x) > peak) peak = pdf(x), at = x;
    const double scale = height / peak;
    return {[=](double x) { return scale * pdf(x); }, scale, at, height};
}

// The signal of the components on a base line of 500 counts drifting by 0.05 counts a point.
struct Synthetic {
    Points points;
    std::vector<Component> parts;
    double signal(int j) const {
        double s = 0;
        for (const auto& c : parts) s += c.f(j);
        return s;
    }
};

Synthetic synthesize(int n, std::vector<Component> parts) {
    Synthetic s{{}, std::move(parts)};
    for (int j = 1; j <= n; ++j)
        s.points.push_back(clampToInt16(roundHalfEven(500 + 0.05 * j + s.signal(j))));
    return s;
}

// Bounds where the noise-free signal rises above and falls below 0.1 % of the smallest
// component's height; a pair is split at the lowest point between the two apexes.
PeakMarkup markupFor(const Synthetic& s) {
    double smallest = 1e300;
    for (const auto& c : s.parts) smallest = std::min(smallest, c.height);
    const double floor = 0.001 * smallest;
    const int n = s.points.count();
    int start = 1, end = n;
    while (start < n && s.signal(start + 1) < floor) ++start;
    while (end > 1 && s.signal(end - 1) < floor) --end;
    std::vector<int> bounds{start};
    for (size_t k = 1; k < s.parts.size(); ++k) {
        const int from = static_cast<int>(s.parts[k - 1].apex), to = static_cast<int>(s.parts[k].apex);
        int valley = from;
        for (int j = from; j <= to; ++j)
            if (s.signal(j) < s.signal(valley)) valley = j;
        bounds.push_back(valley);
    }
    bounds.push_back(end);
    PeakMarkup m;
    for (size_t k = 0; k + 1 < bounds.size(); ++k) {
        Peak p;
        p.Start = bounds[k];
        p.End = bounds[k + 1];
        p.Type = s.parts.size() == 1 ? 'M' : (k == 0 ? 'B' : (k + 2 == bounds.size() ? 'E' : 'G'));
        p.StartValue = s.points[p.Start];
        p.EndValue = s.points[p.End];
        m.Peaks.push_back(p);
    }
    return m;
}

// The program's own markup of the signal: detection with a smallest peak of 2 mV at unit 0
// and multiplier 1 (419 counts), 200 ms averaging (peaks at least 5 points wide), measured.
PeakMarkup detectedMarkup(const Synthetic& s) {
    DetectionParams params;
    params.DetectThreshold = 2;
    params.AveragingMs = 200;
    PeakMarkup m;
    DetectPeaks(s.points, params, m);
    MeasurePeaks(s.points, m, false);
    return m;
}

// Relative errors in percent of each peak's area by one method; empty when the markup does
// not hold one peak per component.
std::vector<double> areaErrors(const Synthetic& s, const PeakMarkup& markup, bool shared) {
    Points pts = s.points;
    PeakMarkup m = markup;
    if (m.PeakCount() != static_cast<int>(s.parts.size())) return {};
    SubtractBaseline(pts, m);
    shared ? ComputeAreas(pts, m) : ComputePlainAreas(pts, m);
    std::vector<double> e;
    for (int i = 1; i <= m.PeakCount(); ++i)
        e.push_back((m.Peaks[i].Area - s.parts[size_t(i - 1)].area) / s.parts[size_t(i - 1)].area * 100);
    return e;
}

void printAccuracyTable() {
    std::printf("Relative area error, %%: (measured - true) / true; width = 4 sigma; base line 500 + 0.05 j counts\n");
    std::printf("Perpendik = \"Перпендик\" (plain sums), DemokrRazd = \"ДемокрРазд\" (shared base)\n");
    std::printf("%-46s %-21s %-21s\n", "", "ideal bounds", "detected markup");
    std::printf("%-46s %10s %10s %10s %10s %s\n", "case", "Perpendik", "DemokrRazd", "Perpendik", "DemokrRazd",
                "detected types");
    auto row = [](const std::string& what, const Synthetic& s) {
        const PeakMarkup ideal = markupFor(s), detected = detectedMarkup(s);
        const auto ip = areaErrors(s, ideal, false), is = areaErrors(s, ideal, true);
        const auto dp = areaErrors(s, detected, false), ds = areaErrors(s, detected, true);
        std::string types;
        for (const Peak& p : detected.Peaks) types += p.Type;
        for (size_t k = 0; k < ip.size(); ++k) {
            std::string label = what;
            if (ip.size() > 1) label += k == 0 ? ", first" : ", second";
            std::printf("%-46s %+10.3f %+10.3f ", label.c_str(), ip[k], is[k]);
            if (dp.empty())
                std::printf("%21s %s (%d peaks)\n", "-", types.c_str(), detected.PeakCount());
            else
                std::printf("%+10.3f %+10.3f %s\n", dp[k], ds[k], types.c_str());
        }
    };
    for (int ppw : {10, 20, 50}) {
        const double sigma = ppw / 4.0;
        row("Gaussian, " + std::to_string(ppw) + " points per width", synthesize(2000, {gaussian(1000, sigma, 10000)}));
    }
    for (int ppw : {10, 20, 50}) {
        const double sigma = ppw / 4.0;
        row("tailed (tau = 1.5 sigma), " + std::to_string(ppw) + " points per width",
            synthesize(2000, {tailed(1000, sigma, 1.5 * sigma, 10000)}));
    }
    const double sigma = 5;  // 20 points per width
    for (double r : {1.0, 1.5})
        for (int ratio : {1, 2, 10}) {
            char what[64];
            std::snprintf(what, sizeof what, "pair R = %.1f, %d:1, 20 points per width", r, ratio);
            row(what, synthesize(2000, {gaussian(1000, sigma, 10000),
                                        gaussian(1000 + 4 * sigma * r, sigma, 10000.0 / ratio)}));
        }
    std::printf("\n");
}

// ---- timing -------------------------------------------------------------------------

// A chromatogram of 32768 points (5 points per second) with 40 peaks, one of them with two
// shoulders that make a group, on a drifting base with a little noise; an archive of 20
// tables of 30 components, one of which matches its key and names 30 of the peaks; settings
// as for the peak table ("Авто" markup, "ДемокрРазд", smallest peak 2 mV, 200 ms).
struct Workload {
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};

    Workload() {
        std::vector<Component> parts;
        for (int k = 0; k < 40; ++k) parts.push_back(gaussian(400 + 800.0 * k, 6 + k % 5, 2000 + 500 * (k % 7)));
        parts.push_back(gaussian(400 + 8000 + 25, 6, 3000));  // shoulders of peak 11
        parts.push_back(gaussian(400 + 8000 + 50, 6, 2500));
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0, 1);
        for (int j = 1; j <= 32768; ++j) {
            double v = 500 + 0.01 * j + noise(rng);
            for (const auto& c : parts)
                if (std::fabs(j - c.apex) < 80) v += c.f(j);
            state.Chrom.Points.push_back(clampToInt16(roundHalfEven(v)));
        }
        state.Chrom.SamplingRate = 25;
        state.Chrom.SamplesPerPoint = 5;
        state.ProgramMode = ModeShown;
        state.Settings.MarkupMode = 0;
        state.Settings.DetectThreshold = 2;
        state.Settings.AveragingMs = 200;
        state.Settings.AreaMethod = 1;
        state.Settings.CalibrationArchiveName = "grad";

        const std::string key = BuildChromatogramKey(state.Chrom);
        std::vector<std::string> lines;
        for (int t = 1; t <= 20; ++t) {
            std::string header = key;
            if (t != 7) header.replace(1, 2, intText(t + 10, 2));  // other detectors
            lines.push_back(header);
            for (int c = 0; c < 30; ++c)
                lines.push_back(formatCalibrationLine(
                    {(400.0 + 800 * (c + 5)) / 5, 100.0 + c, 1.0 + c, "Substance " + std::to_string(c), false}));
        }
        lines.push_back("#");
        dir.write("space/grad.grd", joinLinesCrLf(lines));
    }
};

// What the program does on opening the chromatogram and pressing Enter: the whole pipeline
// (detection, classification, measurement, identification with stt.dat and grad.dat) and
// the peak-table computation (base line, areas, concentrations from grad.dat). The points
// are restored from a copy each time (the base line changes them); the copy is timed too.
void BM_PipelineAndQuantify(benchmark::State& st) {
    static Workload w;
    const Points original = w.state.Chrom.Points;
    int named = 0;
    for (auto _ : st) {
        w.state.Chrom.Points = original;
        w.state.ProgramMode = ModeShown;
        PipelineResult r = ProcessChromatogram(w.state);
        w.state.ProgramMode = ModePeakTable;
        QuantifyPeaks(w.state, false);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(w.state.Markup.TotalArea);
    }
    for (const Peak& p : w.state.Markup.Peaks) named += isNamedPeak(p);
    st.counters["peaks"] = w.state.Markup.PeakCount();
    st.counters["named"] = named;
    st.counters["points"] = w.state.Chrom.PointCount();
}
BENCHMARK(BM_PipelineAndQuantify)->Unit(benchmark::kMicrosecond);

// The pipeline alone, as every zoom and scroll reruns it (files found unchanged).
void BM_PipelineOnly(benchmark::State& st) {
    static Workload w;
    for (auto _ : st) benchmark::DoNotOptimize(ProcessChromatogram(w.state));
    st.counters["peaks"] = w.state.Markup.PeakCount();
}
BENCHMARK(BM_PipelineOnly)->Unit(benchmark::kMicrosecond);

void BM_IdentifyOnly(benchmark::State& st) {
    static Workload w;
    ProcessChromatogram(w.state);
    for (auto _ : st) benchmark::DoNotOptimize(IdentifyPeaks(w.state));
}
BENCHMARK(BM_IdentifyOnly)->Unit(benchmark::kMicrosecond);

void BM_BaselineAndAreas(benchmark::State& st) {
    static Workload w;
    ProcessChromatogram(w.state);
    const Points original = w.state.Chrom.Points;
    for (auto _ : st) {
        Points pts = original;
        PeakMarkup m = w.state.Markup;
        SubtractBaseline(pts, m);
        ComputeAreas(pts, m);
        benchmark::DoNotOptimize(m.TotalArea);
    }
}
BENCHMARK(BM_BaselineAndAreas)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    printAccuracyTable();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
