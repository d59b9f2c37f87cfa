#include "midi/audioclock.h"
#include "support/eventwait.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

// An output that takes a number of blocks and then fails, keeping a fixed amount queued.
class FailingSink : public AudioSink
{
public:
    FailingSink(int blocksBeforeFailing, int queued) : m_blocksLeft(blocksBeforeFailing), m_queued(queued) {}
    bool write(const float *, const float *, int) override { return m_blocksLeft-- > 0; }
    int queuedFrames() override { return m_queued; }
    void drain() override {}
    QString failure() const override { return QStringLiteral("unplugged"); }

private:
    int m_blocksLeft;
    int m_queued;
};

// What the clock asked of the renderer: the queued frames it was told of, block by block.
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
};

} // namespace

TEST(AudioClock, PlaysOnWithoutTheOutputThatFailedAndTheNextStartOpensOneAgain)
{
    Script script;
    AudioClock clock(
        44100,
        [&](float *left, float *right, int frames, int queuedFrames) {
            std::fill(left, left + frames, 0.0f);
            std::fill(right, right + frames, 0.0f);
            std::lock_guard guard(script.lock);
            script.queued.push_back(queuedFrames);
            return --script.blocksToPlay > 0;
        },
        [&](const std::atomic<bool> &) -> std::unique_ptr<AudioSink> {
            std::lock_guard guard(script.lock);
            ++script.outputsOpened;
            return std::make_unique<FailingSink>(3, 3000);
        });

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
