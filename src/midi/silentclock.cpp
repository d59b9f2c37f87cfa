#include "midi/silentclock.h"

#include <chrono>
#include <vector>

SilentClock::SilentClock(int sampleRate, Render render)
    : m_sampleRate(sampleRate), m_render(std::move(render)), m_thread([this] { run(); })
{
}

SilentClock::~SilentClock()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wakeUp.notify_one();
    m_thread.join();
}

void SilentClock::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wakeUp.notify_one();
}

void SilentClock::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wakeUp.wait(lock, [this] { return m_quit || m_woken; });
        if (m_quit)
            return;
        m_woken = false;
        lock.unlock();
        renderUntilIdle();
        lock.lock();
    }
}

void SilentClock::renderUntilIdle()
{
    using Clock = std::chrono::steady_clock;
    std::vector<float> left(framesPerBlock), right(framesPerBlock);
    // Deadlines count from one start, so a late wake-up is made up for, not carried on.
    const Clock::time_point start = Clock::now();
    long long frames = 0;
    bool busy = true;
    while (busy && !m_quit) {
        busy = m_render(left.data(), right.data(), framesPerBlock);
        frames += framesPerBlock;
        std::this_thread::sleep_until(
            start + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(double(frames) / m_sampleRate)));
    }
}
