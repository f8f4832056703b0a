// Every window of vk7t on the screen of this process (see placement_check.h): first as the
// program starts, then again with a lab's data in them.
#include <memory>

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QToolButton>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_key.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "processing/calibration_archive.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/grad_tab.h"
#include "processing/forms/program_windows.h"
#include "results/forms/base7.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/windows/driver/placement_check.h"

using namespace vk7;
using namespace vk7::test;

namespace {

// Three chromatograms of one series with peaks, a comment as long as a lab writes, and a
// calibration table of their conditions whose substances have long names.
std::vector<fs::path> labData(const StartFolder& start) {
    std::vector<fs::path> files;
    for (const char* name : {"h15a.hrm", "h16a.hrm", "h17a.hrm"}) {
        ChromatogramFixture f;
        // The longest entries of the installed dictionaries: "ДТП (катарометр)", the packed
        // column, a temperature programme, "Газы в трансформаторном масле".
        f.header[hw::Detector] = 1;
        f.header[hw::Gas] = 2;
        f.header[hw::Column] = 1;
        f.header[hw::Temperature] = 4;
        f.header[hw::Field5] = 30;
        f.header[hw::Field6] = 150;
        f.header[hw::Field7] = 200;
        f.header[hw::Field8] = 1;
        f.header[hw::Sm] = 3;
        f.header[hw::Unit] = 3;  // a signal in units of 1000: heights and areas of many digits
        f.samples = PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8).samples(4);
        f.comment = RU("21.03.2024 10:15 Воздух рабочей зоны, цех 3, точка отбора 12, проба 2 из 3");
        f.lastWord = 160;
        files.push_back(f.write(start.root() / "DATA" / "series" / name));
    }
    ReadRequest request;
    request.AveragingMs = 160;
    const std::string key = BuildChromatogramKey(ReadChromatogram(files[0], request).Chrom);
    std::vector<std::string> archive{key};
    double t = 32;
    for (const std::string& name : {RU("1,2-Дихлорэтан"), RU("Метилэтилкетон"), RU("Изопентан нормальный")}) {
        archive.push_back(formatCalibrationLine({t, 100, 1.5, name, false}));
        t += 48;
    }
    archive.push_back("#");
    writeLines(start.file("space", "grad.grd"), archive);
    return files;
}

void pressEnter(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(w, &press);
    QApplication::processEvents();
}

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
    std::vector<QWidget*> tools;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != main.get() && w->parentWidget() == main.get() && w->windowType() == Qt::Tool) tools.push_back(w);
    for (QWidget* w : tools) showEverywhere(main.get(), w, "vk7t");

    // The same windows with data: the series opened as several files (the list keeps their
    // names), the first opened again alone with its peak table shown, its calibration table
    // chosen in the archive, a new topic begun.
    main->move(available.topLeft());
    const std::vector<fs::path> series = labData(start);
    dialogs.expectOpenSeveral(series);
    main->OpenSeveralChromatograms();
    dialogs.expectOpenOne(series[0]);
    main->OpenChromatogramDialog();
    QApplication::processEvents();
    check(nullptr, main.get(), "vk7t", "data");
    pressEnter(main.get());
    for (QWidget* w : tools) {
        w->show();
        check(main.get(), w, "vk7t", "data");
        if (auto* archive = dynamic_cast<TForm6*>(w)) {
            archive->Grid3Click(0);
            check(main.get(), w, "vk7t", "data-table");
        }
        if (auto* topics = dynamic_cast<TForm13*>(w)) {
            topics->SpeedButton3->click();
            check(main.get(), w, "vk7t", "data-kind");
            topics->ComboBox1Change(0);
            check(main.get(), w, "vk7t", "data-rows");
            topics->SpeedButton7->click();
            check(main.get(), w, "vk7t", "data-name");
        }
        w->hide();
        QApplication::processEvents();
    }

    // The main window's panels: decimal places, the recalculations of the peak table, the
    // export of points; then, with the chromatogram opened again, markup editing.
    struct Step { QAction* action; QFrame* panel; const char* how; };
    for (const Step& s : {Step{main->Decimals1, main->Panel12, "decimals"},
                          Step{main->NormalConditions1, main->Panel13, "normal-conditions"},
                          Step{main->Formula1, main->Panel13, "formula"}, Step{main->Excel2, main->Panel11, "export"}}) {
        s.action->trigger();
        QApplication::processEvents();
        check(nullptr, main.get(), "vk7t", s.how);
        s.panel->hide();
    }
    dialogs.expectOpenOne(series[0]);
    main->OpenChromatogramDialog();
    main->SpeedButton13->click();
    QApplication::processEvents();
    check(nullptr, main.get(), "vk7t", "markup");
}

}  // namespace

int main(int argc, char** argv) { return runPlacementDriver(argc, argv, processingProgram); }
