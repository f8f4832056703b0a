#include "platform/qt/window_placement.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QMargins>
#include <QRect>
#include <QStandardPaths>
#include <QThread>

#include "tests/support/temp_dir.h"

// Rectangles in failure messages as x,y width x height.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace vk7 {
namespace {

TEST(WindowPlacement, KeepsThePositionAndMovesOrShrinksOnlyWhatLiesOutside) {
    const QRect screen(0, 0, 1024, 740);  // the available part of a 1024 x 768 screen
    const QMargins none;
    const QMargins frame(1, 20, 1, 5);  // a title bar of 20 and thin borders
    struct Case { QRect client; QMargins frame; QRect want; const char* what; };
    for (const Case& c : {
             Case{{100, 50, 400, 300}, none, {100, 50, 400, 300}, "inside: unchanged"},
             Case{{0, 0, 1024, 740}, none, {0, 0, 1024, 740}, "exactly the screen"},
             Case{{0, 782, 1000, 300}, none, {0, 440, 1000, 300}, "below the bottom edge: moved up"},
             Case{{900, 100, 400, 200}, none, {624, 100, 400, 200}, "past the right edge: moved left"},
             Case{{-30, -10, 200, 100}, none, {0, 0, 200, 100}, "above and left: moved in"},
             Case{{1180, 695, 220, 320}, none, {804, 420, 220, 320}, "outside the corner: moved into it"},
             Case{{50, 20, 1400, 1000}, none, {0, 0, 1024, 740}, "larger than the screen: shrunk to it"},
             Case{{10, 600, 300, 900}, none, {10, 0, 300, 740}, "taller only: shrunk in height"},
             // The frame counts: the title bar above the client area, the borders around it.
             Case{{100, 50, 400, 300}, frame, {100, 50, 400, 300}, "framed, inside: unchanged"},
             Case{{100, 440, 400, 300}, frame, {100, 435, 400, 300}, "client inside, bottom border below: moved up"},
             Case{{100, 10, 400, 300}, frame, {100, 20, 400, 300}, "client inside, title bar above: moved down"},
             Case{{700, 50, 324, 300}, frame, {699, 50, 324, 300}, "client to the right edge, border past it"},
             Case{{0, 0, 1024, 740}, frame, {1, 20, 1022, 715}, "client as large as the screen: shrunk by the frame"},
             Case{{1180, 695, 220, 320}, frame, {803, 415, 220, 320}, "framed, outside the corner: moved into it"},
         }) {
        EXPECT_EQ(placeWithin(c.client, c.frame, screen), c.want) << c.what;
    }
    // A screen that does not start at (0, 0): the second of two, or one under a top panel.
    EXPECT_EQ(placeWithin({0, 0, 300, 200}, none, {1024, 28, 1920, 1052}), QRect(1024, 28, 300, 200));
    EXPECT_EQ(placeWithin({3000, 1200, 300, 200}, none, {1024, 28, 1920, 1052}), QRect(2644, 880, 300, 200));
    EXPECT_EQ(placeWithin({1024, 28, 300, 200}, frame, {1024, 28, 1920, 1052}), QRect(1025, 48, 300, 200));
    // A window that cannot shrink below its least size.
    struct Least { QRect client; QSize minimum; QRect want; const char* what; };
    for (const Least& c : {
             Least{{50, 20, 1400, 1000}, {900, 600}, {1, 20, 1022, 715}, "shrinks down to the screen, above its least"},
             Least{{50, 20, 1400, 1000}, {1100, 600}, {1, 20, 1100, 715}, "least wider than the screen: at the left edge"},
             Least{{-300, 500, 1100, 300}, {1100, 300}, {1, 435, 1100, 300}, "the same moved in from the left"},
             Least{{400, 500, 400, 800}, {400, 800}, {400, 20, 400, 800}, "least taller than the screen: at the top"},
         }) {
        EXPECT_EQ(placeWithin(c.client, frame, screen, c.minimum), c.want) << c.what;
    }
}

// Runs a driver (tests/windows/driver) with `env` and returns what it printed, failing the test
// when it does not end on its own.
QString runDriver(const QString& program, const QProcessEnvironment& env) {
    QProcess driver;
    driver.setProcessEnvironment(env);
    driver.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args;
    if (const QByteArray pictures = qgetenv("VK7_WINDOW_PICTURES"); !pictures.isEmpty())
        args << QString::fromLocal8Bit(pictures);
    driver.start(program, args);
    const bool finished = driver.waitForFinished(240000);
    const QString out = QString::fromLocal8Bit(driver.readAll());
    EXPECT_TRUE(finished) << program.toStdString() << " did not finish\n" << out.toStdString();
    EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit) << program.toStdString();
    EXPECT_EQ(driver.exitCode(), 0) << program.toStdString() << "\n" << out.toStdString();
    return out;
}

