#pragma once

#include "midi/levelguard.h"
#include "midi/midifile.h"

#include <fluidsynth.h>

#include <cstdint>
#include <memory>

// Plays the events of one MIDI file into a synthesiser while rendering its audio.
//
// Time is the count of frames rendered while playing, so the position advances exactly
// as the sound does, whether a sound card or the silent clock asks for the frames. At
// the file's length playback stops by itself: the position then equals the length and
// every note is let go, even one that never got its note-off.
//
// The sound passes a LevelGuard, so it comes out LevelGuard::delayFrames after its
// events and never above the guard's ceiling.
//
// Not thread-safe: the owner serialises calls.
class Sequencer
{
public:
    Sequencer(fluid_synth_t *synth, int sampleRate);

    // Takes a file (or none) and stands at its start, stopped.
    void setSong(std::shared_ptr<const MidiFile> song);

    void play();
    // Halts at the current position and silences the synthesiser at once.
    void stop();
    // Back to the start with the synthesiser's channels reset and silenced.
    void rewind();

    bool isPlaying() const { return m_playing; }
    bool atEnd() const;
    int positionMs() const;
    int lengthMs() const;

    // Fills both buffers with frames of audio. Returns true when playback reached the
    // end within this call.
    bool render(float *left, float *right, int frames);

    // Frames between an event and its sound in the rendered audio.
    static constexpr int soundDelayFrames = LevelGuard::delayFrames;

private:
    std::int64_t dueFrame(const MidiEvent &event) const;
    void sendDueEvents();
    void send(const MidiEvent &event);
    void finish();

    fluid_synth_t *m_synth;
    int m_sampleRate;
    LevelGuard m_levelGuard;
    std::shared_ptr<const MidiFile> m_song;
    std::size_t m_nextEvent = 0;
    std::int64_t m_frame = 0;
    std::int64_t m_endFrame = 0;
    bool m_playing = false;
};
