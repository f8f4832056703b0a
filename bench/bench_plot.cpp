// The main plot's full repaint: 32768 points with 200 peaks into a 1000 x 600 image, and
// the xor ruler moved by the mouse.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "common/cp1251.h"
#include "platform/qt/image_canvas.h"
#include "processing/plot_drawing.h"
#include "processing/plot_navigation.h"

namespace {

using namespace vk7;

QGuiApplication& app() {
    static int argc = 1;
    static char name[] = "bench_plot";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication a(argc, argv);
    return a;
}

// 32768 points at 25 samples per second, 5 per point (about 110 minutes), 200 peaks: every
// fourth pair of peaks is a group 'B', 'E', the others single; a third of them named.
std::unique_ptr<ProcessingState> bigState() {
    auto s = std::make_unique<ProcessingState>(StartFolder("/nonexistent"));
    s->ProgramMode = ModeShown;
    OpenChromatogram& c = s->Chrom;
    c.SamplingRate = 25;
    c.SamplesPerPoint = 5;
    c.GainCode = 4;
    constexpr int n = 32768, peaks = 200;
    c.Points = NumberedArray<int16_t>(n);
    const double spacing = double(n) / (peaks + 1);
    for (int i = 1; i <= n; ++i) {
        double v = 500 + 40 * std::sin(i / 300.0);
        const int k = static_cast<int>(i / spacing);
        for (int j = std::max(1, k - 1); j <= std::min(peaks, k + 1); ++j) {
            const double d = i - j * spacing;
            v += (3000 + 97 * (j % 50)) * std::exp(-d * d / (2 * 12.0 * 12.0));
        }
        c.Points[i] = static_cast<int16_t>(std::lround(v));
    }
    for (int j = 1; j <= peaks; ++j) {
        Peak p;
        const int centre = static_cast<int>(j * spacing);
        p.Start = centre - 50, p.Apex = centre, p.End = centre + 50;
        p.Type = 'M';
        if (j % 8 == 1) p.Type = 'B', p.End = centre + 81;
        if (j % 8 == 2) p.Type = 'E', p.Start = centre - 80;
        p.Name = j % 3 == 0 ? RU("Бензол") : "?";
        s->Markup.Peaks.push_back(p);
    }
    s->Settings.FileName = "h123a.hrm";
    s->Settings.ShowTemperature = true;
    c.Temperature = ParseTemperatureProgram("x: 50g-5m;10g/m;250g-30m", n * 5 / 25);
    s->View.ViewStartSec = 0;
    s->View.ViewEndSec = n * 5 / 25;
    return s;
}

void BM_RepaintPlot(benchmark::State& st) {
    app();
    auto s = bigState();
    ImageCanvas canvas(1000, 600);
    for (auto _ : st) {
        RulerReadouts r = RepaintPlot(canvas, *s);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}
BENCHMARK(BM_RepaintPlot)->Unit(benchmark::kMillisecond);

// The first repaint, before the rendered peak numbers and names are cached.
void BM_RepaintPlotFirst(benchmark::State& st) {
    app();
    auto s = bigState();
    for (auto _ : st) {
        ImageCanvas canvas(1000, 600);
        RulerReadouts r = RepaintPlot(canvas, *s);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}
BENCHMARK(BM_RepaintPlotFirst)->Unit(benchmark::kMillisecond);

void BM_RulerDrag(benchmark::State& st) {
    app();
    auto s = bigState();
    ImageCanvas canvas(1000, 600);
    RepaintPlot(canvas, *s);
    int x = 9;
    for (auto _ : st) {
        PlotMouseResult r = PlotMouseDown(canvas, *s, x, 300);
        benchmark::DoNotOptimize(r);
        x = x >= 970 ? 9 : x + 7;
    }
}
BENCHMARK(BM_RulerDrag)->Unit(benchmark::kMicrosecond);

}  // namespace
