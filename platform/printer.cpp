#include "platform/printer.h"

#include "common/cp1251.h"
#include "common/paths.h"
#include "platform/dialogs.h"

namespace vk7 {

PrintOutcome finishPrintJob(PrintJob& job, Dialogs& dialogs) {
    PrintOutcome outcome = job.finish();
    if (!outcome.toPrinter)
        dialogs.info(RU("Принтер не найден: печать выполнена в файл ") + textFromPath(outcome.file));
    return outcome;
}

}  // namespace vk7
