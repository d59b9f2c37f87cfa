#pragma once

#include <QString>

#include <atomic>
#include <vector>

// A sound output that takes rendered audio in blocks, on the one thread that renders.
//
// Writes wait while the output is full, and so set the pace of rendering. No wait lasts
// for ever: a wait gives up once the cancel flag that the output was opened with is set,
// and an output that takes nothing for a while counts as failed.
class AudioSink
{
public:
    virtual ~AudioSink() = default;

    // Queues the frames; false once the output has failed (failure() says why).
    virtual bool write(const float *left, const float *right, int frames) = 0;
    // Frames written but not yet heard.
    virtual int queuedFrames() = 0;
    // Waits, a bounded time, until what was written has been heard.
    virtual void drain() = 0;
    virtual QString failure() const = 0;

protected:
    // How long an output may take no sound before it counts as failed.
    static constexpr int stallMs = 2000;

    // Left and right frames, one after the other, in a buffer kept between calls.
    const float *interleave(const float *left, const float *right, int frames);

private:
    std::vector<float> m_interleaved;
};
