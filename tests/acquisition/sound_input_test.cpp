// The block queue between the capture thread and the GUI thread, and the simulated box as
// a sound input.
#include "platform/sound_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "platform/simulated_box.h"

namespace vk7 {
namespace {

std::vector<int16_t> numberedBlock(int16_t n) { return std::vector<int16_t>(2 * 2048, n); }

TEST(SoundBlockQueue, OneBlockOutstandingUntilHandedBack) {
    int wakes = 0;
    SoundBlockQueue q(4, [&] { ++wakes; });
    q.push(numberedBlock(1).data());
    EXPECT_EQ(wakes, 1);
    q.push(numberedBlock(2).data());
    EXPECT_EQ(wakes, 1) << "one wake is enough until the block is taken";
    const int16_t* b = q.take();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(q.take(), nullptr) << "the first block is still outstanding";
    q.push(numberedBlock(3).data());
    EXPECT_EQ(wakes, 1) << "no wake while a block is outstanding";
    q.handBack();
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(q.take()[0], 2);
    q.handBack();
    EXPECT_EQ(q.take()[0], 3);
    q.handBack();
    EXPECT_EQ(q.take(), nullptr);
    EXPECT_EQ(q.dropped(), 0u);
}

TEST(SoundBlockQueue, BeyondItsCapacityTheOldestBlocksAreDroppedAndCounted) {
    SoundBlockQueue q(SoundBlockQueue::blocksPerSecond(44100), nullptr);
    EXPECT_EQ(q.capacity(), 22u);  // about one second
    const int16_t* first = (q.push(numberedBlock(0).data()), q.take());
    ASSERT_NE(first, nullptr);
    for (int16_t n = 1; n <= 30; ++n) q.push(numberedBlock(n).data());
    EXPECT_EQ(q.waiting(), 22u);
    EXPECT_EQ(q.dropped(), 8u);
    EXPECT_EQ(first[0], 0) << "the outstanding block is left alone";
    q.handBack();
    EXPECT_EQ(q.take()[0], 9);
}

TEST(SoundBlockQueue, NothingIsTakenAfterClose) {
    int wakes = 0;
    SoundBlockQueue q(4, [&] { ++wakes; });
    q.push(numberedBlock(1).data());
    q.close();
    EXPECT_EQ(q.take(), nullptr);
    q.push(numberedBlock(2).data());
    EXPECT_EQ(q.take(), nullptr);
    EXPECT_EQ(wakes, 1);
    q.reopen();
    q.push(numberedBlock(3).data());
    EXPECT_EQ(q.take()[0], 3);
}

// A capture thread pushing while the consumer takes and hands back: every block arrives
// once and in order when the consumer keeps up.
TEST(SoundBlockQueue, CaptureThreadAndConsumerKeepOrder) {
    std::mutex m;
    std::condition_variable cv;
    bool woken = false;
    SoundBlockQueue q(4000, [&] {
        std::lock_guard lock(m);
        woken = true;
        cv.notify_one();
    });
    constexpr int kBlocks = 3000;
    std::thread producer([&] {
        for (int n = 0; n < kBlocks; ++n) q.push(numberedBlock(int16_t(n % 30000)).data());
    });
    int next = 0;
    bool inOrder = true;
    while (next < kBlocks) {
        {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return woken; });
            woken = false;
        }
        while (const int16_t* b = q.take()) {
            inOrder = inOrder && b[0] == next % 30000 && b[2 * 2048 - 1] == next % 30000;
            ++next;
            q.handBack();
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(q.dropped(), 0u);
}

// A receiver that opens a "message box" on the first block: while it is open, blocks
// queue up and are not delivered inside it; once it closes they follow.
struct ModalReceiver : SoundInputReceiver {
    SimulatedBox* box = nullptr;
    int depth = 0, maxDepth = 0, blocks = 0;
    void blockFilled(const int16_t*, int frames) override {
        EXPECT_EQ(frames, 2048);
        ++blocks;
        maxDepth = std::max(maxDepth, ++depth);
        if (blocks == 1) box->run(0.5);  // the box goes on producing while the handler waits
        --depth;
        box->requeue();
    }
};

TEST(SimulatedBoxInput, ABlockIsNeverDeliveredWhileTheLastOneIsOutstanding) {
    SimulatedBox box;
    ModalReceiver r;
    r.box = &box;
    ASSERT_EQ(box.open(44100, r), SoundOpenError::None);
    box.step();
    EXPECT_EQ(r.maxDepth, 1);
    EXPECT_EQ(r.blocks, int(box.producedBlocks())) << "the blocks queued meanwhile follow afterwards";
    EXPECT_EQ(box.droppedBlocks(), 0u);
    box.run(2.0);
    EXPECT_EQ(box.deliveredBlocks(), box.producedBlocks());
}

TEST(SimulatedBoxInput, CarrierFollowsTheScriptAndIsDeterministic) {
    SimulatedBox::Settings settings;
    settings.noiseUnits = 0;
    SimulatedBox box(settings);
    DetectorScript script{0.01, {{1.0, 0.1, 0.2}}};
    box.setDetector(0, script);
    EXPECT_NEAR(box.outputVolts(0, 1.0), 0.11, 1e-12);
    EXPECT_NEAR(box.outputVolts(0, 5.0), 0.01, 1e-12);
    std::vector<int16_t> block(2 * 2048);
    box.generateBlock(block.data());
    int lo = 0, hi = 0;
    for (int k = 0; k < 2048; ++k) {
        lo = std::min<int>(lo, block[2 * k]);
        hi = std::max<int>(hi, block[2 * k]);
    }
    EXPECT_NEAR(hi - lo, 5000 + 15000 * 0.01, 4);

    SimulatedBox a, b;
    std::vector<int16_t> x(2 * 2048), y(2 * 2048);
    for (int i = 0; i < 3; ++i) {
        a.generateBlock(x.data());
        b.generateBlock(y.data());
    }
    EXPECT_EQ(x, y);
    a.setPower(false);
    a.generateBlock(x.data());
    EXPECT_EQ(x, std::vector<int16_t>(2 * 2048, 0));
}

}  // namespace
}  // namespace vk7
