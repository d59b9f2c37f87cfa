#pragma once

#include "midi/sequencer.h"

namespace testing_support {

struct Rendered {
    float peak = 0;       // the largest sample of either channel
    long long frames = 0; // frames rendered, up to and with the block where the tune ended
    bool ended = false;
};

// Plays the sequencer's file from where it stands until it ends, or for at most maxMs,
// in blocks of 1000 frames. With soundOut, rendering goes on after the end until the
// last note has died away (at most 10 s more), and those frames count for the peak.
Rendered renderSong(Sequencer &sequencer, fluid_synth_t *synth, int sampleRate, int maxMs,
                    bool soundOut = false);

// Peak level in dBFS of a sample magnitude (-inf for silence).
double decibels(float peak);

} // namespace testing_support
