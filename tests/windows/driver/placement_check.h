// Opens every window of a program on the screen this process is given (the offscreen
// platform with a screen of any size) and reports each window whose frame does not lie within
// the screen's available geometry. Each window is shown twice: where it opens by itself and
// after it was moved off the bottom right corner, with the main window near that corner.
// With a folder argument it also saves a picture of the screen for each window.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include "common/paths.h"
#include "platform/qt/window_placement.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

inline int failures = 0;
inline QString pictures;

// The screen as the user would see it: grey, the main window, the window under test on top.
inline void savePicture(const QWidget* main, QWidget* w, const QString& name) {
    if (pictures.isEmpty()) return;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QImage image(screen.size(), QImage::Format_RGB32);
    image.fill(QColor(90, 90, 110));
    QPainter p(&image);
    for (const QWidget* x : {main, static_cast<const QWidget*>(w)}) {
        if (!x || !x->isVisible()) continue;
        p.fillRect(x->frameGeometry().translated(-screen.topLeft()), QColor(40, 40, 40));
        p.drawPixmap(x->geometry().topLeft() - screen.topLeft(), const_cast<QWidget*>(x)->grab());
    }
    p.end();
    image.save(pictures + QString("/%1x%2-").arg(screen.width()).arg(screen.height()) + name + ".png");
}

inline void check(const QWidget* main, QWidget* w, const char* program, const char* how) {
    const QRect available = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    const QString name = QString::fromLatin1(program) + "-" + w->objectName() + "-" + how;
    if (!available.contains(frame)) {
        ++failures;
        std::printf("OFF SCREEN %s: frame %d,%d %dx%d, screen %d,%d %dx%d\n", qPrintable(name), frame.x(), frame.y(),
                    frame.width(), frame.height(), available.x(), available.y(), available.width(), available.height());
    }
    savePicture(main, w, name);
}

// Shows `w` where it opens by itself, then moved off the bottom right corner.
inline void showEverywhere(QWidget* main, QWidget* w, const char* program) {
    w->show();
    QApplication::processEvents();
    check(main, w, program, "own");
    w->hide();
    const QRect available = w->screen()->availableGeometry();
    w->move(available.right() - 40, available.bottom() - 40);
    w->show();
    QApplication::processEvents();
    check(main, w, program, "corner");
    w->hide();
}

// The driver's main: the application with the window placement, a start folder with the
// installation data, the program's windows opened by `program`.
inline int runPlacementDriver(int argc, char** argv, const std::function<void(const StartFolder&)>& program) {
    QApplication app(argc, argv);
    installWindowPlacement(app);
    if (argc > 1) pictures = QString::fromLocal8Bit(argv[1]);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    std::printf("screen %dx%d\n", screen.width(), screen.height());
    TempDir dir;
    std::filesystem::copy(std::filesystem::path(VK7_SOURCE_DIR) / "install", dir.path(),
                          std::filesystem::copy_options::recursive);
    program(StartFolder(dir.path()));
    std::printf("%d off screen\n", failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace vk7::test
