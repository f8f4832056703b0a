// Topic files (\space\<topic>.db), base.dat and the result tables of any bytes. A topic or
// base.dat that loads is saved so that it loads back the same, and a second save writes the
// same bytes; the trend chart of every substance is scaled, drawn, fitted, read at a cursor,
// zoomed and printed; a result added to the topic and a topic made from a table load back
// with what they were given.
//
// Input: the topic file, base.dat, the result table (tabl.txt, tabsum.txt and tablr.txt
// alike), and the bytes that choose cursors, zooms and rows, NUL-separated.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "platform/recording_printer.h"
#include "results/topics.h"
#include "results/trend_chart.h"

using namespace vk7;

namespace {

bool sameTheme(const ThemeFile& a, const ThemeFile& b) {
    if (a.Kind != b.Kind || a.TimeUnit != b.TimeUnit || a.Real != b.Real || a.Substances != b.Substances ||
        a.Rows.size() != b.Rows.size())
        return false;
    for (size_t i = 0; i < a.Rows.size(); ++i)
        if (themeRowLine(a.Rows[i]) != themeRowLine(b.Rows[i])) return false;
    return true;
}

void checkChart(const ThemeFile& theme, FuzzedDataProvider& in) {
    const ChartEdges edges = screenChartEdges(545, 321);
    for (size_t column = 0; column < theme.Substances.size() && column < 4; ++column) {
        const std::optional<TrendData> data = trendData(theme, column);
        if (!data) continue;
        for (const TrendRow& r : data->Rows) FUZZ_CHECK(std::isfinite(r.Value) && (!r.Days || std::isfinite(*r.Days)));
        const std::optional<TrendScale> scale = ScaleTrendAxes(trendRanges(data->Rows), edges);
        if (!scale) continue;
        FUZZ_CHECK(scale->TicksX >= 4 && scale->TicksY >= 4);
        const std::optional<TrendFit> fit = FitTrend(data->Rows);
        fuzz::NullCanvas canvas;
        DrawTrend(canvas, *scale, data->Rows, theme.TimeUnit, fit);
        const int cursor = in.ConsumeIntegralInRange(edges.Left, edges.Right);
        DrawTrendCursor(canvas, *scale, cursor);
        const TrendReadout readout = trendReadout(*scale, cursor, *data, theme.TimeUnit);
        FUZZ_CHECK(!readout.Time.empty() && !readout.Value.empty());

        const CanvasPoint a{in.ConsumeIntegralInRange(edges.Left, edges.Right), in.ConsumeIntegralInRange(edges.Top, edges.Bottom)};
        const CanvasPoint b{in.ConsumeIntegralInRange(edges.Left, edges.Right), in.ConsumeIntegralInRange(edges.Top, edges.Bottom)};
        const TrendRanges zoomed = zoomRanges(*scale, a, b);
        if (const auto z = ScaleTrendAxes(zoomed, edges)) DrawTrend(canvas, *z, data->Rows, theme.TimeUnit, std::nullopt);

        if (fit && column == 0) {
            RecordingPrinter printer(300, 2400, 3400);
            PrintTrendChart(*printer.begin({}), {300, 300}, scale->Ranges, data->Rows, *fit, "t", theme.Substances[0]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz::partsOf(data, size, 4);
    const StartFolder start = fuzz::freshStartFolder();
    const fs::path space = start.ensureFolder("space"), results = start.ensureFolder("results");
    FuzzedDataProvider in(reinterpret_cast<const uint8_t*>(parts[3].data()), parts[3].size());

    // base.dat
    safeRewrite(space / "base.dat", parts[1]);
    const ThemeBase base = LoadThemeBase(start);
    FUZZ_CHECK(base.Kind >= 0 && base.Kind < kThemeKinds && base.Name.size() <= kThemeNameMax);
    SaveThemeBase(start, base);
    const std::string baseBytes = readFileBytes(space / "base.dat");
    const ThemeBase baseBack = LoadThemeBase(start);
    FUZZ_CHECK(baseBack.Kind == base.Kind && baseBack.Name == fuzz::asWritten(base.Name) && baseBack.TimeUnit == fuzz::asWritten(base.TimeUnit));
    FUZZ_CHECK(baseBack.Real == parseLenient(fixedText(base.Real, 5, 1)));
    SaveThemeBase(start, baseBack);
    FUZZ_CHECK(readFileBytes(space / "base.dat") == baseBytes);

    // The topic file.
    safeRewrite(space / "t.db", parts[0]);
    const std::optional<ThemeFile> theme = LoadThemeFile(start, "t");
    FUZZ_CHECK(theme.has_value());
    FUZZ_CHECK(theme->Kind >= 0 && theme->Kind < kThemeKinds);
    SaveThemeFile(start, "t", *theme);
    const std::string themeBytes = readFileBytes(space / "t.db");
    const std::optional<ThemeFile> back = LoadThemeFile(start, "t");
    FUZZ_CHECK(back && back->Kind == theme->Kind && back->Rows.size() == theme->Rows.size());
    FUZZ_CHECK(back->Substances.size() == theme->Substances.size());
    for (size_t k = 0; k < theme->Substances.size(); ++k) FUZZ_CHECK(back->Substances[k] == fuzz::asWritten(theme->Substances[k]));
    SaveThemeFile(start, "t", *back);
    FUZZ_CHECK(readFileBytes(space / "t.db") == themeBytes);
    FUZZ_CHECK(sameTheme(*LoadThemeFile(start, "t"), *back));

    checkChart(*back, in);
    {
        RecordingPrinter printer(300, 2400, 3400);
        ThemeTablePrintout table{"t", {}, back->Rows};
        table.Heading.push_back("date");
        table.Heading.insert(table.Heading.end(), back->Substances.begin(), back->Substances.end());
        PrintThemeTable(*printer.begin({}), {in.ConsumeIntegralInRange(72, 1200), 300}, table);
    }

    // A result added to the topic, and a topic made from the table.
    for (const char* name : {"tabl.txt", "tabsum.txt", "tablr.txt"}) safeRewrite(results / name, parts[2]);
    const CurrentResult current{"h12a.hrm", "12.03.2024 10:15", true, true};
    const AddOutcome added = AddResultToTheme(start, "t", current);
    if (added.Added) {
        const std::optional<ThemeFile> now = LoadThemeFile(start, "t");
        FUZZ_CHECK(now && now->Rows.size() == back->Rows.size() + 1);
        const ThemeRow& row = now->Rows.back();
        // The file number of the chromatogram that tabl.txt names.
        const auto key = themeRowKey(resultFileName(splitLines(parts[2]), current.FileName));
        FUZZ_CHECK(key && row.Date == "12.03.2024" && row.Time == " 12:00" && row.Key == *key);
        if (now->Substances.size() <= size_t(kThemeMaxSubstances))
            for (const std::string& v : row.Values) FUZZ_CHECK(v.size() == kThemeValueWidth);
    }

    const int kind = in.ConsumeIntegralInRange(0, kThemeKinds - 1);
    std::vector<SelectionRow> rows = SelectionRows(start, kind);
    for (SelectionRow& r : rows) r.Active = in.ConsumeBool();
    ThemeBase made = baseBack;
    const CreateOutcome created = CreateTheme(start, made, "n", kind, rows, current);
    if (created.Created) {
        const std::optional<ThemeFile> n = LoadThemeFile(start, "n");
        FUZZ_CHECK(n && n->Kind == kind && n->Rows.size() == 1);
        std::vector<std::string> keys, values;
        for (const SelectionRow& r : rows)
            if (r.Active) keys.push_back(fuzz::asWritten(r.Key)), values.push_back(*themeValueText(r.Value));
        FUZZ_CHECK(n->Substances == keys);
        FUZZ_CHECK(n->Rows[0].Values == values);
        FUZZ_CHECK(LoadThemeBase(start).Name == "n");
        // The table it was made from matches it (its keys as the file holds them), whatever
        // else refuses the row.
        if (std::all_of(rows.begin(), rows.end(), [](const SelectionRow& r) { return r.Key == fuzz::asWritten(r.Key); })) {
            const AddOutcome again = AddResultToTheme(start, "n", current);
            FUZZ_CHECK(again.Added || again.Message != RU("Объект не по теме"));
        }
    }
    return 0;
}
