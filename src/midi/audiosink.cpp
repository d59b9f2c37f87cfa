#include "midi/audiosink.h"

const float *AudioSink::interleave(const float *left, const float *right, int frames)
{
    m_interleaved.resize(std::size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        m_interleaved[std::size_t(2 * i)] = left[i];
        m_interleaved[std::size_t(2 * i + 1)] = right[i];
    }
    return m_interleaved.data();
}
