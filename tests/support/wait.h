// Waiting in tests: a test waits for the state it checks (blocks received, a file written, a
// thread inside a call), never for a number of milliseconds, so that it holds on a machine
// busy with other work.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

// Test programs linked with Qt (QT_CORE_LIB comes with Qt's CMake targets) run the event loop
// while they wait, so that queued deliveries, timers and paints go on.
#ifdef QT_CORE_LIB
#include <QCoreApplication>
#endif

namespace vk7::test {

// How long a test waits for a state before it fails: far longer than any state takes to come
// about on a loaded machine, so that only one that never comes runs into it.
inline constexpr std::chrono::seconds kPatience{60};

// Waits until done() holds, running the Qt event loop meanwhile where there is one, else
// letting the other threads run. Fails, naming `what`, once kPatience has passed. Use as
// ASSERT_TRUE(waitUntil([&] { return ...; }, "what the test waits for")).
template <class Done>
::testing::AssertionResult waitUntil(Done done, const std::string& what) {
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return ::testing::AssertionFailure() << "gave up after " << kPatience.count() << " s waiting for " << what;
#ifdef QT_CORE_LIB
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ::testing::AssertionSuccess();
}

}  // namespace vk7::test
