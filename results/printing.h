// The printouts of the processing program: the peak table with the passport, and the
// chromatogram with its peak marks and a peak list. Both draw on a print job's pages in
// device pixels and size their layout from the printer's resolution (PrinterDpi).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "processing/peak_table.h"
#include "processing/processing_state.h"

namespace vk7 {

// ---- the peak table and the passport ----

struct TablePrintout {
    bool ListMode = false;  // several files: neither the heading nor the passport
    std::string FileName;
    std::string CommentText;
    // The grid's rows, row 0 its captions, each with its first ten cells ("Статус" is left out).
    std::vector<std::array<std::string, kPeakTableRowCells>> Rows;
    std::vector<std::string> Passport;  // the lines of \results\pasp.txt
};

struct TablePageLayout {
    int FontPixels = 0;  // 8 pt up to 150 dpi, else 10 pt
    int Unit = 0;        // u: column unit, dpi div 15
    int Margin = 0;      // m: left margin, dpi div 3
    int Pitch = 0;       // p: line pitch, dpiY div 5
    int SlotsPerPage = 0;
    // The x of each printed column: m + c·u, c = 1, 4, 13, 22, 29, 38, 49, 56, 66, 76.
    std::array<int, kPeakTableRowCells> ColumnX{};
};
// The layout for a page of `pageHeight` printable pixels: slots of p down the page, at most
// 70, and as many as fit below the first (each page's slot s lies at y = s·p).
TablePageLayout tablePageLayout(PrinterResolution dpi, int pageHeight);

// The printout: unless ListMode "Хроматограмма " + file name and the comment, then the grid
// (a blank line under the captions), then unless ListMode "Паспорт" and the passport lines,
// each a caption of 28 characters and its value. A running line number L puts each line in
// slot (L mod S) + 1 of page L div S.
void PrintTableAndPassport(PrintJob& job, PrinterResolution dpi, const TablePrintout& table);

// ---- the chromatogram ----

// The page values of the chromatogram printout: a plot 14 cm wide, 6 cm from the left edge,
// 26 cm high from 45 pixels below the top; time runs down the page, the signal across.
struct ChromatogramPageLayout {
    int PageLeft = 0, PageRight = 0, PageTop = 45, PageBottom = 0;
    double PageCountsPerColumn = 1;  // ADC counts per pixel across at zoom 1
    double PagePointsPerRow = 1;     // points per pixel row
    int PageFirstPoint = 0;          // the view's first point
    int FontPixels = 0;              // 8 pt
};
ChromatogramPageLayout chromatogramPageLayout(PrinterResolution dpi, const OpenChromatogram& chrom, const PlotView& view);

// " от" + start and " до" + end in minutes (7 wide, 1 decimal) + " мин" for a fragment,
// else " целиком".
std::string chromatogramRangeText(const PlotView& view);

// Prints the open chromatogram as the view shows it: the navy curve, the title, the maroon
// heading, the peak marks (start and end values taken from the points, as the plot does)
// and the black peak list. Needs an open chromatogram.
void PrintChromatogram(PrintJob& job, PrinterResolution dpi, ProcessingState& state);

}  // namespace vk7
