#include "platform/printer.h"

#include "common/cp1251.h"
#include "common/paths.h"
#include "platform/dialogs.h"

namespace vk7 {

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
