#include "results/trend_chart.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "platform/recording_printer.h"

namespace vk7 {
namespace {

// Four analyses, 10 days apart; the third (5.0) marked.
ThemeFile fourRows() {
    ThemeFile f;
    f.Substances = {RU("      Метан")};
    const char* dates[] = {"01.03.2024", "11.03.2024", "21.03.2024", "31.03.2024"};
    const char* values[] = {"   2.000", "   2.200", "   5.000", "   2.600"};
    for (int i = 0; i < 4; ++i) f.Rows.push_back({"    1 ", dates[i], " 12:00", {values[i]}, i != 2});
    return f;
}

TEST(TrendChart, ScaleFitAndPointsOfTheScreenChart) {
    const auto data = trendData(fourRows(), 0);
    ASSERT_TRUE(data);
    const double values[] = {100, 110, 250, 130};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(data->Rows[i].Value, values[i], 1e-9);

    const ChartEdges edges = screenChartEdges(545, 321);
    EXPECT_EQ(edges.Left, 36);
    EXPECT_EQ(edges.Right, 541);
    EXPECT_EQ(edges.Bottom, 307);
    const auto s = ScaleTrendAxes(trendRanges(data->Rows), edges);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->StepX, 10);
    EXPECT_EQ(s->X0, 0);
    EXPECT_EQ(s->X1, 40);
    EXPECT_EQ(s->StepY, 50);
    EXPECT_EQ(s->Y0, 100);
    EXPECT_EQ(s->Y1, 300);
    EXPECT_EQ(s->TicksX, 4);
    EXPECT_EQ(s->TicksY, 4);
    EXPECT_EQ(s->TickPixelsX, 126);
    EXPECT_EQ(s->TickPixelsY, 75);
    const CanvasPoint points[] = {{36, 307}, {162, 292}, {288, 82}, {414, 262}};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(s->map(*data->Rows[i].Days, data->Rows[i].Value), points[i]) << i;

    const auto fit = FitTrend(data->Rows);  // the marked row takes no part
    ASSERT_TRUE(fit);
    EXPECT_EQ(fitText(fit->Slope), "   1.00000");
    EXPECT_EQ(fitText(fit->Intercept), " 100.00000");
    EXPECT_EQ(fitText(fit->Correlation), "   1.00000");

    const TrendReadout at100 = trendReadout(*s, 100, *data, "d");
    EXPECT_EQ(at100.Time, "     5.1");
    EXPECT_EQ(at100.Value, " 105.079");
    EXPECT_EQ(at100.Date, "6.3.2024");
    EXPECT_EQ(trendReadout(*s, 162, *data, "d").Value, " 110.000");  // at a row: its value
    EXPECT_EQ(trendReadout(*s, 500, *data, "d").Value, "  *");       // after the last row
    EXPECT_EQ(trendReadout(*s, 162, *data, "h").Date, "1.3.2024");   // 10 "hours"

    // The zoom rectangle's ranges: pixels back to days and per cent.
    const TrendRanges z = zoomRanges(*s, {162, 292}, {36, 82});
    EXPECT_DOUBLE_EQ(z.XMin, 0);
    EXPECT_DOUBLE_EQ(z.XMax, 10);
    EXPECT_DOUBLE_EQ(z.YMin, 110);
    EXPECT_DOUBLE_EQ(z.YMax, 250);
}

TEST(TrendChart, TicksHalveUntilFourOnEachAxis) {
    const ChartEdges e = screenChartEdges(545, 321);
    const auto two = ScaleTrendAxes({0, 2, 100, 200}, e);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->StepX, 0.5);
    EXPECT_EQ(two->X1, 2.5);
    EXPECT_EQ(two->TicksX, 5);
    // A y range below 0.1 is widened by 0.05 on both sides.
    const auto flat = ScaleTrendAxes({0, 30, 100, 100}, e);
    ASSERT_TRUE(flat);
    EXPECT_DOUBLE_EQ(flat->Ranges.YMin, 99.95);
    EXPECT_DOUBLE_EQ(flat->Ranges.YMax, 100.05);
    EXPECT_EQ(flat->DecimalsY, 3);
    // Days before the first row's date stay right of the axis.
    const auto early = ScaleTrendAxes({-15, 30, 100, 200}, e);
    ASSERT_TRUE(early);
    EXPECT_LE(early->X0, -15);
    EXPECT_GE(early->map(-15, 100).x, e.Left);
    // Refusals: less than a day, ranges that are not finite.
    EXPECT_FALSE(ScaleTrendAxes({5, 5.5, 100, 200}, e));
    EXPECT_FALSE(ScaleTrendAxes({0, 1e9 * 1e300, 100, 200}, e));
    // Unchecked (the printout of drawn ranges), a span of no width ends without a scale.
    EXPECT_FALSE(ScaleTrendAxes({5, 5, 100, 200}, pageChartEdges({300, 300}), false));
}

