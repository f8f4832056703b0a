#include "results/printing.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/areas.h"
#include "processing/plot_geometry.h"

namespace vk7 {

namespace {

using namespace plot_colour;

// A device coordinate computed in reals, kept where the page's integers hold it.
int pixel(double v) {
    if (!std::isfinite(v)) return v < 0 ? -32000 : 32000;
    return static_cast<int>(roundHalfEven(std::clamp(v, -1.0e6, 1.0e6)));
}

void useFont(Canvas& c, int pixels, Colour colour) {
    c.setFont({"Arial", pixels, colour, 0});
    c.setBrush({0xFFFFFF, true});  // texts never blank what lies under them
}

void line(Canvas& c, int x0, int y0, int x1, int y1, Colour colour) {
    c.setPen({colour, 1, PenMode::Copy});
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

// Puts running line numbers on pages: line L in slot (L mod S) + 1 of page L div S, a new
// page begun whenever L div S grows.
class SlotWriter {
public:
    SlotWriter(PrintJob& job, const TablePageLayout& layout) : job_(job), layout_(layout) {}
    // The y of line L, on its page.
    int place(int L) {
        const int S = layout_.SlotsPerPage;
        while (L / S > page_) {
            job_.newPage();
            ++page_;
            useFont(job_.canvas(), layout_.FontPixels, Black);
        }
        return (L % S + 1) * layout_.Pitch;
    }

private:
    PrintJob& job_;
    const TablePageLayout& layout_;
    int page_ = 0;
};

}  // namespace

// ---- the peak table and the passport ----

TablePageLayout tablePageLayout(PrinterResolution dpi, int pageHeight) {
    TablePageLayout t;
    t.FontPixels = pagePointPixels(dpi.dpiX <= 150 ? 8 : 10, dpi.dpiY);
    t.Unit = dpi.dpiX / 15;
    t.Margin = dpi.dpiX / 3;
    t.Pitch = std::max(1, dpi.dpiY / 5);
    t.SlotsPerPage = std::clamp(pageHeight / t.Pitch - 1, 1, 70);
    constexpr std::array<int, kPeakTableRowCells> c = {1, 4, 13, 22, 29, 38, 49, 56, 66, 76};
    for (size_t j = 0; j < c.size(); ++j) t.ColumnX[j] = t.Margin + c[j] * t.Unit;
    return t;
}

void PrintTableAndPassport(PrintJob& job, PrinterResolution dpi, const TablePrintout& table) {
    const TablePageLayout t = tablePageLayout(dpi, job.pageHeight());
    useFont(job.canvas(), t.FontPixels, Black);
    SlotWriter slots(job, t);
    auto text = [&](int x, int y, const std::string& s) { job.canvas().textOut(x, y, s); };

    int L = 1;
    if (!table.ListMode) {
        text(t.Margin, t.Pitch, RU("Хроматограмма ") + table.FileName);
        text(t.Margin, 3 * t.Pitch, table.CommentText);
        L = 4;
    }
    for (size_t i = 0; i < table.Rows.size(); ++i) {
        const int y = slots.place(L);
        for (size_t j = 0; j < t.ColumnX.size(); ++j) text(t.ColumnX[j], y, table.Rows[i][j]);
        L += i == 0 ? 2 : 1;  // a blank line under the captions
    }
    if (table.ListMode) return;
    L += 3;
    text(2 * dpi.dpiX, slots.place(L), RU("Паспорт"));
    L += 2;
    for (const std::string& passportLine : table.Passport) {
        const int y = slots.place(L);
        text(t.Margin, y, passportLine.substr(0, std::min<size_t>(28, passportLine.size())));
        if (passportLine.size() > 28) text(t.Margin + 32 * t.Unit, y, passportLine.substr(28));
        ++L;
    }
}

// ---- the chromatogram ----

ChromatogramPageLayout chromatogramPageLayout(PrinterResolution dpi, const OpenChromatogram& chrom, const PlotView& view) {
    ChromatogramPageLayout p;
    p.PageLeft = pageCmPixels(6, dpi.dpiX);
    p.PageRight = p.PageLeft + pageCmPixels(14, dpi.dpiX);
    p.PageTop = 45;
    p.PageBottom = 45 + pageCmPixels(26, dpi.dpiY);
    // A real, so that the plot's 14 cm hold the full scale at any resolution.
    p.PageCountsPerColumn = 32767.0 / std::max(1, p.PageRight - p.PageLeft);
    const int span = visibleSpanSec(view.ViewStartSec, view.ViewEndSec);
    const int perPoint = std::max(1, chrom.SamplesPerPoint);
    p.PagePointsPerRow = static_cast<double>(span) / perPoint / std::max(1, p.PageBottom - p.PageTop) * chrom.SamplingRate;
    p.PageFirstPoint = static_cast<int>(roundHalfEven(view.ViewStartSec * chrom.SamplingRate / perPoint));
    p.FontPixels = pagePointPixels(8, dpi.dpiY);
    return p;
}

std::string chromatogramRangeText(const PlotView& view) {
    if (!view.FragmentShown) return RU(" целиком");
    const int end = view.ViewStartSec + visibleSpanSec(view.ViewStartSec, view.ViewEndSec);
    return RU(" от") + fixedText(view.ViewStartSec / 60.0, 7, 1) + RU(" до") + fixedText(end / 60.0, 7, 1) + RU(" мин");
}

void PrintChromatogram(PrintJob& job, PrinterResolution dpi, ProcessingState& state) {
    const OpenChromatogram& chrom = state.Chrom;
    PeakMarkup& markup = state.Markup;
    const PlotView& view = state.View;
    const ChromatogramPageLayout p = chromatogramPageLayout(dpi, chrom, view);
    Canvas& c = job.canvas();
    if (!(p.PagePointsPerRow > 0) || !std::isfinite(p.PagePointsPerRow)) return;  // no samples to print
    const double zoom = view.VerticalZoom;
    auto xOf = [&](int value) { return (value + view.ZeroOffset) * zoom / p.PageCountsPerColumn + p.PageLeft; };
    auto yOf = [&](double point) { return pixel((point - p.PageFirstPoint) / p.PagePointsPerRow) + p.PageTop; };

    // The curve, down the page.
    c.setPen({Navy, 1, PenMode::Copy});
    c.moveTo(p.PageLeft, p.PageTop);
    for (int y = p.PageTop; y < p.PageBottom; ++y) {
        const int64_t k = roundHalfEven((y - p.PageTop) * p.PagePointsPerRow + 1 + p.PageFirstPoint);
        if (k > chrom.PointCount()) break;
        if (k < 1) continue;
        const double x = std::clamp(xOf(chrom.Points[static_cast<int>(k)]), double(p.PageLeft), double(p.PageRight));
        c.lineTo(pixel(x), y);
    }

    // The title and the heading.
    useFont(c, p.FontPixels, Navy);
    c.textOut(10, 10, RU("Хроматограмма ") + state.Settings.DataDir + state.Settings.FileName + chromatogramRangeText(view));
    auto columnX = [](int column) { return 4 * 8 * column + 10; };
    useFont(c, p.FontPixels, Maroon);
    const int headY = dpi.dpiY / 5;
    c.textOut(columnX(1), headY, "N");
    c.textOut(columnX(5), headY, RU("t, мин"));
    c.textOut(columnX(14), headY, state.ProgramMode == ModePeakTable ? RU("h, мВ") : RU("y, мВ"));
    c.textOut(columnX(23), headY, RU("C, 1/см3"));
    c.textOut(columnX(32), headY, RU("Вещество"));

    auto onPoints = [&](const Peak& pk) {
        return chrom.Points.valid(pk.Start) && chrom.Points.valid(pk.End) && chrom.Points.valid(pk.Apex);
    };

    // The marks: a grey line from the previous base end to each base start, the red start
    // tick, the green end tick and the red base line.
    CanvasPoint P{p.PageLeft, p.PageTop};
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        Peak& pk = markup.Peaks[i];
        if (!onPoints(pk)) continue;
        pk.StartValue = chrom.Points[pk.Start];
        pk.EndValue = chrom.Points[pk.End];
        const int ys = yOf(pk.Start), ye = yOf(pk.End);
        if (ys < p.PageTop || ye > p.PageBottom) continue;
        const int xs = pixel(xOf(pk.StartValue)), xe = pixel(xOf(pk.EndValue));
        if (pk.Type == 'B' || pk.Type == 'M') {
            if (P.x < p.PageRight) line(c, P.x, P.y, xs, ys, Grey);
            P = {xs, ys};
        }
        const int startHalf = pk.Type == 'B' ? 30 : 10;
        line(c, xs - startHalf, ys, xs + startHalf, ys, Red);
        const int endHalf = pk.Type == 'E' ? 30 : 10;
        line(c, xe - endHalf, ye, xe + endHalf, ye, Green);
        if ((pk.Type == 'E' || pk.Type == 'M') && P.x < p.PageRight) {
            line(c, P.x, P.y, xe, ye, Red);
            P = {xe, ye};
        }
    }

