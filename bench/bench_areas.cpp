// Accuracy of the two area methods on synthetic chromatograms with known true areas, and the
// time of identification and quantitation on a chromatogram of 32768 points.
//
// The accuracy table is printed first: isolated Gaussian and exponentially tailed peaks at
// 10, 20 and 50 points per peak width (the base width 4 sigma), and pairs of Gaussians of
// equal width overlapped at resolutions 1.0 and 1.5 (R = spacing / 4 sigma) with height
// ratios 1:1, 2:1 and 10:1, split at the valley. Each signal stands on a drifting base
// line, is rounded to counts and goes through the same steps as the peak table: base line,
// then "Перпендик" (plain sums) or "ДемокрРазд" (shared base). The error is
// (measured - true) / true in percent.
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

// Relative errors in percent of each peak's area by one method.
std::vector<double> areaErrors(const Synthetic& s, bool shared) {
    Points pts = s.points;
    PeakMarkup m = markupFor(s);
    SubtractBaseline(pts, m);
    shared ? ComputeAreas(pts, m) : ComputePlainAreas(pts, m);
    std::vector<double> e;
    for (int i = 1; i <= m.PeakCount(); ++i)
        e.push_back((m.Peaks[i].Area - s.parts[size_t(i - 1)].area) / s.parts[size_t(i - 1)].area * 100);
    return e;
}

void printAccuracyTable() {
    std::printf("Relative area error, %% ((measured - true) / true); width = 4 sigma; base line 500 + 0.05 j\n");
    std::printf("%-44s %12s %12s\n", "case", "Перпендик", "ДемокрРазд");
    auto row = [](const std::string& what, const Synthetic& s) {
        const auto plain = areaErrors(s, false), shared = areaErrors(s, true);
        for (size_t k = 0; k < plain.size(); ++k) {
            std::string label = what;
            if (plain.size() > 1) label += k == 0 ? "  first" : "  second";
            std::printf("%-44s %+12.3f %+12.3f\n", label.c_str(), plain[k], shared[k]);
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
            std::snprintf(what, sizeof what, "pair R = %.1f, heights %d:1, 20 ppw", r, ratio);
            row(what, synthesize(2000, {gaussian(1000, sigma, 10000), gaussian(1000 + 4 * sigma * r, sigma, 10000.0 / ratio)}));
        }
    std::printf("\n");
}

// ---- timing -------------------------------------------------------------------------

// A chromatogram of 32768 points with 40 peaks (one group of three among them) on a
// drifting base with noise, its key, and an archive of 20 tables of 30 components, one of
// which matches.
struct Workload {
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    std::string key;

    Workload() {
        std::vector<Component> parts;
        for (int k = 0; k < 40; ++k) parts.push_back(gaussian(400 + 800.0 * k, 6 + k % 5, 2000 + 500 * (k % 7)));
        parts.push_back(gaussian(400 + 800.0 * 10 + 30, 6, 3000));  // a shoulder: a group
        parts.push_back(gaussian(400 + 800.0 * 10 + 60, 6, 2500));
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0, 3);
        for (int j = 1; j <= 32768; ++j) {
            double s = 500 + 0.01 * j + noise(rng);
            for (const auto& c : parts)
                if (std::fabs(j - c.apex) < 60) s += c.f(j);
            state.Chrom.Points.push_back(clampToInt16(roundHalfEven(s)));
        }
        for (int k = 0; k < 40; ++k) {
            Peak p;
            const int apex = 400 + 800 * k;
            p.Start = apex - 30;
            p.End = apex + (k == 10 ? 90 : 30);
            p.Apex = apex;
            state.Markup.Peaks.push_back(p);
        }
        // Peak 11 as a group of three: the shoulders become its 'G' and 'E'.
        state.Markup.Peaks[11].End = 400 + 8000 + 15;
        state.Markup.Peaks[11].Type = 'B';
        Peak g = state.Markup.Peaks[11], e = g;
        g.Start = g.End, g.End = 400 + 8000 + 45, g.Apex = 400 + 8000 + 30, g.Type = 'G';
        e.Start = g.End, e.End = 400 + 8000 + 90, e.Apex = 400 + 8000 + 60, e.Type = 'E';
        std::vector<Peak> peaks(state.Markup.Peaks.begin(), state.Markup.Peaks.end());
        peaks.insert(peaks.begin() + 11, {g, e});
        state.Markup.Peaks.clear();
        for (Peak& p : peaks) {
            p.StartValue = state.Chrom.Points[p.Start];
            p.EndValue = state.Chrom.Points[p.End];
            p.Height = state.Chrom.Points[p.Apex];
            state.Markup.Peaks.push_back(p);
        }

        state.Chrom.SamplingRate = 25;
        state.Chrom.SamplesPerPoint = 5;  // 5 points per second
        state.ProgramMode = ModePeakTable;
        state.Settings.CalibrationArchiveName = "grad";
        state.Settings.AreaMethod = 1;
        auto header = [](int detector) {
            std::string k = "#" + intText(detector, 2) + intText(1, 2) + intText(1, 3) + intText(1, 4);
            for (int i = 0; i < 6; ++i) k += intText(10 * i, 4);
            return k + "   0   0" + intText(1, 4) + expText(1, 10) + " 4" + intText(0, 2) + intText(1, 5);
        };
        std::vector<std::string> lines;
        for (int t = 1; t <= 20; ++t) {
            lines.push_back(header(t));
            for (int c = 0; c < 30; ++c)
                lines.push_back(formatCalibrationLine(
                    {(400.0 + 800 * (c + t % 3)) / 5, 100.0 + c, 1.0 + c, "Substance " + std::to_string(c), false}));
        }
        lines.push_back("#");
        dir.write("space/grad.grd", joinLinesCrLf(lines));
        key = header(7);
    }
};

// Identification and the peak-table computation (base line, areas by "ДемокрРазд",
// concentrations from grad.dat) on a fresh copy of the chromatogram each time; the copy of
// the 32768 points is included.
void BM_IdentifyAndQuantify(benchmark::State& st) {
    static Workload w;
    IdentifyPeaks(w.state, w.key);  // the files exist: later runs find them unchanged
    const Points original = w.state.Chrom.Points;
    const PeakMarkup markup = w.state.Markup;
    for (auto _ : st) {
        w.state.Chrom.Points = original;
        w.state.Markup = markup;
        auto notices = IdentifyPeaks(w.state, w.key);
        QuantifyPeaks(w.state, false);
        benchmark::DoNotOptimize(w.state.Markup.TotalArea);
        benchmark::DoNotOptimize(notices);
    }
    st.SetLabel("32768 points, 42 peaks, archive of 20 x 30 lines");
}
BENCHMARK(BM_IdentifyAndQuantify)->Unit(benchmark::kMicrosecond);

void BM_IdentifyOnly(benchmark::State& st) {
    static Workload w;
    IdentifyPeaks(w.state, w.key);
    for (auto _ : st) benchmark::DoNotOptimize(IdentifyPeaks(w.state, w.key));
}
BENCHMARK(BM_IdentifyOnly)->Unit(benchmark::kMicrosecond);

void BM_BaselineAndAreas(benchmark::State& st) {
    static Workload w;
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
