#pragma once

#include <array>

// Keeps a tune's sound under a ceiling without clipping it.
//
// Tunes differ in level by 20 dB and more, mostly by their instruments, so the
// synthesiser's gain is set for the quiet ones and this guard brings the loud ones down:
// where a peak would pass the ceiling the gain falls ahead of it, over a few
// milliseconds, and stays down for the rest of the tune. A tune never swells or pumps;
// each loud one peaks at the ceiling. The sound comes out delayFrames late.
class LevelGuard
{
public:
    // -1.5 dBFS: room for the conversion to the sound card's format.
    static constexpr float ceiling = 0.841f;
    static constexpr int chunkFrames = 128;
    static constexpr int delayFrames = 2 * chunkFrames;

    LevelGuard();

    // Replaces the frames with those delayFrames earlier, at the guarded level.
    void process(float *left, float *right, int frames);
    // Forgets the sound on its way out; the gain stays.
    void silence();
    // For a new tune: silence and the full gain again.
    void reset();

    float gain() const { return m_gain; }

private:
    void chunkComplete();

    // Three chunks of both channels: the one being filled, the one being sent out, and
    // the one between whose peak sets the gain that the outgoing chunk glides to.
    std::array<std::array<float, chunkFrames * 2>, 3> m_chunks{};
    std::array<float, 3> m_peaks{};
    int m_filling = 2;
    int m_position = 0;
    float m_gain = 1.0f;
    float m_target = 1.0f;
    float m_gainStep = 0.0f;
};
