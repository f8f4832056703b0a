// The ALSA input: the open failures it reports, and a live capture where a card exists.
#include "platform/qt/alsa_sound_input.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vk7 {
namespace {

struct CountingReceiver : SoundInputReceiver {
    SoundInput* input = nullptr;
    int blocks = 0;
    void blockFilled(const int16_t*, int frames) override {
        EXPECT_EQ(frames, 2048);
        ++blocks;
        input->requeue();
    }
};

TEST(AlsaSoundInput, ADeviceThatDoesNotExistDoesNotOpen) {
    AlsaSoundInput input("vk7_no_such_device");
    CountingReceiver r;
    r.input = &input;
    EXPECT_EQ(input.open(44100, r), SoundOpenError::OpenFailed);
    EXPECT_FALSE(input.lastError().empty());
    input.reset();
    input.close();
    EXPECT_EQ(r.blocks, 0);
}

TEST(AlsaSoundInput, TheDefaultDeviceCapturesBlocksOrReportsWhyNot) {
    AlsaSoundInput input;
    CountingReceiver r;
    r.input = &input;
    const SoundOpenError e = input.open(44100, r);
    if (e != SoundOpenError::None) {
        // No card on this machine (or one that refuses the format): nothing arrives.
        QCoreApplication::processEvents();
        EXPECT_EQ(r.blocks, 0);
        GTEST_SKIP() << "no usable capture device here: " << int(e) << " " << input.lastError();
    }
    QElapsedTimer timer;
    timer.start();
    while (r.blocks < 3 && timer.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_GE(r.blocks, 3);
    input.reset();
    const int after = r.blocks;
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(r.blocks, after) << "nothing is delivered after reset";
    input.close();
}

}  // namespace
}  // namespace vk7
