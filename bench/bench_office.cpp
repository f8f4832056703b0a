// Office figures: the export of a full point array (32768 points) to points.xlsx, and an Excel
// protocol of a table of 255 peaks on the installed blank.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "results/office_protocols.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace vk7;
namespace fs = std::filesystem;

void BM_ExportPoints32768(benchmark::State& state) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    OpenChromatogram chrom;
    chrom.Points.resize(32768);
    for (int i = 1; i <= 32768; ++i) chrom.Points[i] = static_cast<int16_t>((i * 37) % 30000 - 15000);
    chrom.SamplingRate = 25;
    chrom.SamplesPerPoint = 4;
    for (auto _ : state) {
        const std::string message = ExportPointsToExcel(start, chrom, 10, "32768", {});
        benchmark::DoNotOptimize(message);
    }
}
BENCHMARK(BM_ExportPoints32768)->Unit(benchmark::kMillisecond);

void BM_ExcelProtocol255Rows(benchmark::State& state) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    fs::create_directories(dir / "doc");
    fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / "prot.xlsx", dir / "doc" / "prot.xlsx");
    AnalysisProtocolInput in;
    in.FileName = "h1a.hrm";
    in.Comment = RU("10.12.2025 14:05 проба");
    in.Grid.push_back({"N", RU("t, мин"), RU("h, мВ"), RU("b, с"), RU("K асс"), RU("S, мВ.с"), RU("S, %"),
                       RU("C, 1/см3"), RU("d, %"), RU("Вещество"), RU("Статус")});
    for (int i = 1; i <= 255; ++i)
        in.Grid.push_back({intText(i), fixedText(i * 0.1, 0, 2), "11.000", "4.5", "1.0", "100.000", "0.39",
                           fixedText(i * 0.01, 0, 3), "-", RU("вещество ") + intText(i), RU("Расчет")});
    for (int i = 0; i < 14; ++i) in.Passport[static_cast<size_t>(i)] = {RU("Строка"), "v"};
    for (auto _ : state) {
        SaveExcelProtocolSettings(start, {"prot.xlsx", 1, ""});
        const ExcelProtocolOutcome out = WriteExcelProtocol(start, in);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ExcelProtocol255Rows)->Unit(benchmark::kMillisecond);

}  // namespace
