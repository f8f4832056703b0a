// Files recorded by the acquisition engine from the simulated box, opened and drawn by the
// processing program's main window, finished and cut short alike.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>

#include "acquisition/acquisition_engine.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/shell.h"
#include "platform/simulated_box.h"
#include "processing/forms/program_windows.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(RecordedFiles, TheProcessingProgramOpensWhatTheAcquisitionRecorded) {
    test::TempDir dir;
    test::copyInstallation(fs::path(VK7_SOURCE_DIR) / "install", dir.path());
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};

    // Two minutes of both channels, and a third recording cut short after 40 s.
    SimulatedBox box;
    box.setDetector(0, DetectorScript{0.005, {{30.0, 0.08, 3.0}, {70.0, 0.05, 5.0}}});
    box.setDetector(1, DetectorScript{0.002, {{45.0, 0.1, 4.0}}});
    {
        AcquisitionEngine engine{{StartFolder(dir.path()), box, dialogs, clock, [](int) {}}};
        engine.create(277, 29);
        engine.showStartMessages();
        engine.state().regime.parameters[0][2] = 3;  // hydrogen as the carrier gas
        engine.state().settings.recordTimeSec = {120, 120};
        engine.startRecording(1);
        engine.startRecording(2);
        while (engine.anyRecording() && box.time() < 200) box.run(1.0);
        engine.state().settings.recordTimeSec[0] = 600;
        engine.startRecording(1);
        box.run(40.0);
        // The program is killed here: the file stays open as .hr without its tail.
        fs::copy_file(engine.recording(1).currentPath(), dir / "data/kanal1/h9a.hr");
        engine.stopRecording(1);
        engine.close();
    }

    RecordingPrinter printer;
    RecordingShell shell;
    auto vk7t = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer, &shell});
    vk7t->resize(900, 600);
    vk7t->show();
    QApplication::processEvents();
    struct Case {
        fs::path file;
        const char* shot;
        int samples;
    };
    for (const Case& c : {Case{dir / "data/kanal1/h1a.hrm", "vk7t_h1a.png", 2585},
                          Case{dir / "data/kanal2/h1b.hrm", "vk7t_h1b.png", 2585},
                          Case{dir / "data/kanal1/h9a.hr", "vk7t_h9a_cut_short.png", -1}}) {
        dialogs.expectOpenOne(c.file);
        vk7t->OpenChromatogramDialog();
        QApplication::processEvents();
        const OpenChromatogram& chrom = vk7t->state().Chrom;
        if (c.samples > 0) {
            EXPECT_EQ(chrom.SampleCount, c.samples) << c.file;
            EXPECT_EQ(chrom.CommentText.substr(0, 16), "06.05.2024 14:05");
        } else {
            EXPECT_EQ(chrom.SampleCount, int(readWords(c.file).size()) - 21) << "the header and the points so far";
        }
        EXPECT_NEAR(chrom.SamplingRate, 21.533203125, 1e-9);
        EXPECT_GT(chrom.PointCount(), 100);
        if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
            vk7t->grab().save(QString::fromStdString((fs::path(shots) / c.shot).string()));
    }
    EXPECT_EQ(vk7t->state().Chrom.GasIndex, 3);
    vk7t.reset();
    EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
}

}  // namespace
}  // namespace vk7
