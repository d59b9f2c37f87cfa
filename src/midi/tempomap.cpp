#include "midi/tempomap.h"

#include <algorithm>

namespace {
// Wide enough for any tick count times any tempo.
using Wide = unsigned __int128;
} // namespace

TempoMap TempoMap::metrical(int ticksPerQuarter)
{
    TempoMap map;
    map.m_denominator = std::uint64_t(ticksPerQuarter);
    return map;
}

TempoMap TempoMap::smpte(int framesPerSecond, int ticksPerFrame)
{
    TempoMap map;
    map.m_smpte = true;
    // One tick lasts 1e6 / (fps * ticksPerFrame) microseconds; 29 stands for 30000/1001.
    if (framesPerSecond == 29) {
        map.m_numerator = 1001000;
        map.m_denominator = 30ull * std::uint64_t(ticksPerFrame);
    } else {
        map.m_numerator = 1000000;
        map.m_denominator = std::uint64_t(framesPerSecond) * std::uint64_t(ticksPerFrame);
    }
    return map;
}

void TempoMap::addTempo(std::uint64_t tick, std::uint32_t usPerQuarter)
{
    if (m_smpte)
        return;
    m_changes.push_back({tick, usPerQuarter});
    m_dirty = true;
}

std::int64_t TempoMap::span(std::uint64_t ticks, std::uint32_t tempo) const
{
    const Wide factor = m_smpte ? m_numerator : std::uint64_t(tempo);
    const Wide us = Wide(ticks) * factor / m_denominator;
    return us > Wide(maxMicroseconds) ? maxMicroseconds : std::int64_t(us);
}

void TempoMap::rebuild() const
{
    std::vector<Change> changes = m_changes;
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change &a, const Change &b) { return a.tick < b.tick; });
    m_segments.clear();
    m_segments.push_back({0, defaultTempo, 0});
    for (const Change &change : changes) {
        Segment &last = m_segments.back();
        if (change.tick == last.tick) {
            last.tempo = change.tempo;
            continue;
        }
        const std::int64_t start =
            std::min(maxMicroseconds, last.startUs + span(change.tick - last.tick, last.tempo));
        m_segments.push_back({change.tick, change.tempo, start});
    }
    m_dirty = false;
}

std::int64_t TempoMap::toMicroseconds(std::uint64_t tick) const
{
    if (m_dirty)
        rebuild();
    auto after = std::upper_bound(m_segments.begin(), m_segments.end(), tick,
                                  [](std::uint64_t t, const Segment &s) { return t < s.tick; });
    const Segment &segment = *std::prev(after);
    return std::min(maxMicroseconds,
                    segment.startUs + span(tick - segment.tick, segment.tempo));
}
