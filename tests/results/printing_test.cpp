#include "results/printing.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "platform/recording_printer.h"

namespace vk7 {
namespace {

// ---- the peak table ----

std::array<std::string, kPeakTableRowCells> rowCells(const std::string& first) {
    std::array<std::string, kPeakTableRowCells> cells;
    cells.fill("c");
    cells[0] = first;
    return cells;
}

// Captions and `rows` data rows (row r's first cell "r<r>"), passport lines "Caption<i>"
// padded to 28 with the value "value<i>".
TablePrintout tableOf(int rows, bool listMode = false) {
    TablePrintout t;
    t.ListMode = listMode;
    t.FileName = "h12a.hrm";
    t.CommentText = RU("01.03.2024 проба");
    t.Rows.push_back(rowCells("N"));
    for (int r = 1; r <= rows; ++r) t.Rows.push_back(rowCells("r" + std::to_string(r)));
    for (int i = 1; i <= 3; ++i) {
        std::string caption = "Caption" + std::to_string(i);
        t.Passport.push_back(caption + std::string(28 - caption.size(), ' ') + "value" + std::to_string(i));
    }
    return t;
}

struct Placed {
    size_t page = 0;
    CanvasPoint at;
};
// Where the text was printed (page from 1); page 0 when nowhere.
Placed find(const RecordedJob& job, const std::string& text) {
    for (size_t p = 0; p < job.pages.size(); ++p)
        if (const RecordedText* t = job.pages[p].findText(text)) return {p + 1, t->at};
    return {};
}

TEST(TablePrintout, LayoutFollowsTheResolution) {
    const TablePageLayout t300 = tablePageLayout({300, 300}, 3391);
    EXPECT_EQ(t300.Unit, 20);
    EXPECT_EQ(t300.Margin, 100);
    EXPECT_EQ(t300.Pitch, 60);
    EXPECT_EQ(t300.FontPixels, 42);  // 10 pt
    EXPECT_EQ(t300.SlotsPerPage, 55);
    EXPECT_EQ(t300.ColumnX, (std::array<int, 10>{120, 180, 360, 540, 680, 860, 1080, 1220, 1420, 1620}));
    const TablePageLayout t600 = tablePageLayout({600, 600}, 6783);
    EXPECT_EQ(t600.Unit, 40);
    EXPECT_EQ(t600.Margin, 200);
    EXPECT_EQ(t600.Pitch, 120);
    EXPECT_EQ(t600.FontPixels, 83);
    EXPECT_EQ(t600.SlotsPerPage, 55);
    EXPECT_EQ(tablePageLayout({150, 150}, 1700).FontPixels, 17);  // 8 pt up to 150 dpi
    EXPECT_EQ(tablePageLayout({300, 300}, 71 * 60).SlotsPerPage, 70);
    EXPECT_EQ(tablePageLayout({300, 300}, 20000).SlotsPerPage, 70);
}

TEST(TablePrintout, SeventySlotsAPageWithTheHeading) {
    RecordingPrinter printer(300, 2400, 71 * 60);
    auto job = printer.begin({});
    PrintTableAndPassport(*job, {300, 300}, tableOf(70));
    const RecordedJob& r = printer.jobs()[0];
    const Placed heading = find(r, RU("Хроматограмма h12a.hrm"));
    EXPECT_EQ(heading.page, 1u);
    EXPECT_EQ(heading.at, (CanvasPoint{100, 60}));
    EXPECT_EQ(find(r, RU("01.03.2024 проба")).at, (CanvasPoint{100, 180}));
    EXPECT_EQ(find(r, "N").at, (CanvasPoint{120, 5 * 60}));  // captions in slot 5
    EXPECT_EQ(find(r, "r1").at.y, 7 * 60);                   // slot 6 left blank
    EXPECT_EQ(find(r, "r64").page, 1u);
    EXPECT_EQ(find(r, "r64").at.y, 70 * 60);
    EXPECT_EQ(find(r, "r65").page, 2u);
    EXPECT_EQ(find(r, "r65").at.y, 60);
    EXPECT_EQ(r.pages[0].texts.front().pixelSize, 42);
}

TEST(TablePrintout, ThePassportBeginsItsOwnPageWhereTheSlotsRunOut) {
    // 60 rows: "Паспорт" in the last slot of page 1, so its first line would have gone to
    // slot 2 of page 1 again, over the heading.
    RecordingPrinter printer(300, 2400, 71 * 60);
    auto job = printer.begin({});
    PrintTableAndPassport(*job, {300, 300}, tableOf(60));
    const RecordedJob& r = printer.jobs()[0];
    ASSERT_EQ(r.pages.size(), 2u);
    const Placed passport = find(r, RU("Паспорт"));
    EXPECT_EQ(passport.page, 1u);
    EXPECT_EQ(passport.at, (CanvasPoint{600, 4200}));
    const Placed caption = find(r, "Caption1" + std::string(20, ' '));
    EXPECT_EQ(caption.page, 2u);
    EXPECT_EQ(caption.at, (CanvasPoint{100, 120}));
    EXPECT_EQ(find(r, "value1").at, (CanvasPoint{740, 120}));
    EXPECT_EQ(find(r, "value3").at.y, 240);
}

TEST(TablePrintout, PagesOfTheRealPageHeight) {
    RecordingPrinter printer(300, 2362, 3391);  // A4 less 5 mm margins at 300 dpi: 55 slots
    auto job = printer.begin({});
    PrintTableAndPassport(*job, {300, 300}, tableOf(120));
    const RecordedJob& r = printer.jobs()[0];
    EXPECT_EQ(find(r, "r49").page, 1u);
    EXPECT_EQ(find(r, "r49").at.y, 55 * 60);
    EXPECT_EQ(find(r, "r50").page, 2u);
    EXPECT_EQ(find(r, "r50").at.y, 60);
    EXPECT_EQ(find(r, "r105").page, 3u);
    EXPECT_EQ(find(r, "value3").page, 3u);
    for (const RecordedPage& page : r.pages)
        for (const RecordedText& t : page.texts) EXPECT_LE(t.at.y + 42, 3391) << t.text;
}

TEST(TablePrintout, SeveralFilesPrintOnlyTheGrid) {
    RecordingPrinter printer(300, 2362, 3391);
    auto job = printer.begin({});
    PrintTableAndPassport(*job, {300, 300}, tableOf(3, true));
    const RecordedJob& r = printer.jobs()[0];
    EXPECT_EQ(find(r, "N").at.y, 2 * 60);
    EXPECT_EQ(find(r, "r1").at.y, 4 * 60);
    EXPECT_EQ(find(r, RU("Паспорт")).page, 0u);
    EXPECT_EQ(find(r, "value1").page, 0u);
    EXPECT_EQ(find(r, RU("Хроматограмма h12a.hrm")).page, 0u);
    EXPECT_EQ(r.pages.size(), 1u);
}

// ---- the chromatogram ----

// 16 samples a second, 4 per point, 2400 points (600 s) of 0, one 'M' peak 1160-1200-1240
// with its apex at 2097 counts (9.999 mV) named "бензол", C 1.234, the table shown.
ProcessingState chromatogramState() {
    ProcessingState s(StartFolder("/start"));
    s.Chrom.SamplingRate = 16;
    s.Chrom.SamplesPerPoint = 4;
    s.Chrom.Points.resize(2400);
    s.Chrom.Points[1200] = 2097;
    s.Chrom.Points[1160] = 40;
    s.Chrom.Points[1240] = 20;
    s.Chrom.Points[79] = 1000;
    Peak pk;
    pk.Start = 1160, pk.Apex = 1200, pk.End = 1240, pk.Height = 2097, pk.Type = 'M';
    pk.Name = RU("бензол"), pk.Conc = 1.234, pk.Area = 100;
    s.Markup.Peaks.push_back(pk);
    s.Markup.TotalArea = 100;
    s.View.ViewStartSec = 0, s.View.ViewEndSec = 600, s.View.VerticalZoom = 1;
    s.Settings.DataDir = "/data/";
    s.Settings.FileName = "h7a.hrm";
    s.ProgramMode = ModePeakTable;
    return s;
}

const RecordedJob& printed(RecordingPrinter& printer, ProcessingState& s, int dpi) {
    auto job = printer.begin({});
    PrintChromatogram(*job, {dpi, dpi}, s);
    job->finish();
    return printer.jobs().back();
}

// The first line drawn in `colour` that ends at row y, or null.
const RecordedLine* lineAt(const RecordedPage& page, Colour colour, int y) {
    for (const RecordedLine& l : page.lines)
        if (l.colour == colour && l.to.y == y && l.from.y == y) return &l;
    return nullptr;
}
const RecordedLine* curveTo(const RecordedPage& page, int y) {
    for (const RecordedLine& l : page.lines)
        if (l.colour == 0x800000 && l.to.y == y) return &l;
    return nullptr;
}

TEST(ChromatogramPrintout, PageValues) {
    const ProcessingState s = chromatogramState();
    const ChromatogramPageLayout p300 = chromatogramPageLayout({300, 300}, s.Chrom, s.View);
    EXPECT_EQ(p300.PageLeft, 709);
    EXPECT_EQ(p300.PageRight, 2363);
    EXPECT_EQ(p300.PageTop, 45);
    EXPECT_EQ(p300.PageBottom, 3116);
    EXPECT_NEAR(p300.PageCountsPerColumn, 19.8108, 1e-4);
    EXPECT_NEAR(p300.PagePointsPerRow, 0.781504, 1e-6);
    EXPECT_EQ(p300.FontPixels, 33);
    const ChromatogramPageLayout p600 = chromatogramPageLayout({600, 600}, s.Chrom, s.View);
    EXPECT_EQ(p600.PageLeft, 1417);
    EXPECT_EQ(p600.PageRight, 4724);
    EXPECT_EQ(p600.PageBottom, 6187);
    EXPECT_NEAR(p600.PageCountsPerColumn, 9.9084, 1e-4);
    EXPECT_NEAR(p600.PagePointsPerRow, 0.390752, 1e-6);
    EXPECT_EQ(p600.FontPixels, 67);
    // A window of no width is one minute, as on the screen; the first point from the start.
    PlotView v = s.View;
    v.ViewStartSec = v.ViewEndSec = 120;
    const ChromatogramPageLayout none = chromatogramPageLayout({300, 300}, s.Chrom, v);
    EXPECT_NEAR(none.PagePointsPerRow, 240.0 / 3071, 1e-9);
    EXPECT_EQ(none.PageFirstPoint, 480);
}

TEST(ChromatogramPrintout, CurveMarksAndListAt300Dpi) {
    ProcessingState s = chromatogramState();
    RecordingPrinter printer(300, 2362, 3391);
    const RecordedPage& page = printed(printer, s, 300).pages.at(0);

    // The curve: row 145 shows point 79, the apex row point 1200, at its unlimited place.
    ASSERT_NE(curveTo(page, 145), nullptr);
    EXPECT_EQ(curveTo(page, 145)->to.x, 759);
    EXPECT_EQ(curveTo(page, 146)->to.x, 709);
    ASSERT_NE(curveTo(page, 1579), nullptr);
    EXPECT_EQ(curveTo(page, 1579)->to.x, 815);
    EXPECT_EQ(curveTo(page, 3115)->to.y, 3115);  // the view holds every point

    // Start and end values from the points; the start tick red, the end tick green.
    EXPECT_EQ(s.Markup.Peaks[1].StartValue, 40);
    EXPECT_EQ(s.Markup.Peaks[1].EndValue, 20);
    const RecordedLine* start = lineAt(page, 0x0000FF, 1529);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->from.x, 711 - 10);  // 709 + 40 / 19.81
    EXPECT_EQ(start->to.x, 711 + 10);
    const RecordedLine* end = lineAt(page, 0x008000, 1632);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->from.x, 710 - 10);
    // The grey line to the start, the red base line to the end.
    bool grey = false, base = false;
    for (const RecordedLine& l : page.lines) {
        grey |= l.colour == 0x808080 && l.from == CanvasPoint{709, 45} && l.to == CanvasPoint{711, 1529};
        base |= l.colour == 0x0000FF && l.from == CanvasPoint{711, 1529} && l.to == CanvasPoint{710, 1632};
    }
    EXPECT_TRUE(grey);
    EXPECT_TRUE(base);

