#include "platform/qt/window_placement.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>

#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

TEST(WindowPlacement, KeepsThePositionAndMovesOrShrinksOnlyWhatLiesOutside) {
    const QRect screen(0, 0, 1024, 740);  // the available part of a 1024 x 768 screen
    struct Case { QRect form, want; const char* what; };
    for (const Case& c : {
             Case{{100, 50, 400, 300}, {100, 50, 400, 300}, "inside: unchanged"},
             Case{{0, 0, 1024, 740}, {0, 0, 1024, 740}, "exactly the screen"},
             Case{{0, 782, 1000, 300}, {0, 440, 1000, 300}, "below the bottom edge: moved up"},
             Case{{900, 100, 400, 200}, {624, 100, 400, 200}, "past the right edge: moved left"},
             Case{{-30, -10, 200, 100}, {0, 0, 200, 100}, "above and left: moved in"},
             Case{{1180, 695, 220, 320}, {804, 420, 220, 320}, "outside the corner: moved into it"},
             Case{{50, 20, 1400, 1000}, {0, 0, 1024, 740}, "larger than the screen: shrunk to it"},
             Case{{10, 600, 300, 900}, {10, 0, 300, 740}, "taller only: shrunk in height"},
         }) {
        EXPECT_EQ(placeWithin(c.form, screen), c.want) << c.what;
    }
    // A screen that does not start at (0, 0): the second of two, or one under a top panel.
    EXPECT_EQ(placeWithin({0, 0, 300, 200}, {1024, 28, 1920, 1052}), QRect(1024, 28, 300, 200));
    EXPECT_EQ(placeWithin({3000, 1200, 300, 200}, {1024, 28, 1920, 1052}), QRect(2644, 880, 300, 200));
}

// Every window of both programs, on a virtual screen of each size, in a process of its own
// (a process has one set of screens).
TEST(WindowPlacement, EveryWindowOfBothProgramsOpensWholeOnSmallAndLargeScreens) {
    test::TempDir dir;
    for (const QString& program : {QStringLiteral(VK7T_WINDOWS), QStringLiteral(VK7R_WINDOWS)}) {
        for (QSize size : {QSize(1024, 768), QSize(1920, 1080)}) {
            const QString config = QString::fromStdString((dir.path() / "screen.json").string());
            dir.write("screen.json", "{ \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": " +
                                         std::to_string(size.width()) + ", \"height\": " + std::to_string(size.height()) +
                                         ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }");
            QProcess driver;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
            driver.setProcessEnvironment(env);
            driver.setProcessChannelMode(QProcess::MergedChannels);
            QStringList args;
            if (const QByteArray pictures = qgetenv("VK7_WINDOW_PICTURES"); !pictures.isEmpty())
                args << QString::fromLocal8Bit(pictures);
            driver.start(program, args);
            ASSERT_TRUE(driver.waitForFinished(120000));
            const QString out = QString::fromLocal8Bit(driver.readAll());
            EXPECT_TRUE(out.contains(QString("screen %1x%2").arg(size.width()).arg(size.height()))) << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("\n0 off screen"))) << out.toStdString();
            EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(driver.exitCode(), 0) << program.toStdString() << "\n" << out.toStdString();
        }
    }
}

}  // namespace
}  // namespace vk7
