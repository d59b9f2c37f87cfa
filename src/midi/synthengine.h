#pragma once

#include "midi/firstsoundprobe.h"
#include "midi/midifile.h"
#include "midi/sequencer.h"
#include "midi/synth.h"

#include <functional>
#include <memory>
#include <mutex>

class SilentClock;

// The one synthesiser of the process and the file it plays, made on first use.
//
// Sound goes out through FluidSynth's own audio driver (PulseAudio, PipeWire or ALSA,
// whichever opens). Without a sound device, or with QUAVELO_AUDIO=none in the
// environment, the silent clock renders instead, in real time. Either way the audio
// thread runs the same Sequencer, so playback keeps the same time.
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
    bool render(float *left, float *right, int frames);
    static int driverCallback(void *engine, int frames, int nfx, float *fx[], int nout, float *out[]);
    bool openAudioDriver();

    FirstSoundProbe m_firstSound; // outlives the audio thread
    Synth m_synth;
    mutable std::mutex m_lock;
    Sequencer m_sequencer;
    const void *m_owner = nullptr;
    EndHandler m_onEnd;
    fluid_audio_driver_t *m_driver = nullptr;
    std::unique_ptr<SilentClock> m_silentClock;
};
