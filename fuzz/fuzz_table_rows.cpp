// Rows of the result tables: the row reader takes any line, and a row the writer makes from
// any peak keeps every value inside its columns, so that its number, its width and its
// name read back from where they belong, and h, S and C with four significant digits.
//
// Input: the lines for the reader; the same bytes drive the peaks of the writer.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>

#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "processing/peak_table.h"
#include "processing/table_rows.h"

using namespace vk7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TableText text = splitTableText(splitLines(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const std::string& line : text.Rows) {
        const TableRow row = readTableRow(line);
        FUZZ_CHECK(std::isfinite(row.Time) && std::isfinite(row.Height) && std::isfinite(row.Area) && std::isfinite(row.Conc));
        FUZZ_CHECK(row.Name.size() <= kTableNameMax);
    }

    FuzzedDataProvider in(data, size);
    OpenChromatogram chrom;
    chrom.SamplingRate = in.ConsumeFloatingPointInRange(0.001, 100000.0);
    chrom.SamplesPerPoint = in.ConsumeIntegralInRange(1, 1000);
    chrom.UnitCode = in.ConsumeIntegralInRange(0, 4);
    chrom.SignalMultiplier = in.ConsumeIntegralInRange(1, 32767);
    PeakMarkup markup;
    const int peaks = in.ConsumeIntegralInRange(1, 8);
    for (int i = 0; i < peaks; ++i) {
        Peak p;
        p.Start = in.ConsumeIntegralInRange(1, 1 << 24);
        p.Apex = p.Start + in.ConsumeIntegralInRange(0, 1 << 24);
        p.End = p.Apex + in.ConsumeIntegralInRange(0, 1 << 24);
        p.Height = in.ConsumeIntegral<int16_t>();
        p.Area = in.ConsumeFloatingPointInRange(-1e12, 1e12);
        p.Conc = in.ConsumeFloatingPointInRange(-1e12, 1e12);
        p.Type = "MBGE"[in.ConsumeIntegralInRange(0, 3)];
        p.Name = in.ConsumeRandomLengthString(40);
        for (char& c : p.Name)
            if (c == '\r' || c == '\n') c = '_';  // names come from lines
        markup.Peaks.push_back(p);
        markup.TotalArea += p.Area;
    }
    ProcessingSettings settings;
    settings.Decimals = in.ConsumeIntegralInRange(0, 5);
    settings.QuantMethod = in.ConsumeIntegralInRange(0, 1);
    settings.IdentMode = in.ConsumeIntegralInRange(0, 1);
    settings.StandardPeakNo = in.ConsumeIntegralInRange(1, peaks);
    settings.ReferencePeakNo = in.ConsumeIntegralInRange(1, peaks);
    settings.StandardConc1 = in.ConsumeFloatingPointInRange(-1e6, 1e6);

    const PeakTable table = BuildPeakTable(chrom, markup, settings);
    const std::vector<std::string> lines =
        splitLines(joinLinesCrLf(peakTableLines(peakTableTitle("h1a.hrm", "x"), table.Rows)));
    FUZZ_CHECK(lines.size() == size_t(kTableHeadLines + peaks));
    for (int i = 0; i < peaks; ++i) {
        const std::string& line = lines[size_t(kTableHeadLines + i)];
        const PeakTableRow& written = table.Rows[size_t(i)];
        const size_t nameColumn = columnSpan(TableColumn::Name).first - 1;
        FUZZ_CHECK(line.size() >= nameColumn);
        FUZZ_CHECK(line.substr(nameColumn) == written.Cells[CellName]);
        const TableRow back = readTableRow(line);
        FUZZ_CHECK(back.Number == i + 1);
        // b's 7 columns hold every width to a tenth up to 9999999 s, then the exponent form
        // of three significant digits, and of two from 1E+10 s.
        const double width = written.WidthSec;
        FUZZ_CHECK(std::fabs(back.Width - width) <= 0.5 + width * (width < 1e7 ? 1e-12 : width < 1e10 ? 5e-3 : 5e-2));
        // h, S and C keep four significant digits, or the decimals of their columns.
        auto close = [](double read, double value, int decimals) {
            return std::fabs(read - value) <= std::max(std::fabs(value) * 5e-4, 0.5 * std::pow(10.0, -decimals)) * (1 + 1e-9);
        };
        FUZZ_CHECK(close(back.Height, written.HeightMv, 3));
        FUZZ_CHECK(close(back.Area, written.AreaMvs, 3));
        if (written.Conc) FUZZ_CHECK(close(back.Conc, *written.Conc, settings.Decimals));
    }
    return 0;
}
