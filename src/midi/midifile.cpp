#include "midi/midifile.h"
#include "midi/tempomap.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace {

// Far beyond any real tune; keeps a damaged or hostile file from taking all memory.
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

[[noreturn]] void fail(const std::string &message)
{
    throw MidiFileError(message);
}

[[noreturn]] void failCorrupt(const char *detail)
{
    fail(std::string("MIDI ファイルが壊れています（") + detail + "）");
}

[[noreturn]] void failTruncated()
{
    fail("MIDI ファイルが途中で切れています");
}

// Reads big-endian numbers and variable-length quantities from a byte range. Running past
// the end either means the file was cut short or, inside a track, that the track is
// damaged; the owner says which.
class ByteCursor
{
public:
    enum class Overrun { Truncated, Corrupt };

    ByteCursor(std::string_view data, Overrun overrun) : m_data(data), m_overrun(overrun) {}

    bool atEnd() const { return m_pos == m_data.size(); }
    std::size_t remaining() const { return m_data.size() - m_pos; }

    std::uint8_t byte()
    {
        need(1);
        return std::uint8_t(m_data[m_pos++]);
    }

    std::uint32_t be16()
    {
        const std::uint32_t high = byte();
        return (high << 8) | byte();
    }

    std::uint32_t be32()
    {
        const std::uint32_t high = be16();
        return (high << 16) | be16();
    }

    // At most four bytes, so at most 0x0FFFFFFF.
    std::uint32_t varLen()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        failCorrupt("可変長の数値が長すぎます");
    }

    std::string_view take(std::size_t count)
    {
        need(count);
        const std::string_view part = m_data.substr(m_pos, count);
        m_pos += count;
        return part;
    }

private:
    void need(std::size_t count) const
    {
        if (count > remaining()) {
            if (m_overrun == Overrun::Truncated)
                failTruncated();
            failCorrupt("イベントがトラックの外にはみ出しています");
        }
    }

    std::string_view m_data;
    std::size_t m_pos = 0;
    Overrun m_overrun;
};

// FluidSynth refuses a whole file when one of these meta events has another length.
std::optional<std::uint32_t> requiredMetaLength(std::uint8_t type)
{
    switch (type) {
    case 0x2F: return 0; // end of track
    case 0x51: return 3; // set tempo
    case 0x54: return 5; // SMPTE offset
    case 0x58: return 4; // time signature
    case 0x59: return 2; // key signature
    default: return std::nullopt;
    }
}

std::uint8_t dataByte(std::uint8_t b)
{
    if (b & 0x80)
        failCorrupt("データバイトが不正です");
    return b;
}

} // namespace

// Reads the chunks of a file into a MidiFile; one instance per parse.
class MidiFileReader
{
public:
    MidiFile read(std::string_view bytes);

private:
    struct TickedEvent {
        std::uint64_t tick;
        MidiEvent event;
    };

    TempoMap readHeader(ByteCursor &file);
    void readTrack(std::string_view chunk, TempoMap &tempo);

    MidiFile m_file;
    std::vector<TickedEvent> m_ticked;
    std::uint64_t m_lastTick = 0;
};

TempoMap MidiFileReader::readHeader(ByteCursor &file)
{
    if (file.remaining() < 4 || file.take(4) != "MThd")
        fail("MIDI ファイルではありません");
    const std::uint32_t headerLength = file.be32();
    if (headerLength < 6)
        failCorrupt("ヘッダーが短すぎます");
    if (headerLength > file.remaining())
        failTruncated();
    ByteCursor header(file.take(headerLength), ByteCursor::Overrun::Corrupt);
    m_file.m_format = int(header.be16());
    const std::uint32_t tracks = header.be16();
    const std::uint32_t division = header.be16();
    if (m_file.m_format > 2)
        failCorrupt("未対応の形式です");
    if (tracks == 0)
        failCorrupt("トラックがありません");
    if (tracks > MidiFile::maxTracks)
        fail("MIDI ファイルのトラックが多すぎます（128 まで）");
    m_file.m_trackCount = int(tracks);

    if (division & 0x8000) {
        const int framesPerSecond = -int(std::int8_t(division >> 8));
        const int ticksPerFrame = int(division & 0xFF);
        if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29
             && framesPerSecond != 30)
            || ticksPerFrame == 0)
            failCorrupt("時間の単位が不正です");
        return TempoMap::smpte(framesPerSecond, ticksPerFrame);
    }
    if (division == 0)
        failCorrupt("時間の単位が不正です");
    return TempoMap::metrical(int(division));
}