// Every window of both programs, on a virtual screen of each size, in a process of its own
// (a process has one set of screens): whole on the screen, and no caption, heading or cell
// shown cut, as the programs start and with a lab's data in them.
TEST(WindowPlacement, EveryWindowOfBothProgramsOpensWholeOnSmallAndLargeScreens) {
    test::TempDir dir;
    for (const QString& program : {QStringLiteral(VK7T_WINDOWS), QStringLiteral(VK7R_WINDOWS)}) {
        for (QSize size : {QSize(1024, 768), QSize(1920, 1080)}) {
            const QString config = QString::fromStdString((dir.path() / "screen.json").string());
            dir.write("screen.json", "{ \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": " +
                                         std::to_string(size.width()) + ", \"height\": " + std::to_string(size.height()) +
                                         ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }");
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
            const QString out = runDriver(program, env);
            EXPECT_TRUE(out.contains(QString("screen %1x%2").arg(size.width()).arg(size.height()))) << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("\n0 off screen"))) << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("\n0 cut texts"))) << out.toStdString();
        }
    }
}

// An X server of its own on a display that Xvfb picks free (tests run in parallel), with the
// openbox window manager on it, which frames every window with a title bar and borders.
class VirtualDesktop {
public:
    explicit VirtualDesktop(QSize size) {
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), QString("%1x%2x24").arg(size.width()).arg(size.height()),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        // Xvfb writes the display's number once it accepts clients.
        QByteArray number;
        const QDeadlineTimer deadline(120000);
        while (!number.contains('\n') && xvfb_.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            xvfb_.waitForReadyRead(1000);
            number += xvfb_.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            problem_ = "Xvfb did not start: " + QString::fromLocal8Bit(xvfb_.readAllStandardError());
            return;
        }
        display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        openbox_.setProcessEnvironment(env);
        openbox_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        // The window manager is running once it announces itself on the root window.
        const QDeadlineTimer managing(120000);
        while (!managing.hasExpired() && openbox_.state() != QProcess::NotRunning) {
            QProcess xprop;
            xprop.start(QStringLiteral("xprop"), {QStringLiteral("-display"), display_, QStringLiteral("-root"),
                                                  QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            xprop.waitForFinished(30000);
            if (xprop.readAllStandardOutput().contains("window id")) return;
            QThread::msleep(50);
        }
        problem_ = (openbox_.state() == QProcess::NotRunning
                        ? QString("openbox ended with code %1: ").arg(openbox_.exitCode())
                        : QStringLiteral("openbox did not take the screen within two minutes: ")) +
                   QString::fromLocal8Bit(openbox_.readAllStandardError());
    }
    ~VirtualDesktop() {
        for (QProcess* p : {&openbox_, &xvfb_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(30000)) p->kill(), p->waitForFinished(30000);
        }
    }
    const QString& display() const { return display_; }
    const QString& problem() const { return problem_; }

private:
    QProcess xvfb_, openbox_;
    QString display_, problem_;
};

// Under a real window manager every tool window of both programs, where it opens by itself and
// after it was moved off the bottom right corner, lies whole on a 1024 x 768 screen with its
// title bar and borders; the drivers read each frame back from the X server.
TEST(WindowPlacement, EveryWindowOfBothProgramsLiesWholeOnTheScreenWithItsFrameUnderAWindowManager) {
    QStringList missing;
    for (const char* tool : {"Xvfb", "openbox", "xwininfo", "xprop"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) missing << QString::fromLatin1(tool);
    if (!missing.isEmpty())
        GTEST_SKIP() << "needs an X server with a window manager: " << missing.join(", ").toStdString()
                     << " not installed (packages xvfb, openbox, x11-utils)";
    const VirtualDesktop desktop(QSize(1024, 768));
    ASSERT_TRUE(desktop.problem().isEmpty()) << desktop.problem().toStdString();
    for (const QString& program : {QStringLiteral(VK7T_WINDOWS), QStringLiteral(VK7R_WINDOWS)}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), desktop.display());
        const QString out = runDriver(program, env);
        EXPECT_TRUE(out.contains(QStringLiteral("screen 1024x768"))) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("frames read from the X server"))) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("\n0 off screen"))) << out.toStdString();
    }
}

}  // namespace
}  // namespace vk7
