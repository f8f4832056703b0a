// Opens every window of a program on the screen this process is given and reports each
// window whose frame does not lie within the screen's available geometry, and every text a
// window shows cut (tests/support/cut_texts.h). Each window is shown twice: where it opens by
// itself and after it was moved off the bottom right corner, with the main window near that
// corner. On the offscreen platform (a screen of any size) the frame is
// Qt's; on X11 it is read back from the X server (the client window's place grown by the frame
// extents the window manager set), waiting until the window manager has framed the window.
// With a folder argument it also saves a picture of the screen for each window.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

#include "common/paths.h"
#include "platform/qt/cell_text_tips.h"
#include "platform/qt/window_placement.h"
#include "tests/support/cut_texts.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

inline int failures = 0;
inline int cutCount = 0;
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

inline bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// The output of an X tool (xwininfo, xprop) run on this process's display.
inline QString xTool(const QString& tool, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.start(tool, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The frame of window `id` as the X server has it, or nothing while the window is not mapped
// or not yet framed. Frame extents are left, right, top, bottom.
inline std::optional<QRect> frameFromX(WId id) {
    const QString wid = QStringLiteral("0x") + QString::number(id, 16);
    const QString info = xTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), wid});
    if (!info.contains(QLatin1String("Map State: IsViewable"))) return std::nullopt;
    auto field = [&](const char* label) -> std::optional<int> {
        const auto m = QRegularExpression(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)")).match(info);
        if (!m.hasMatch()) return std::nullopt;
        return m.captured(1).toInt();
    };
    const auto x = field("Absolute upper-left X"), y = field("Absolute upper-left Y");
    const auto width = field("Width"), height = field("Height");
    const auto extents = QRegularExpression(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"))
                             .match(xTool(QStringLiteral("xprop"), {QStringLiteral("-id"), wid,
                                                                    QStringLiteral("_NET_FRAME_EXTENTS")}));
    if (!x || !y || !width || !height || !extents.hasMatch()) return std::nullopt;
    const int left = extents.captured(1).toInt(), right = extents.captured(2).toInt();
    const int top = extents.captured(3).toInt(), bottom = extents.captured(4).toInt();
    return QRect(*x - left, *y - top, *width + left + right, *height + top + bottom);
}

// The window's frame once it is settled: Qt's at once on the offscreen platform; on X11 the
// one the X server shows once the window is framed and on the screen, or the last one seen
// when that does not happen within a generous deadline.
inline std::optional<QRect> settledFrame(QWidget* w, const QRect& available) {
    QApplication::processEvents();
    if (!onX11()) return w->frameGeometry();
    std::optional<QRect> frame;
    const QDeadlineTimer deadline(30000);
    do {
        QApplication::processEvents();
        frame = frameFromX(w->winId());
        if (frame && available.contains(*frame)) break;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return frame;
}

inline void check(const QWidget* main, QWidget* w, const char* program, const char* how) {
    const QRect available = w->screen()->availableGeometry();
    const QString name = QString::fromLatin1(program) + "-" + w->objectName() + "-" + how;
    const std::optional<QRect> settled = settledFrame(w, available);
    if (!settled) {
        ++failures;
        std::printf("NOT FRAMED %s: the window manager did not frame the window\n", qPrintable(name));
        return;
    }
    const QRect frame = *settled;
    if (!available.contains(frame)) {
        ++failures;
        std::printf("OFF SCREEN %s: frame %d,%d %dx%d, screen %d,%d %dx%d\n", qPrintable(name), frame.x(), frame.y(),
                    frame.width(), frame.height(), available.x(), available.y(), available.width(), available.height());
        std::fflush(stdout);
    }
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);  // laid out as it will be drawn
    for (const CutText& c : cutTexts(w)) {
        ++cutCount;
        std::printf("CUT %s: %s \"%s\" needs %d px, has %d\n", qPrintable(name), c.where.c_str(), c.text.c_str(), c.needs,
                    c.has);
    }
    savePicture(main, w, name);
}

// Shows `w` where it opens by itself, then moved off the bottom right corner.
inline void showEverywhere(QWidget* main, QWidget* w, const char* program) {
    w->show();
    check(main, w, program, "own");
    w->hide();
    const QRect available = w->screen()->availableGeometry();
    w->move(available.right() - 40, available.bottom() - 40);
    w->show();
    check(main, w, program, "corner");
    w->hide();
}

// The driver's main: the application with the window placement and the cell tips of the
// programs, a start folder with the installation data, the program's windows opened by
// `program`.
inline int runPlacementDriver(int argc, char** argv, const std::function<void(const StartFolder&)>& program) {
    QApplication app(argc, argv);
    installWindowPlacement(app);
    installCellTextTips(app);
    if (argc > 1) pictures = QString::fromLocal8Bit(argv[1]);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    std::printf("screen %dx%d\n", screen.width(), screen.height());
    if (onX11()) std::printf("frames read from the X server\n");
    TempDir dir;
    std::filesystem::copy(std::filesystem::path(VK7_SOURCE_DIR) / "install", dir.path(),
                          std::filesystem::copy_options::recursive);
    program(StartFolder(dir.path()));
    std::printf("%d off screen\n%d cut texts\n", failures, cutCount);
    return failures == 0 && cutCount == 0 ? 0 : 1;
}

}  // namespace vk7::test