void MidiFileReader::readTrack(std::string_view chunk, TempoMap &tempo)
{
    ByteCursor track(chunk, ByteCursor::Overrun::Corrupt);
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (!track.atEnd()) {
        tick += track.varLen();
        m_lastTick = std::max(m_lastTick, tick);
        const std::uint8_t lead = track.byte();
        if (lead == 0xFF) {
            const std::uint8_t type = track.byte();
            const std::uint32_t length = track.varLen();
            const std::string_view data = track.take(length);
            if (const auto required = requiredMetaLength(type); required && *required != length)
                failCorrupt("メタイベントの長さが不正です");
            if (type == 0x51) {
                tempo.addTempo(tick, (std::uint32_t(std::uint8_t(data[0])) << 16)
                                         | (std::uint32_t(std::uint8_t(data[1])) << 8)
                                         | std::uint8_t(data[2]));
            } else if (type == 0x2F) {
                return;
            }
        } else if (lead == 0xF0 || lead == 0xF7) {
            std::string_view data = track.take(track.varLen());
            // 0xF7 continues or escapes a message split over several events; the synth
            // takes complete messages only.
            if (lead == 0xF7)
                continue;
            if (!data.empty() && std::uint8_t(data.back()) == 0xF7)
                data.remove_suffix(1);
            MidiEvent event;
            event.status = 0xF0;
            event.sysexOffset = std::uint32_t(m_file.m_sysexPool.size());
            event.sysexLength = std::uint32_t(data.size());
            m_file.m_sysexPool.append(data);
            m_ticked.push_back({tick, event});
        } else if (lead > 0xF0) {
            failCorrupt("ステータスバイトが不正です");
        } else {
            MidiEvent event;
            if (lead & 0x80) {
                runningStatus = lead;
                event.data1 = dataByte(track.byte());
            } else if (runningStatus == 0) {
                failCorrupt("ステータスバイトがありません");
            } else {
                event.data1 = lead;
            }
            event.status = runningStatus;
            const std::uint8_t kind = runningStatus & 0xF0;
            if (kind != 0xC0 && kind != 0xD0)
                event.data2 = dataByte(track.byte());
            m_ticked.push_back({tick, event});
        }
    }
}

MidiFile MidiFileReader::read(std::string_view bytes)
{
    if (bytes.size() > std::size_t(maxFileBytes))
        fail("MIDI ファイルが大きすぎます");
    ByteCursor file(bytes, ByteCursor::Overrun::Truncated);
    TempoMap tempo = readHeader(file);

    int tracksRead = 0;
    while (tracksRead < m_file.m_trackCount) {
        const std::string_view id = file.take(4);
        const std::uint32_t length = file.be32();
        const std::string_view chunk = file.take(length);
        // Chunks of other kinds are skipped, as the format asks of readers.
        if (id == "MTrk") {
            readTrack(chunk, tempo);
            ++tracksRead;
        }
    }

    m_file.m_lengthUs = tempo.toMicroseconds(m_lastTick);
    if (m_file.m_lengthUs >= TempoMap::maxMicroseconds)
        fail("MIDI ファイルの演奏時間が長すぎます");

    // Tracks were appended one after another; a stable sort keeps the order of events at
    // the same tick, within a track and between tracks.
    std::stable_sort(m_ticked.begin(), m_ticked.end(),
                     [](const TickedEvent &a, const TickedEvent &b) { return a.tick < b.tick; });
    m_file.m_events.reserve(m_ticked.size());
    for (TickedEvent &ticked : m_ticked) {
        ticked.event.timeUs = tempo.toMicroseconds(ticked.tick);
        m_file.m_events.push_back(ticked.event);
    }
    return std::move(m_file);
}

MidiFile MidiFile::parse(std::string_view bytes)
{
    return MidiFileReader().read(bytes);
}

MidiFile MidiFile::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("ファイルを開けません: " + path.toStdString());
    if (file.size() > maxFileBytes)
        fail("MIDI ファイルが大きすぎます");
    const QByteArray bytes = file.readAll();
    file.close();
    return parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

std::string_view MidiFile::sysex(const MidiEvent &event) const
{
    return std::string_view(m_sysexPool).substr(event.sysexOffset, event.sysexLength);
}

int MidiFile::lengthMs() const
{
    return int((m_lengthUs + 500) / 1000);
}
