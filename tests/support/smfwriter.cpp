#include "support/smfwriter.h"

namespace testing_support {

namespace {

std::string be(std::uint32_t value, int bytes)
{
    std::string out;
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xFF));
    return out;
}

std::string bytesOf(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(char(v));
    return out;
}

} // namespace

std::string SmfWriter::varLen(std::uint32_t value)
{
    std::string out(1, char(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), char(0x80 | (value & 0x7F)));
    return out;
}

SmfWriter::Track &SmfWriter::Track::event(std::uint32_t delta, std::string_view bytes)
{
    m_data += varLen(delta);
    m_data += bytes;
    return *this;
}

SmfWriter::Track &SmfWriter::Track::noteOn(std::uint32_t delta, int channel, int key, int velocity)
{
    return event(delta, bytesOf({0x90 | channel, key, velocity}));
}

SmfWriter::Track &SmfWriter::Track::noteOff(std::uint32_t delta, int channel, int key)
{
    return event(delta, bytesOf({0x80 | channel, key, 0x40}));
}

SmfWriter::Track &SmfWriter::Track::program(std::uint32_t delta, int channel, int program)
{
    return event(delta, bytesOf({0xC0 | channel, program}));
}

SmfWriter::Track &SmfWriter::Track::controller(std::uint32_t delta, int channel, int number,
                                               int value)
{
    return event(delta, bytesOf({0xB0 | channel, number, value}));
}

SmfWriter::Track &SmfWriter::Track::tempo(std::uint32_t delta, std::uint32_t usPerQuarter)
{
    return meta(delta, 0x51, be(usPerQuarter, 3));
}

SmfWriter::Track &SmfWriter::Track::meta(std::uint32_t delta, int type, std::string_view data)
{
    return event(delta, bytesOf({0xFF, type}) + varLen(std::uint32_t(data.size()))
                            + std::string(data));
}

SmfWriter::Track &SmfWriter::Track::sysex(std::uint32_t delta, std::string_view dataWithEnd)
{
    return event(delta, "\xF0" + varLen(std::uint32_t(dataWithEnd.size())) + std::string(dataWithEnd));
}

SmfWriter::Track &SmfWriter::Track::raw(std::uint32_t delta, std::string_view bytes)
{
    return event(delta, bytes);
}

SmfWriter::Track &SmfWriter::Track::endOfTrack(std::uint32_t delta)
{
    return meta(delta, 0x2F, {});
}

SmfWriter::SmfWriter(int format, std::uint16_t division) : m_format(format), m_division(division) {}

SmfWriter::Track &SmfWriter::addTrack()
{
    m_chunks.push_back({"MTrk", {}, int(m_tracks.size())});
    return m_tracks.emplace_back();
}

void SmfWriter::addChunk(std::string_view id, std::string_view data)
{
    m_chunks.push_back({std::string(id), std::string(data)});
}

std::string SmfWriter::bytes() const
{
    const int tracks = m_headerTracks >= 0 ? m_headerTracks : int(m_tracks.size());
    std::string out = "MThd" + be(6, 4) + be(std::uint32_t(m_format), 2)
                      + be(std::uint32_t(tracks), 2) + be(m_division, 2);
    for (const Chunk &chunk : m_chunks) {
        const std::string &data = chunk.track >= 0 ? m_tracks[chunk.track].data() : chunk.data;
        out += chunk.id + be(std::uint32_t(data.size()), 4) + data;
    }
    return out;
}

std::string makeTune(int seconds)
{
    constexpr int division = 480;
    constexpr int eighth = division / 2;
    SmfWriter smf(1, division);
    smf.addTrack().tempo(0, 500000).meta(0, 0x58, bytesOf({4, 2, 24, 8})).endOfTrack(
        std::uint32_t(seconds) * 2 * division);

    const int eighths = seconds * 4;
    static const int scale[] = {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62};
    SmfWriter::Track &melody = smf.addTrack().program(0, 0, 0);
    for (int i = 0; i < eighths; ++i) {
        const int key = scale[i % 14] + ((i / 56) % 2) * 12;
        melody.noteOn(0, 0, key, 90).noteOff(eighth, 0, key);
    }
    melody.endOfTrack();

    SmfWriter::Track &bass = smf.addTrack().program(0, 1, 33);
    SmfWriter::Track &chords = smf.addTrack().program(0, 2, 48);
    static const int roots[] = {36, 41, 43, 36};
    for (int bar = 0; bar < eighths / 8; ++bar) {
        const int root = roots[bar % 4];
        for (int beat = 0; beat < 4; ++beat)
            bass.noteOn(0, 1, root, 100).noteOff(division, 1, root);
        chords.noteOn(0, 2, root + 24, 60).noteOn(0, 2, root + 28, 60).noteOn(0, 2, root + 31, 60);
        chords.noteOff(4 * division, 2, root + 24).noteOff(0, 2, root + 28).noteOff(0, 2, root + 31);
    }
    bass.endOfTrack();
    chords.endOfTrack();

    SmfWriter::Track &drums = smf.addTrack();
    for (int i = 0; i < eighths; ++i) {
        const int key = i % 4 == 0 ? 36 : (i % 4 == 2 ? 38 : 42);
        drums.noteOn(0, 9, key, 100).noteOff(eighth, 9, key);
    }
    drums.endOfTrack();
    return smf.bytes();
}

} // namespace testing_support