    // The list line at the apex.
    const std::pair<std::string, int> list[] = {{"   1", 42},      {"     5.00", 170}, {"    9.999", 458},
                                                {"    1.234", 746}, {RU("бензол"), 1034}};
    for (const auto& [text, x] : list) {
        const RecordedText* t = page.findText(text);
        ASSERT_NE(t, nullptr) << text;
        EXPECT_EQ(t->at, (CanvasPoint{x, 1579})) << text;
        EXPECT_EQ(t->colour, Colour{0});
        EXPECT_EQ(t->pixelSize, 33);
    }
    const RecordedText* title = page.findText(RU("Хроматограмма /data/h7a.hrm целиком"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->at, (CanvasPoint{10, 10}));
    EXPECT_EQ(title->colour, Colour{0x800000});
    const RecordedText* heading = page.findText(RU("h, мВ"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->at, (CanvasPoint{458, 60}));
    EXPECT_EQ(heading->colour, Colour{0x000080});
    EXPECT_EQ(page.findText(RU("Вещество"))->at.x, 1034);
}

TEST(ChromatogramPrintout, At600Dpi) {
    ProcessingState s = chromatogramState();
    RecordingPrinter printer;
    const RecordedPage& page = printed(printer, s, 600).pages.at(0);
    EXPECT_NE(lineAt(page, 0x0000FF, 3014), nullptr);
    EXPECT_NE(lineAt(page, 0x008000, 3218), nullptr);
    ASSERT_NE(page.findText("    9.999"), nullptr);
    EXPECT_EQ(page.findText("    9.999")->at, (CanvasPoint{458, 3113}));
    EXPECT_EQ(page.findText("    9.999")->pixelSize, 67);
    ASSERT_NE(curveTo(page, 3113), nullptr);
    EXPECT_EQ(curveTo(page, 3113)->to.x, 1629);
}

TEST(ChromatogramPrintout, AFragmentPrintsItsWindow) {
    ProcessingState s = chromatogramState();
    s.View.ViewStartSec = 120, s.View.ViewEndSec = 300, s.View.FragmentShown = true;
    EXPECT_EQ(chromatogramRangeText(s.View), RU(" от    2.0 до    5.0 мин"));
    RecordingPrinter printer(300, 2362, 3391);
    const RecordedPage& page = printed(printer, s, 300).pages.at(0);
    EXPECT_NE(page.findText(RU("Хроматограмма /data/h7a.hrm от    2.0 до    5.0 мин")), nullptr);
    // The peak's apex lies just inside the window's end, its end beyond the plot's bottom:
    // a list line but no marks.
    ASSERT_NE(page.findText("   1"), nullptr);
    EXPECT_EQ(page.findText("   1")->at.y, 3112);
    EXPECT_EQ(lineAt(page, 0x0000FF, 2945), nullptr);
    // The curve begins with the window's first point (480).
    const ChromatogramPageLayout p = chromatogramPageLayout({300, 300}, s.Chrom, s.View);
    EXPECT_EQ(p.PageFirstPoint, 480);
}

TEST(ChromatogramPrintout, GroupMarks) {
    ProcessingState s = chromatogramState();
    Peak b = s.Markup.Peaks[1];
    b.Start = 100, b.Apex = 120, b.End = 140, b.Type = 'B';
    Peak e = b;
    e.Start = 140, e.Apex = 160, e.End = 180, e.Type = 'E';
    s.Markup.Peaks.clear();
    s.Markup.Peaks.push_back(b);
    s.Markup.Peaks.push_back(e);
    RecordingPrinter printer(300, 2362, 3391);
    const RecordedPage& page = printed(printer, s, 300).pages.at(0);
    const int y100 = 45 + 128, y140 = 45 + 179, y180 = 45 + 230;
    ASSERT_NE(lineAt(page, 0x0000FF, y100), nullptr);
    EXPECT_EQ(lineAt(page, 0x0000FF, y100)->from.x, 709 - 30);
    EXPECT_EQ(lineAt(page, 0x008000, y140)->from.x, 709 - 10);  // the inner end: a short tick
    EXPECT_EQ(lineAt(page, 0x008000, y180)->from.x, 709 - 30);
    int baseLines = 0;
    for (const RecordedLine& l : page.lines)
        if (l.colour == 0x0000FF && l.from.y != l.to.y) {
            ++baseLines;
            EXPECT_EQ(l.from, (CanvasPoint{709, y100}));
            EXPECT_EQ(l.to, (CanvasPoint{709, y180}));
        }
    EXPECT_EQ(baseLines, 1);
}

TEST(ChromatogramPrintout, ListGuards) {
    struct Case {
        const char* what;
        int identMode, referencePeak, quantMethod, standardPeak;
        double conc2;
        int programMode;
        std::string time, conc, heading;
    };
    const Case cases[] = {
        {"minutes", 0, 0, 0, 0, 1, ModePeakTable, "     5.00", "    1.234", "h, мВ"},
        {"relative to itself", 1, 1, 0, 0, 1, ModePeakTable, "    1.000", "    1.234", "h, мВ"},
        {"no reference peak", 1, 0, 0, 0, 1, ModePeakTable, "     5.00", "    1.234", "h, мВ"},
        {"reference beyond the peaks", 1, 7, 0, 0, 1, ModePeakTable, "     5.00", "    1.234", "h, мВ"},
        {"standard 2.5 / 0", 0, 0, 1, 1, 0, ModePeakTable, "     5.00", "    2.500", "h, мВ"},
        {"standard 2.5 / 2", 0, 0, 1, 1, 2, ModePeakTable, "     5.00", "    1.250", "h, мВ"},
        {"no standard peak", 0, 0, 1, 9, 2, ModePeakTable, "     5.00", "    1.234", "h, мВ"},
        {"table not shown", 0, 0, 0, 0, 1, ModeShown, "     5.00", "       - ", "y, мВ"},
    };
    for (const Case& c : cases) {
        ProcessingState s = chromatogramState();
        s.Settings.IdentMode = c.identMode;
        s.Settings.ReferencePeakNo = c.referencePeak;
        s.Settings.QuantMethod = c.quantMethod;
        s.Settings.StandardPeakNo = c.standardPeak;
        s.Settings.StandardConc1 = 2.5;
        s.Settings.StandardConc2 = c.conc2;
        s.ProgramMode = c.programMode;
        RecordingPrinter printer(300, 2362, 3391);
        const RecordedPage& page = printed(printer, s, 300).pages.at(0);
        EXPECT_NE(page.findText(c.time), nullptr) << c.what;
        EXPECT_NE(page.findText(c.conc), nullptr) << c.what;
        EXPECT_NE(page.findText(toCp1251(c.heading)), nullptr) << c.what;
    }
    // "?" has no concentration.
    ProcessingState s = chromatogramState();
    s.Markup.Peaks[1].Name = "?";
    RecordingPrinter printer(300, 2362, 3391);
    EXPECT_NE(printed(printer, s, 300).pages.at(0).findText("       - "), nullptr);
}

TEST(ChromatogramPrintout, APeakOffThePointsIsLeftOut) {
    ProcessingState s = chromatogramState();
    Peak bad = s.Markup.Peaks[1];
    bad.Start = 0, bad.Apex = 2, bad.End = 2401;
    s.Markup.Peaks.push_back(bad);
    RecordingPrinter printer(300, 2362, 3391);
    const RecordedPage& page = printed(printer, s, 300).pages.at(0);
    EXPECT_NE(page.findText("   1"), nullptr);
    EXPECT_EQ(page.findText("   2"), nullptr);
    // A view past the last point: the curve stops at it.
    s.View.ViewEndSec = 1200;
    RecordingPrinter longer(300, 2362, 3391);
    const RecordedPage& half = printed(longer, s, 300).pages.at(0);
    int lastY = 0;
    for (const RecordedLine& l : half.lines)
        if (l.colour == 0x800000) lastY = std::max(lastY, l.to.y);
    EXPECT_NEAR(lastY, 45 + 3071 / 2, 2);
}

}  // namespace
}  // namespace vk7
