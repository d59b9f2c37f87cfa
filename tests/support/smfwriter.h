#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// Builds the bytes of a Standard MIDI File, track by track. Every event is given with
// its delta time in ticks; nothing is checked, so damaged files can be built as well.
class SmfWriter
{
public:
    class Track
    {
    public:
        Track &noteOn(std::uint32_t delta, int channel, int key, int velocity);
        Track &noteOff(std::uint32_t delta, int channel, int key);
        Track &program(std::uint32_t delta, int channel, int program);
        Track &controller(std::uint32_t delta, int channel, int number, int value);
        Track &tempo(std::uint32_t delta, std::uint32_t usPerQuarter);
        Track &meta(std::uint32_t delta, int type, std::string_view data);
        Track &sysex(std::uint32_t delta, std::string_view dataWithEnd);
        // Bytes after the delta time exactly as given (running status, damage).
        Track &raw(std::uint32_t delta, std::string_view bytes);
        Track &endOfTrack(std::uint32_t delta = 0);

        const std::string &data() const { return m_data; }

    private:
        Track &event(std::uint32_t delta, std::string_view bytes);
        std::string m_data;
    };

    explicit SmfWriter(int format = 1, std::uint16_t division = 480);

    Track &addTrack();
    // Written as a chunk of its own before the tracks that follow it.
    void addChunk(std::string_view id, std::string_view data);
    // The header's track count; by default the number of tracks added.
    void setHeaderTrackCount(int count) { m_headerTracks = count; }
    std::string bytes() const;

    static std::string varLen(std::uint32_t value);

private:
    struct Chunk {
        std::string id;
        std::string data;
        int track = -1;
    };
    int m_format;
    std::uint16_t m_division;
    int m_headerTracks = -1;
    std::deque<Track> m_tracks; // keeps references from addTrack valid
    std::vector<Chunk> m_chunks;
};

// A tune of the given length in seconds at 120 beats per minute: a melody, a bass line
// and chords on piano, bass and strings, with a drum beat; eighth notes in the melody.
std::string makeTune(int seconds);

} // namespace testing_support
