// The printer as the programs see it: its resolution, and print jobs that draw page by page
// on the same Canvas as the screen plots. With no printer on the machine the pages go to a
// PDF file in place of the paper; the job says where they went. Nothing here depends on Qt.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/paths.h"
#include "platform/canvas.h"

namespace vk7 {

namespace fs = std::filesystem;
class Dialogs;

struct PrinterResolution {
    int dpiX = 0;
    int dpiY = 0;
    bool operator==(const PrinterResolution&) const = default;
};

// The resolution of the PDF that takes the printer's place (and its page: A4 portrait,
// 5 mm margins).
constexpr int kPdfDpi = 600;

struct PrintRequest {
    std::string title;     // the job's name in the printer queue (Windows-1251)
    fs::path pdfPath;      // where the pages go when the machine has no printer
    bool landscape = false;
};

// Where a finished job's pages went.
struct PrintOutcome {
    bool toPrinter = true;
    fs::path file;  // the PDF written in the printer's place (when !toPrinter)
};

// One print job. Draw each page on canvas(); newPage() ends the page and starts the next.
// finish() ends the job; a job dropped without finish() is abandoned.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual Canvas& canvas() = 0;
    virtual PrinterResolution resolution() const = 0;
    // The printable area of a page in device pixels (the canvas's width and height).
    int pageWidth() { return canvas().width(); }
    int pageHeight() { return canvas().height(); }
    virtual void newPage() = 0;
    virtual PrintOutcome finish() = 0;
};

class Printer {
public:
    virtual ~Printer() = default;
    // The pixels per inch jobs will draw in: the chosen printer's, or the PDF's 600 when
    // there is no printer.
    virtual PrinterResolution resolution() = 0;
    // Begins a job; throws IoError when it cannot be begun (the PDF cannot be written, the
    // printer refuses).
    virtual std::unique_ptr<PrintJob> begin(const PrintRequest& request) = 0;
};

// Lengths on a page of `dpi` pixels per inch, rounded: a font of `points` as its pixel size,
// a distance in centimetres.
int pagePointPixels(int points, int dpi);
int pageCmPixels(double cm, int dpi);

// The resolution the printouts lay their pages out in (PrinterDpi): the printer's across
// value, down taken equal to it.
PrinterResolution printerDpi(Printer& printer);

// A job named `pdfName` whose PDF, when there is no printer, is \results\<pdfName> (the
// folder is created when missing).
PrintRequest resultsPrintRequest(const StartFolder& start, std::string_view pdfName, bool landscape = false);

// Ends a job and, when its pages went to a file for want of a printer, tells the user
// where: "Принтер не найден: печать выполнена в файл " + the path.
PrintOutcome finishPrintJob(PrintJob& job, Dialogs& dialogs);

}  // namespace vk7
