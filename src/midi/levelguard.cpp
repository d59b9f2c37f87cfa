#include "midi/levelguard.h"

#include <algorithm>
#include <cmath>

LevelGuard::LevelGuard()
{
    reset();
}

void LevelGuard::process(float *left, float *right, int frames)
{
    for (int i = 0; i < frames; ++i) {
        auto &filling = m_chunks[m_filling];
        auto &outgoing = m_chunks[(m_filling + 1) % 3];
        const float inLeft = left[i];
        const float inRight = right[i];
        left[i] = outgoing[2 * m_position] * m_gain;
        right[i] = outgoing[2 * m_position + 1] * m_gain;
        m_gain += m_gainStep;
        filling[2 * m_position] = inLeft;
        filling[2 * m_position + 1] = inRight;
        m_peaks[m_filling] = std::max({m_peaks[m_filling], std::fabs(inLeft), std::fabs(inRight)});
        if (++m_position == chunkFrames)
            chunkComplete();
    }
}

void LevelGuard::chunkComplete()
{
    m_position = 0;
    // The chunk just filled goes out after the next one; the next one glides the gain
    // down to what the new chunk allows, so the new chunk starts at it.
    m_gain = m_target;
    if (m_peaks[m_filling] * m_target > ceiling)
        m_target = ceiling / m_peaks[m_filling];
    m_gainStep = (m_target - m_gain) / chunkFrames;
    m_filling = (m_filling + 1) % 3;
    m_peaks[m_filling] = 0.0f;
}

void LevelGuard::silence()
{
    for (auto &chunk : m_chunks)
        chunk.fill(0.0f);
    m_peaks.fill(0.0f);
}

void LevelGuard::reset()
{
    silence();
    m_filling = 2;
    m_position = 0;
    m_gain = 1.0f;
    m_target = 1.0f;
    m_gainStep = 0.0f;
}
