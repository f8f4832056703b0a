// The ALSA output on a real ALSA playback device (a file plug over null into a FIFO): the
// command link's stream plays there, with the box's burst in the right channel.
#include "platform/qt/alsa_sound_output.h"

#include <gtest/gtest.h>

#include "acquisition/box_command_link.h"
#include "common/cp1251.h"
#include "platform/simulated_box.h"
#include "tests/acquisition/forms/alsa_test_config.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

TEST(AlsaSoundOutput, TheCommandStreamPlaysOnAnAlsaDevice) {
    test::AlsaTestConfig alsa;
    alsa.startDraining();
    AlsaSoundOutput output("vk7_play");
    std::vector<std::string> reported;
    BoxCommandLink link(output, [&](const std::string& t) { reported.push_back(t); });
    link.createServiceThread();
    ASSERT_TRUE(link.running()) << output.lastError();
    EXPECT_FALSE(output.converted());
    link.sendBoxCommand(kCommandReferenceVoltage);

    // The stream in buffers of 8192 frames: the left channel silent, one of them the burst.
    std::vector<uint8_t> heard;
    std::vector<int16_t> played;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            played = alsa.played();
            heard.clear();
            for (size_t b = 0; (b + 1) * 2 * 8192 <= played.size(); ++b)
                if (auto c = decodeCommandBurst(played.data() + b * 2 * 8192, 8192)) heard.push_back(*c);
            return !heard.empty();
        },
        "the burst played"));
    EXPECT_EQ(heard, std::vector<uint8_t>{192});
    for (size_t k = 0; k < played.size(); k += 2) ASSERT_EQ(played[k], 0) << k;

    // A device that plays lets the worker end: it is not left behind.
    link.endServiceThread();
    EXPECT_EQ(link.abandonedWorkers(), 0);
    alsa.stopDraining();
    EXPECT_TRUE(reported.empty());
}

TEST(AlsaSoundOutput, ADeviceThatDoesNotOpenGivesTheMessage) {
    test::AlsaTestConfig alsa;
    AlsaSoundOutput output("vk7_no_such_device");
    std::vector<std::string> reported;
    BoxCommandLink link(output, [&](const std::string& t) { reported.push_back(t); });
    link.createServiceThread();
    EXPECT_FALSE(link.running());
    EXPECT_EQ(reported, std::vector<std::string>{RU("Ошибка аудио вывода")});
    EXPECT_FALSE(output.lastError().empty());
}

}  // namespace
}  // namespace vk7
