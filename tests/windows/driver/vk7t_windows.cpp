// Every window of vk7t on the screen of this process (see placement_check.h).
#include <memory>

#include "common/clock.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/program_windows.h"
#include "tests/windows/driver/placement_check.h"

using namespace vk7;
using namespace vk7::test;

namespace {

void processingProgram(const StartFolder& start) {
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2026, 3, 5, 14, 7, 0}};
    RecordingPrinter printer;
    std::unique_ptr<TForm1> main = CreateProgramWindows(start, {dialogs, clock, printer});
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    main->show();
    QApplication::processEvents();
    check(nullptr, main.get(), "vk7t", "own");
    // The user drags the main window into the corner, partly off the screen: the windows that
    // open beside it must still open whole.
    main->move(available.right() - 200, available.bottom() - 150);
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != main.get() && w->parentWidget() == main.get() && w->windowType() == Qt::Tool)
            showEverywhere(main.get(), w, "vk7t");
}

}  // namespace

int main(int argc, char** argv) { return runPlacementDriver(argc, argv, processingProgram); }
