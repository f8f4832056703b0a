#include "platform/printer.h"

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "platform/dialogs.h"

namespace vk7 {

int pagePointPixels(int points, int dpi) { return static_cast<int>(roundHalfEven(points * dpi / 72.0)); }

int pageCmPixels(double cm, int dpi) { return static_cast<int>(roundHalfEven(dpi * cm / 2.54)); }

PrinterResolution printerDpi(Printer& printer) {
    const PrinterResolution r = printer.resolution();
    return {r.dpiX, r.dpiX};
}

PrintRequest resultsPrintRequest(const StartFolder& start, std::string_view pdfName, bool landscape) {
    PrintRequest r;
    r.title = std::string(pdfName);
    r.pdfPath = findNoCase(start.ensureFolder("results"), pdfName);
    r.landscape = landscape;
    return r;
}

PrintOutcome finishPrintJob(PrintJob& job, Dialogs& dialogs) {
    PrintOutcome outcome = job.finish();
    if (!outcome.toPrinter)
        dialogs.info(RU("Принтер не найден: печать выполнена в файл ") + textFromPath(outcome.file));
    return outcome;
}

}  // namespace vk7
