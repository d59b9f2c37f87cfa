#include "midi/audioclock.h"
#include "support/eventwait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// An output that takes a number of blocks and then fails, keeping a fixed amount queued.
class FailingSink : public AudioSink
{
public:
    FailingSink(int blocksBeforeFailing, int queued, int msPerBlock)
        : m_blocksLeft(blocksBeforeFailing), m_queued(queued), m_msPerBlock(msPerBlock)
    {
    }
    bool write(const float *, const float *, int) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_msPerBlock));
        return m_blocksLeft-- > 0;
    }
    int queuedFrames() override { return m_queued; }
    void drain() override {}
    QString failure() const override { return QStringLiteral("unplugged"); }

private:
    int m_blocksLeft;
    int m_queued;
    int m_msPerBlock;
};

// What the clock asked of the renderer: the queued frames it was told of, block by block.
// A renderer that plays a number of blocks of silence and an output that takes some
// blocks and fails, both counted.
struct Script {
    std::mutex lock;
    std::vector<int> queued;
    int blocksToPlay = 0;
    int outputsOpened = 0;

    std::size_t calls()
    {
        std::lock_guard guard(lock);
        return queued.size();
    }

    AudioClock::Render renderer()
    {
        return [this](float *left, float *right, int frames, int queuedFrames) {
            std::fill(left, left + frames, 0.0f);
            std::fill(right, right + frames, 0.0f);
            std::lock_guard guard(lock);
            queued.push_back(queuedFrames);
            return --blocksToPlay > 0;
        };
    }

    // Each output opened keeps 3000 frames queued and fails after its blocks.
    AudioClock::OpenOutput outputs(int blocksBeforeFailing, int msPerBlock)
    {
        return [this, blocksBeforeFailing, msPerBlock](const std::atomic<bool> &) -> std::unique_ptr<AudioSink> {
            std::lock_guard guard(lock);
            ++outputsOpened;
            return std::make_unique<FailingSink>(blocksBeforeFailing, 3000, msPerBlock);
        };
    }
};

} // namespace

TEST(AudioClock, PlaysOnWithoutTheOutputThatFailedAndTheNextStartOpensOneAgain)
{
    Script script;
    AudioClock clock(
        44100,
        script.renderer(),
        script.outputs(3, 0));

    script.blocksToPlay = 8;
    clock.wake();
    ASSERT_TRUE(testing_support::waitUntil([&] { return script.calls() == 8; }));
    {
        std::lock_guard guard(script.lock);
        // Opened after the first block, told of what it holds while it works, then the
        // clock's own pace: the tune plays to its end all the same.
        EXPECT_EQ(script.queued, (std::vector<int>{0, 3000, 3000, 3000, 0, 0, 0, 0}));
        EXPECT_EQ(script.outputsOpened, 1);
        script.blocksToPlay = 2;
    }
    clock.wake();
    ASSERT_TRUE(testing_support::waitUntil([&] { return script.calls() == 10; }));
    std::lock_guard guard(script.lock);
    EXPECT_EQ(script.outputsOpened, 2);
}

// The next tune starts while the output of the last one still plays, and that output fails
// later (the sound server crashed): the clock plays on without sound until the tune after.
TEST(AudioClock, AStartWhileTheOutputPlaysIsNoReasonToOpenAnotherWhenItFails)
{
    Script script;
    AudioClock clock(
        44100,
        script.renderer(),
        script.outputs(10, 5));

    script.blocksToPlay = 30;
    clock.wake();
    ASSERT_TRUE(testing_support::waitUntil([&] { return script.calls() == 3; }));
    clock.wake();
    ASSERT_TRUE(testing_support::waitUntil([&] { return script.calls() == 30; }));
    std::lock_guard guard(script.lock);
    EXPECT_EQ(script.outputsOpened, 1);
}
