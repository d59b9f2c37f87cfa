#pragma once

#include <QStringList>

#include <fluidsynth.h>

#include <stdexcept>

// No synthesiser could be made or no SoundFont loaded; what() is UTF-8 text for the user.
class SynthUnavailableError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A FluidSynth synthesiser with the first General MIDI SoundFont of the list that loads.
class Synth
{
public:
    // Throws SynthUnavailableError.
    explicit Synth(const QStringList &soundFonts);
    ~Synth();
    Synth(const Synth &) = delete;
    Synth &operator=(const Synth &) = delete;

    fluid_settings_t *settings() const { return m_settings; }
    fluid_synth_t *synth() const { return m_synth; }
    int sampleRate() const { return m_sampleRate; }
    const QString &soundFont() const { return m_soundFont; }

private:
    fluid_settings_t *m_settings = nullptr;
    fluid_synth_t *m_synth = nullptr;
    int m_sampleRate = 44100;
    QString m_soundFont;
};