TEST(TrendChart, EdgeCasesOfTheValuesAndTheFit) {
    ThemeFile f = fourRows();
    f.Rows[0].Values[0] = "   0.000";
    EXPECT_FALSE(trendData(f, 0));  // no reference value
    f = fourRows();
    for (ThemeRow& r : f.Rows) r.Active = false;
    EXPECT_FALSE(trendData(f, 0));  // no kept row
    f = fourRows();
    f.Rows[1].Values[0] = "  abc   ";
    f.Rows[3].Date = "31.13.2024";
    const auto data = trendData(f, 0);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Rows[1].Value, 0);  // no number: 0
    EXPECT_FALSE(data->Rows[3].Days);   // no date: left out of the chart
    EXPECT_EQ(trendRanges(data->Rows).XMax, 20);

    // All kept rows on one date: the slope 100000, the correlation 1.
    const std::vector<TrendRow> same = {{0.0, 100, true}, {0.0, 120, true}};
    const auto fit = FitTrend(same);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->Slope, 100000.0);
    EXPECT_EQ(fit->Correlation, 1.0);
}

TEST(TrendChart, DrawingOnTheImage) {
    const auto data = trendData(fourRows(), 0);
    const auto s = ScaleTrendAxes(trendRanges(data->Rows), screenChartEdges(545, 321));
    RecordingPrinter printer(96, 545, 321);
    auto job = printer.begin({});
    DrawTrend(job->canvas(), *s, data->Rows, "h", FitTrend(data->Rows));
    const RecordedPage& page = printer.jobs()[0].pages[0];
    EXPECT_NE(page.findText(RU("t-to,часов")), nullptr);
    EXPECT_NE(page.findText("C/Co,%"), nullptr);
    EXPECT_NE(page.findText("    10"), nullptr);
    EXPECT_EQ(page.findText("     0"), nullptr);  // 0 is not written
    EXPECT_NE(page.findText("300.0"), nullptr);
    int green = 0, maroon = 0;
    for (const RecordedRect& r : page.rects) {
        green += r.pen == 0x008000;
        maroon += r.pen == 0x000080;
    }
    EXPECT_EQ(green, 4);
    EXPECT_EQ(maroon, 3);
    bool fitLine = false;
    for (const RecordedLine& l : page.lines)
        fitLine |= l.colour == 0x008000 && l.from == CanvasPoint{36, 307} && l.to == CanvasPoint{414, 262};
    EXPECT_TRUE(fitLine);
}

TEST(TrendPrintout, TheTablePagedAt300Dpi) {
    ThemeTablePrintout t;
    t.Name = RU("Газ");
    t.Heading = {RU("Дата анализа"), RU("      Метан"), RU("      Этан")};
    for (int i = 1; i <= 300; ++i) t.Rows.push_back({"    1 ", "01.03.2024", " 12:00", {"   1.000", "   2.000"}, i != 2});
    RecordingPrinter printer(300, 2480, 3508);
    auto job = printer.begin({});
    PrintThemeTable(*job, {300, 300}, t);
    const RecordedJob& r = printer.jobs()[0];
    ASSERT_EQ(r.pages.size(), 5u);  // 66 rows a page
    const RecordedPage& p1 = r.pages[0];
    EXPECT_EQ(p1.findText(RU("Тема (объект наблюдения): Газ."))->at, (CanvasPoint{200, 50}));
    const RecordedText* heading = p1.findText(RU("Дата анализа"));
    EXPECT_EQ(heading->at, (CanvasPoint{125, 150}));
    EXPECT_EQ(heading->colour, Colour{0x0000FF});
    EXPECT_EQ(p1.findText(RU("      Этан"))->at, (CanvasPoint{725, 150}));
    EXPECT_EQ(p1.texts[4].at, (CanvasPoint{125, 200}));  // row 1's date
    EXPECT_EQ(p1.texts[4].colour, Colour{0});
    const RecordedText* marked = p1.findText(" 01.03.2024");  // "DEL " less 3 characters
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(marked->at.y, 250);
    EXPECT_EQ(marked->colour, Colour{0x0000FF});
    EXPECT_EQ(p1.texts.back().at.y, (65 + 4) * 50);
    EXPECT_NE(r.pages[4].findText(RU("Тема (объект наблюдения): Газ.")), nullptr);
    EXPECT_EQ(r.pages[1].texts[4].at.y, 200);
}

TEST(TrendPrintout, TheChartAt300Dpi) {
    const auto data = trendData(fourRows(), 0);
    const auto fit = FitTrend(data->Rows);
    const ChartEdges e = pageChartEdges({300, 300});
    EXPECT_EQ(e.Left, 354);
    EXPECT_EQ(e.Right, 2362);
    EXPECT_EQ(e.Top, 50);
    EXPECT_EQ(e.Bottom, 2058);
    RecordingPrinter printer(300, 2480, 3508);
    auto job = printer.begin({});
    PrintTrendChart(*job, {300, 300}, trendRanges(data->Rows), data->Rows, *fit, RU("Газ"), RU("      Метан"));
    const RecordedPage& page = printer.jobs()[0].pages[0];
    EXPECT_EQ(page.findText("a=   1.00000")->at, (CanvasPoint{2062, 1808}));
    EXPECT_EQ(page.findText("b= 100.00000")->at, (CanvasPoint{2062, 1858}));
    EXPECT_EQ(page.findText(RU("Тема: Газ"))->at, (CanvasPoint{654, 58}));
    EXPECT_EQ(page.findText(RU("Вещество:       Метан"))->at, (CanvasPoint{654, 108}));
    EXPECT_NE(page.findText(RU("t-to, дней")), nullptr);
    EXPECT_EQ(page.findText("300.0"), nullptr);  // the top y value is not printed
    EXPECT_NE(page.findText("250.0"), nullptr);
    EXPECT_EQ(page.findText("250.0")->pixelSize, 33);
}

}  // namespace
}  // namespace vk7
