// The program's printer: one QPrinter in high resolution, chosen and set up in QPrintDialog.
// With no printer known to the system, a job goes to a PDF at 600 dpi (A4, 5 mm margins) at
// the path its request names, replaced without a question.
#pragma once

#include <QPrinter>

#include "platform/printer.h"

namespace vk7 {

class QtPrinter : public Printer {
public:
    QtPrinter();

    PrinterResolution resolution() override;
    std::unique_ptr<PrintJob> begin(const PrintRequest& request) override;

    // The QPrinter the print dialog sets up.
    QPrinter& device() { return printer_; }
    // True when jobs go to a printer known to the system (or to a file the user chose in the
    // print dialog), false when they go to the PDF in the printer's place.
    bool hasPrinter() const;

private:
    QPrinter printer_{QPrinter::HighResolution};
};

// Sets `printer` up as the PDF that takes a missing printer's place.
void setUpFallbackPdf(QPrinter& printer, const fs::path& path, bool landscape);

}  // namespace vk7
