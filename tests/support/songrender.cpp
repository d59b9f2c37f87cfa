#include "support/songrender.h"

#include <algorithm>
#include <cmath>

namespace testing_support {

Rendered renderSong(Sequencer &sequencer, fluid_synth_t *synth, int sampleRate, int maxMs, bool soundOut)
{
    constexpr int block = 1000;
    Rendered result;
    float left[block], right[block];
    const auto renderBlock = [&] {
        const bool ended = sequencer.render(left, right, block);
        for (int i = 0; i < block; ++i)
            result.peak = std::max({result.peak, std::fabs(left[i]), std::fabs(right[i])});
        return ended;
    };
    sequencer.play();
    while (!result.ended && result.frames < (long long)maxMs * sampleRate / 1000) {
        result.ended = renderBlock();
        result.frames += block;
    }
    // The level guard holds the last frames back; one more block brings them out.
    for (long long tail = 0; soundOut && tail < 10LL * sampleRate; tail += block) {
        renderBlock();
        if (fluid_synth_get_active_voice_count(synth) == 0 && tail >= Sequencer::soundDelayFrames)
            break;
    }
    return result;
}

double decibels(float peak)
{
    return 20.0 * std::log10(double(peak));
}

} // namespace testing_support
