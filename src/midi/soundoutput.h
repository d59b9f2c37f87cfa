#pragma once

#include "midi/audiosink.h"

#include <memory>

// The desktop's sound output, opened afresh for each stretch of playback, so that a
// sound server that went away or came back is found again by the next tune.
namespace SoundOutput {

// The session's PulseAudio server (PipeWire's too), else, where no server listens, ALSA's
// default device; nullptr when neither opens, or when QUAVELO_AUDIO=none asks for
// silence. Why no output opened goes to the standard error output once, until an output
// opens again.
std::unique_ptr<AudioSink> open(int sampleRate, const std::atomic<bool> &cancelled);

} // namespace SoundOutput
