#pragma once

#include "midi/firstsoundprobe.h"
#include "midi/midifile.h"
#include "midi/sequencer.h"
#include "midi/synth.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class AudioClock;

// The one synthesiser of the process and the file it plays, made on first use.
//
// Its audio clock renders in real time into the desktop's sound output (SoundOutput),
// or on the silent clock where there is none or QUAVELO_AUDIO=none asks for silence.
// Either way the same Sequencer runs, so playback keeps the same time, and the end of a
// tune is announced when it is heard, not when it is rendered ahead of the listener.
//
// One owner at a time plays through it: claim() hands it to an owner until release().
// Every call is safe from any thread; calls by anyone but the owner do nothing.
class SynthEngine
{
public:
    // Called on the audio thread when playback reaches the end; must not call back in.
    using EndHandler = std::function<void()>;

    // Throws SynthUnavailableError when no synthesiser or SoundFont is to be had; a later
    // call tries again.
    static SynthEngine &instance();
    // Starts making the engine on a worker thread, so that its first use need not wait
    // for the SoundFont to load. Does nothing once the engine exists or is being made.
    static void prepareInBackground();

    ~SynthEngine();
    SynthEngine(const SynthEngine &) = delete;
    SynthEngine &operator=(const SynthEngine &) = delete;

    // False when another owner holds the engine.
    bool claim(const void *owner, std::shared_ptr<const MidiFile> song, EndHandler onEnd);
    void release(const void *owner);

    // Plays on from the current position, or from the start when it stands at the end.
    void play(const void *owner);
    void stop(const void *owner);
    int positionMs(const void *owner) const;

private:
    SynthEngine();
    bool render(float *left, float *right, int frames, int queuedFrames);

    FirstSoundProbe m_firstSound; // outlives the audio thread
    Synth m_synth;
    mutable std::mutex m_lock;
    Sequencer m_sequencer;
    const void *m_owner = nullptr;
    EndHandler m_onEnd;
    // Frames still to be rendered before the end of the tune is heard, once it has been
    // rendered.
    std::optional<int> m_endHeardIn;
    // Last, so that its thread ends first: it renders through everything above.
    std::unique_ptr<AudioClock> m_clock;
};
