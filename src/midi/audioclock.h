#pragma once

#include "midi/audiosink.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The thread that asks for audio in real time, block by block, and sends it to the sound
// output. The output sets the pace; without one, or once it has failed, the clock keeps
// the pace itself and throws the samples away (the silent clock), so that playback
// advances and ends as it would with sound.
//
// It sleeps while there is nothing to play; wake() starts it again. A start finds the
// output again if there is none: the one that failed, or the one that did not open.
class AudioClock
{
public:
    // About 23 ms at 44.1 kHz: a few blocks fill the output's buffer, few enough wake-ups
    // that the clock costs next to nothing beside the synthesis itself.
    static constexpr int framesPerBlock = 1024;
    // Fills both buffers, knowing that queuedFrames are still to be heard before them;
    // returns whether there is still something to play or to sound out.
    using Render = std::function<bool(float *left, float *right, int frames, int queuedFrames)>;
    // The sound output, or nullptr for none; its waits give up once cancelled is set.
    using OpenOutput = std::function<std::unique_ptr<AudioSink>(const std::atomic<bool> &cancelled)>;

    AudioClock(int sampleRate, Render render, OpenOutput openOutput);
    ~AudioClock();
    AudioClock(const AudioClock &) = delete;
    AudioClock &operator=(const AudioClock &) = delete;

    void wake();

private:
    void run();
    void renderUntilIdle();
    bool takeWakeUp();

    const int m_sampleRate;
    const Render m_render;
    const OpenOutput m_openOutput;
    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    bool m_woken = false;
    std::atomic<bool> m_quit = false;
    std::thread m_thread;
};
