#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Stands in for a sound card: a thread that asks for audio in real time and throws the
// samples away, so that playback advances and ends as it would with sound.
//
// It sleeps while there is nothing to play; wake() starts it again.
class SilentClock
{
public:
    // About 46 ms at 44.1 kHz: fine enough for a progress display, and few enough
    // wake-ups that the clock costs next to nothing beside the synthesis itself.
    static constexpr int framesPerBlock = 2048;
    // Fills both buffers; returns whether there is still something to play or to sound out.
    using Render = std::function<bool(float *left, float *right, int frames)>;

    SilentClock(int sampleRate, Render render);
    ~SilentClock();
    SilentClock(const SilentClock &) = delete;
    SilentClock &operator=(const SilentClock &) = delete;

    void wake();

private:
    void run();
    void renderUntilIdle();

    const int m_sampleRate;
    const Render m_render;
    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    bool m_woken = false;
    std::atomic<bool> m_quit = false;
    std::thread m_thread;
};
