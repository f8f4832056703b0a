// The running processing program in a temporary start folder: its windows created as at
// start, chromatogram files written by the fixture, and the keys and clicks of a user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "common/clock.h"
#include "common/files.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"
#include "processing/forms/program_windows.h"
#include "processing/plot_geometry.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("vk7.dat", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n21.533\r\n");
        dir.write("space/grad.grd", "#\r\n");
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.AveragingMs = 200;  // 5 samples a point at 25 samples a second
        s.DetectThreshold = 5;
        std::filesystem::create_directories(dir.path() / "space");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
        form->resize(1000, 700);
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    // A chromatogram file in DATA at 25 samples a second, 5 samples a point.
    std::filesystem::path writeChromatogram(const std::string& name, const PointGenerator& points,
                                            const std::string& comment = "x") {
        ChromatogramFixture f;
        f.samples = points.samples(5);
        f.comment = comment;
        return f.write(dir.path() / "DATA" / name);
    }
    void open(const std::filesystem::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
        QApplication::processEvents();
    }
    // A typed character (the Latin or Cyrillic letter of a command, "\r" for Enter).
    void key(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(form.get(), &press);
    }
    // A click (press and release without moving) at column x of the plot.
    void clickAtX(int x) {
        const QPoint at(x, (st().View.PlotTop + st().View.PlotBottom) / 2);
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(at), form->PaintBox1->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(form->PaintBox1, &e);
        }
    }
    void clickAtPoint(int point) { clickAtX(xOfPoint(st().View, point)); }
    // How many pixels of the plot image have this colour.
    int pixelsOf(Colour c) {
        const QImage image = form->PaintBox1->canvas().image();
        const QRgb wanted = qRgb(redOf(c), greenOf(c), blueOf(c));
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF)) ++n;
        return n;
    }

    ProcessingState& st() { return form->state(); }

    TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer;
    std::unique_ptr<TForm1> form;
};

}  // namespace vk7::test
