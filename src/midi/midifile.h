#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A Standard MIDI File that failed to read; what() is UTF-8 text for the user.
class MidiFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One event to send to the synthesiser, at its time from the start of the tune.
// Channel messages keep their status byte (with the channel) and data bytes; a system
// exclusive message has status 0xF0 and its bytes, without the leading 0xF0, in the
// file's sysex pool.
struct MidiEvent {
    std::int64_t timeUs = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t sysexOffset = 0;
    std::uint32_t sysexLength = 0;
};

// A Standard MIDI File read whole: the events of all tracks merged in time order, their
// times from the tempo map, and the length up to the last event of any track.
class MidiFile
{
public:
    static constexpr int maxTracks = 128;

    // Throws MidiFileError for anything that is not a complete, well-formed file.
    static MidiFile parse(std::string_view bytes);
    static MidiFile load(const QString &path);

    int format() const { return m_format; }
    int trackCount() const { return m_trackCount; }
    const std::vector<MidiEvent> &events() const { return m_events; }
    // The bytes of a system exclusive event, without the leading 0xF0.
    std::string_view sysex(const MidiEvent &event) const;
    std::int64_t lengthUs() const { return m_lengthUs; }
    int lengthMs() const;

private:
    friend class MidiFileReader;
    int m_format = 0;
    int m_trackCount = 0;
    std::vector<MidiEvent> m_events;
    std::string m_sysexPool;
    std::int64_t m_lengthUs = 0;
};
