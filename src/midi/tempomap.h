#pragma once

#include <cstdint>
#include <vector>

// Converts MIDI ticks into microseconds for one file.
//
// With a metrical division (ticks per quarter note) the tempo changes of all tracks
// apply; each change takes effect at its tick. With an SMPTE division the rate is fixed
// and tempo changes are ignored, as the file format demands.
//
// Times saturate at maxMicroseconds, so that absurd tick counts in a damaged file can
// neither overflow nor make a tune last for centuries: the reader refuses such files.
class TempoMap
{
public:
    static constexpr std::int64_t maxMicroseconds = std::int64_t(0x7FFFFFFF) * 1000;
    static constexpr std::uint32_t defaultTempo = 500000; // 120 beats per minute

    // ticksPerQuarter > 0.
    static TempoMap metrical(int ticksPerQuarter);
    // framesPerSecond is 24, 25, 29 (meaning 29.97 drop-frame) or 30; ticksPerFrame > 0.
    static TempoMap smpte(int framesPerSecond, int ticksPerFrame);

    // Records a change to usPerQuarter microseconds per quarter note at the given tick.
    // Changes may be added in any order; at equal ticks the one added last wins.
    void addTempo(std::uint64_t tick, std::uint32_t usPerQuarter);

    std::int64_t toMicroseconds(std::uint64_t tick) const;

private:
    struct Segment {
        std::uint64_t tick;
        std::uint32_t tempo;
        std::int64_t startUs;
    };
    TempoMap() = default;
    void rebuild() const;
    std::int64_t span(std::uint64_t ticks, std::uint32_t tempo) const;

    bool m_smpte = false;
    // Time of one tick is m_numerator * tempo / m_denominator microseconds (metrical:
    // numerator 1, denominator ticks per quarter; SMPTE: the fixed rate, tempo unused).
    std::uint64_t m_numerator = 1;
    std::uint64_t m_denominator = 1;
    struct Change {
        std::uint64_t tick;
        std::uint32_t tempo;
    };
    std::vector<Change> m_changes;
    mutable std::vector<Segment> m_segments;
    mutable bool m_dirty = true;
};
