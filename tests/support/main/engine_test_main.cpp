// Test main for engine tests: the process takes its locale from the environment, as both
// programs do once their QApplication exists, so a run under a Russian locale meets the
// same C library behaviour the programs meet on a Russian desktop.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
