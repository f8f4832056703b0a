// vk7t: the chromatogram processing program.
#include <QApplication>

#include "common/clock.h"
#include "common/paths.h"
#include "platform/qt/cell_text_tips.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_translation.h"
#include "platform/qt/shell_desktop.h"
#include "platform/qt/window_placement.h"
#include "processing/forms/program_windows.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vk7::installWindowPlacement(app);  // every window opens whole on the screen
    vk7::installCellTextTips(app);     // a cut table cell shows its whole text on hover
    QApplication::setApplicationDisplayName(QString::fromUtf8("ВК-7. Обработка."));
    vk7::installRussianQtTranslation(app);  // Qt's own dialogs and buttons in Russian

    vk7::QtDialogs dialogs;
    vk7::SystemClock clock;
    vk7::QtPrinter printer;
    vk7::DesktopShell shell;
    // The start folder is the folder current when the program starts.
    std::unique_ptr<vk7::TForm1> form1 =
        vk7::CreateProgramWindows(vk7::StartFolder::current(), {dialogs, clock, printer, &shell});
    dialogs.setOwner(form1.get());
    form1->show();
    return app.exec();
}
