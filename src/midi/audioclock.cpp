#include "midi/audioclock.h"

#include <QtGlobal>

#include <chrono>
#include <vector>

AudioClock::AudioClock(int sampleRate, Render render, OpenOutput openOutput)
    : m_sampleRate(sampleRate), m_render(std::move(render)), m_openOutput(std::move(openOutput)),
      m_thread([this] { run(); })
{
}

AudioClock::~AudioClock()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wakeUp.notify_one();
    m_thread.join();
}

void AudioClock::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wakeUp.notify_one();
}

bool AudioClock::takeWakeUp()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_woken, false);
}

void AudioClock::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wakeUp.wait(lock, [this] { return m_quit || m_woken; });
        if (m_quit)
            return;
        lock.unlock();
        renderUntilIdle();
        lock.lock();
    }
}

void AudioClock::renderUntilIdle()
{
    using Clock = std::chrono::steady_clock;
    std::vector<float> left(framesPerBlock), right(framesPerBlock);
    std::unique_ptr<AudioSink> output;
    // Without an output, deadlines count from one start, so that a late wake-up is made
    // up for, not carried on.
    Clock::time_point start = Clock::now();
    long long frames = 0;
    bool busy = true;
    while (busy && !m_quit) {
        busy = m_render(left.data(), right.data(), framesPerBlock, output ? output->queuedFrames() : 0);
        // Each start without an output tries to open one, so that playback that lost its
        // output finds it again with the next tune. A start while the output plays is
        // taken too: the output failing later waits for the next start.
        if (takeWakeUp() && !output) {
            if (!busy)
                return; // woken for nothing: no output to open
            output = m_openOutput(m_quit);
            start = Clock::now();
            frames = 0;
        }
        if (output && !output->write(left.data(), right.data(), framesPerBlock)) {
            if (!m_quit)
                qWarning("Quavelo: the sound output failed (%s); the tune plays on without sound",
                         qUtf8Printable(output->failure()));
            output.reset();
            start = Clock::now();
            frames = 0;
        }
        if (!output) {
            frames += framesPerBlock;
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(double(frames) / m_sampleRate)));
        }
    }
    if (output && !m_quit)
        output->drain();
}
