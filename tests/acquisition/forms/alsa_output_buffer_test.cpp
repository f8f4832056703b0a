// The command output's device buffer on a real ALSA playback device (a file plug over null
// into a FIFO): held to two of the worker's buffers, so a command plays within about two
// of them, and the link knows when the last command has been played out.
#include <gtest/gtest.h>


#include "acquisition/box_command_link.h"
#include "platform/qt/alsa_sound_output.h"
#include "platform/simulated_box.h"
#include "tests/acquisition/forms/alsa_test_config.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

TEST(AlsaOutputBuffer, TheDeviceHoldsAtMostTwoBuffersAndAPlayedCommandIsSeen) {
    test::AlsaTestConfig alsa;
    alsa.startDraining();
    AlsaSoundOutput output("vk7_play");
    BoxCommandLink link(output, [](const std::string& t) { ADD_FAILURE() << t; });
    link.createServiceThread();
    ASSERT_TRUE(link.running()) << output.lastError();
    EXPECT_GE(output.bufferFramesGranted(), 8192u);
    EXPECT_LE(output.bufferFramesGranted(), 2u * 8192u);
    EXPECT_EQ(output.bufferNote(), "") << "a device that goes that low needs no note";
    EXPECT_EQ(link.outputNote(), "");

    link.sendBoxCommand(kCommandPairCD);
    EXPECT_FALSE(link.commandsPlayed());
    // Played out once its burst buffer and two more have gone to the device.
    ASSERT_TRUE(test::waitUntil([&] { return link.commandsPlayed(); }, "the command played"));
    // The device passes it on to the FIFO that the test drains.
    EXPECT_TRUE(test::waitUntil(
        [&] {
            const std::vector<int16_t> played = alsa.played();
            for (size_t b = 0; (b + 1) * 2 * 8192 <= played.size(); ++b)
                if (decodeCommandBurst(played.data() + b * 2 * 8192, 8192) == std::optional<uint8_t>(kCommandPairCD))
                    return true;
            return false;
        },
        "the burst reached the device"));
    link.endServiceThread();
    alsa.stopDraining();
}

}  // namespace
}  // namespace vk7
