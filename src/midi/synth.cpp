#include "midi/synth.h"

namespace {
// With Debian's default General MIDI SoundFont (TimGM6mb) the quietest tunes then peak near
// -5 dBFS; the sequencer's level guard holds the loud ones under its ceiling.
constexpr double gain = 3.0;
} // namespace

Synth::Synth(const QStringList &soundFonts)
{
    m_settings = new_fluid_settings();
    if (m_settings) {
        fluid_settings_setnum(m_settings, "synth.gain", gain);
        m_synth = new_fluid_synth(m_settings);
    }
    if (!m_synth) {
        delete_fluid_settings(m_settings);
        throw SynthUnavailableError("シンセサイザーを起動できません");
    }
    double rate = 44100;
    fluid_settings_getnum(m_settings, "synth.sample-rate", &rate);
    m_sampleRate = int(rate);

    for (const QString &path : soundFonts) {
        if (fluid_synth_sfload(m_synth, path.toLocal8Bit().constData(), 1) != FLUID_FAILED) {
            m_soundFont = path;
            return;
        }
    }
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
    throw SynthUnavailableError(
        "General MIDI の SoundFont が見つかりません。"
        "パッケージ timgm6mb-soundfont をインストールしてください。");
}

Synth::~Synth()
{
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
}
