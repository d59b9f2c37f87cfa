#include "midi/sequencer.h"

#include <algorithm>

namespace {
constexpr int channels = 16;
constexpr int sustainPedal = 64;
constexpr int sostenutoPedal = 66;
} // namespace

Sequencer::Sequencer(fluid_synth_t *synth, int sampleRate) : m_synth(synth), m_sampleRate(sampleRate) {}

void Sequencer::setSong(std::shared_ptr<const MidiFile> song)
{
    m_song = std::move(song);
    // The first frame at or after the length, so that the end falls on the length itself.
    m_endFrame = m_song ? (m_song->lengthUs() * m_sampleRate + 999999) / 1000000 : 0;
    rewind();
}

void Sequencer::play()
{
    // Even at the end: the next render then reports the end again, which a file of no
    // length needs in order to end at all.
    if (m_song)
        m_playing = true;
}

void Sequencer::stop()
{
    m_playing = false;
    fluid_synth_all_sounds_off(m_synth, -1);
    m_levelGuard.silence();
}

void Sequencer::rewind()
{
    m_playing = false;
    m_frame = 0;
    m_nextEvent = 0;
    // FluidSynth's reset lets the voices of a stop just before it fade out for seconds;
    // silenced after the reset they stop at once.
    fluid_synth_system_reset(m_synth);
    fluid_synth_all_sounds_off(m_synth, -1);
    m_levelGuard.reset();
}

bool Sequencer::atEnd() const
{
    return m_song && m_frame >= m_endFrame;
}

int Sequencer::positionMs() const
{
    if (!m_song)
        return 0;
    if (atEnd())
        return m_song->lengthMs();
    return std::min(m_song->lengthMs(), int(m_frame * 1000 / m_sampleRate));
}

int Sequencer::lengthMs() const
{
    return m_song ? m_song->lengthMs() : 0;
}

void Sequencer::send(const MidiEvent &event)
{
    const int channel = event.status & 0x0F;
    switch (event.status & 0xF0) {
    case 0x80: fluid_synth_noteoff(m_synth, channel, event.data1); break;
    case 0x90: fluid_synth_noteon(m_synth, channel, event.data1, event.data2); break;
    case 0xA0: fluid_synth_key_pressure(m_synth, channel, event.data1, event.data2); break;
    case 0xB0: fluid_synth_cc(m_synth, channel, event.data1, event.data2); break;
    case 0xC0: fluid_synth_program_change(m_synth, channel, event.data1); break;
    case 0xD0: fluid_synth_channel_pressure(m_synth, channel, event.data1); break;
    case 0xE0: fluid_synth_pitch_bend(m_synth, channel, event.data1 | (event.data2 << 7)); break;
    case 0xF0: {
        const std::string_view data = m_song->sysex(event);
        fluid_synth_sysex(m_synth, data.data(), int(data.size()), nullptr, nullptr, nullptr, 0);
        break;
    }
    }
}

std::int64_t Sequencer::dueFrame(const MidiEvent &event) const
{
    // The first frame whose time, rounded down to the microsecond, reaches the event's.
    return (event.timeUs * m_sampleRate + 999999) / 1000000;
}

void Sequencer::sendDueEvents()
{
    const auto &events = m_song->events();
    const std::int64_t nowUs = m_frame * 1000000 / m_sampleRate;
    while (m_nextEvent < events.size() && events[m_nextEvent].timeUs <= nowUs)
        send(events[m_nextEvent++]);
}

void Sequencer::finish()
{
    m_playing = false;
    // Let every note go into its release, pedals first, so that nothing sounds on for ever.
    for (int channel = 0; channel < channels; ++channel) {
        fluid_synth_cc(m_synth, channel, sustainPedal, 0);
        fluid_synth_cc(m_synth, channel, sostenutoPedal, 0);
    }
    fluid_synth_all_notes_off(m_synth, -1);
}

bool Sequencer::render(float *left, float *right, int frames)
{
    bool ended = false;
    int done = 0;
    while (done < frames) {
        std::int64_t step = frames - done;
        if (m_playing) {
            sendDueEvents();
            if (m_frame >= m_endFrame) {
                finish();
                ended = true;
                continue;
            }
            // Up to the next event or the end, whichever comes first.
            step = std::min(step, m_endFrame - m_frame);
            const auto &events = m_song->events();
            if (m_nextEvent < events.size())
                step = std::min(step, dueFrame(events[m_nextEvent]) - m_frame);
        }
        fluid_synth_write_float(m_synth, int(step), left, done, 1, right, done, 1);
        done += int(step);
        if (m_playing)
            m_frame += step;
    }
    m_levelGuard.process(left, right, frames);
    return ended;
}
