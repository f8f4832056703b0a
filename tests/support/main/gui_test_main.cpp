// Test main for window tests: one QApplication (offscreen platform) for the whole run.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>

// In the sanitizer build, no leak report at the end of a test: Qt and the font libraries
// keep allocations until the process ends, and a worker left behind in a hanging device is
// never freed, by design. ASAN_OPTIONS in the environment still takes precedence.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // Without a session (root, CI) Qt warns on every start that it has no runtime folder: give
    // it the folder it would fall back to, made with the permissions it expects.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const passwd* user = getpwuid(getuid());
        const QByteArray dir = "/tmp/runtime-" + (user ? QByteArray(user->pw_name) : QByteArray::number(getuid()));
        ::mkdir(dir.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