    // The peak list, each line at its apex.
    const PeakTable table = BuildPeakTable(chrom, markup, state.Settings);
    double referenceSec = 0;
    if (state.Settings.IdentMode == 1 && markup.Peaks.valid(state.Settings.ReferencePeakNo))
        referenceSec = table.Rows[static_cast<size_t>(state.Settings.ReferencePeakNo - 1)].TimeSec;
    useFont(c, p.FontPixels, Black);
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        const Peak& pk = markup.Peaks[i];
        if (!onPoints(pk)) continue;
        const int y = yOf(pk.Apex - 1);
        if (y < 90 || y > p.PageBottom) continue;
        const PeakTableRow& row = table.Rows[static_cast<size_t>(i - 1)];
        c.textOut(columnX(1), y, intText(i, 4));
        c.textOut(columnX(5), y, referenceSec > 0 ? fixedText(row.TimeSec / referenceSec, 9, 3)
                                                  : fixedText(row.TimeSec / 60, 9, 2));
        c.textOut(columnX(14), y, fixedOrExpText(row.HeightMv, 9, 3));
        const bool withConc = row.Conc && state.ProgramMode >= ModePeakTable;
        c.textOut(columnX(23), y, withConc ? fixedOrExpText(*row.Conc, 9, 3) : std::string("       - "));
        c.textOut(columnX(32), y, pk.Name);
    }
}

}  // namespace vk7
