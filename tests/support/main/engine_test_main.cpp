// Test main for engine tests: the process takes its locale from the environment, as both
// programs do once their QApplication exists, so a run under a Russian locale meets the
// same C library behaviour the programs meet on a Russian desktop.
#include <gtest/gtest.h>

#include <clocale>

// In the sanitizer build, no leak report at the end of a test: Qt and the font libraries
// keep allocations until the process ends, and a worker left behind in a hanging device is
// never freed, by design. ASAN_OPTIONS in the environment still takes precedence.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
