// The processing program started headless in a temporary start folder, for the tests of the
// result windows: chromatograms with Gaussian peaks, a calibration naming them, Enter.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_key.h"
#include "chromfile/processing_settings.h"
#include "common/clock.h"
#include "common/files.h"
#include "common/paths.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/shell.h"
#include "processing/calibration_archive.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/table.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

class ProgramFixture {
public:
    // 4 samples per point at 25 samples per second; the archive names peaks at 32 s and 80 s.
    ProgramFixture() {
        namespace fs = std::filesystem;
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.FileName = "h1a.hrm";
        s.AveragingMs = 160;
        s.DetectThreshold = 5.0;
        s.Decimals = 3;
        fs::create_directories(dir.path() / "space");
        fs::create_directories(dir.path() / "results");
        fs::create_directories(dir.path() / "doc");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        fs::create_directories(dir.path() / "help");
        const fs::path first = chromatogram("h1a.hrm", threePeaks(), "10.12.2025 14:05 first");
        ReadRequest req;
        req.AveragingMs = 160;
        key = BuildChromatogramKey(ReadChromatogram(first, req).Chrom);
        dir.write("space/grad.grd", key + "\r\n" + formatCalibrationLine({32, 100, 1.5, RU("бензол"), false}) + "\r\n" +
                                        formatCalibrationLine({80, 100, 2.25, RU("толуол"), false}) + "\r\n#\r\n");
    }

    void start() {
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer, &shell});
        form->show();
        QApplication::processEvents();
        dialogs.clear();  // the notices of the start (no vk7.dat)
        table = form->windows().Form4;
    }

    static PointGenerator threePeaks() {
        return PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8);
    }

    std::filesystem::path chromatogram(const std::string& name, const PointGenerator& points, const std::string& comment) {
        ChromatogramFixture f;
        f.samples = points.samples(4);
        f.comment = comment;
        f.lastWord = 160;
        return f.write(dir.path() / "DATA" / name);
    }

    void installBlank(const std::string& folder, const std::string& name) {
        std::filesystem::create_directories(dir.path() / folder);
        std::filesystem::copy_file(std::filesystem::path(VK7_SOURCE_DIR) / "install" / folder / name,
                                   dir.path() / folder / name, std::filesystem::copy_options::overwrite_existing);
    }

    void openOne(const std::filesystem::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
    }

    void pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();
    }
    void pressEnter() {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();
    }

    ProcessingState& st() { return form->state(); }

    TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer;
    RecordingShell shell;
    std::unique_ptr<TForm1> form;
    TForm4* table = nullptr;
    std::string key;
};

}  // namespace vk7::test
