#include "midi/midifile.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using testing_support::SmfWriter;

namespace {

std::string oneNoteFile()
{
    SmfWriter smf(0, 96);
    smf.addTrack().program(0, 0, 0).noteOn(0, 0, 60, 100).noteOff(96, 0, 60).endOfTrack();
    return smf.bytes();
}

void expectRefused(const std::string &bytes, const char *why)
{
    EXPECT_THROW(MidiFile::parse(bytes), MidiFileError) << why;
}

} // namespace

TEST(MidiFileTiming, TempoChangesInSeveralTracksGiveTheLengthAndEventTimes)
{
    SmfWriter smf(1, 480);
    // 0..960 at 0.5 s per quarter = 1000 ms; 960..1440 at 0.25 s = 250 ms;
    // 1440..2400 at 1 s = 2000 ms; 3250 ms in all.
    smf.addTrack().tempo(0, 500000).tempo(960, 250000).endOfTrack();
    smf.addTrack().tempo(1440, 1000000).endOfTrack();
    smf.addTrack().noteOn(1200, 0, 60, 100).noteOff(1200, 0, 60).endOfTrack();
    const MidiFile file = MidiFile::parse(smf.bytes());

    EXPECT_EQ(file.lengthUs(), 3250000);
    EXPECT_EQ(file.lengthMs(), 3250);
    ASSERT_EQ(file.events().size(), 2u);
    EXPECT_EQ(file.events()[0].timeUs, 1125000); // 1000 ms + 240 ticks at 0.25 s
    EXPECT_EQ(file.events()[1].timeUs, 3250000);
}

TEST(MidiFileTiming, AtTheSameTickTheTempoOfTheLaterTrackHolds)
{
    SmfWriter smf(1, 480);
    smf.addTrack().tempo(0, 2000000).endOfTrack(480);
    smf.addTrack().tempo(0, 250000).endOfTrack(480);
    EXPECT_EQ(MidiFile::parse(smf.bytes()).lengthMs(), 250);
}

TEST(MidiFileTiming, LengthRunsToTheLastEventOfTheLongestTrackIncludingTrailingRests)
{
    SmfWriter smf(1, 100);
    smf.addTrack().noteOn(0, 0, 60, 100).noteOff(50, 0, 60).endOfTrack(350); // tick 400
    smf.addTrack().noteOn(0, 1, 64, 100).noteOff(300, 1, 64).endOfTrack(); // tick 300
    // Default tempo, 120 beats per minute: 400 ticks of a 100-tick quarter are 2 s.
    EXPECT_EQ(MidiFile::parse(smf.bytes()).lengthMs(), 2000);
}

TEST(MidiFileTiming, SmpteDivisionIgnoresTempoChanges)
{
    // 25 frames per second, 40 ticks per frame: one tick per millisecond.
    SmfWriter smf(0, std::uint16_t((0x100 - 25) << 8 | 40));
    smf.addTrack().tempo(0, 100000).noteOn(0, 0, 60, 100).noteOff(1234, 0, 60).endOfTrack();
    const MidiFile file = MidiFile::parse(smf.bytes());
    EXPECT_EQ(file.lengthMs(), 1234);

    SmfWriter dropFrame(0, std::uint16_t((0x100 - 29) << 8 | 1));
    dropFrame.addTrack().endOfTrack(2997);
    EXPECT_EQ(MidiFile::parse(dropFrame.bytes()).lengthMs(), 100000);
}

TEST(MidiFileEvents, RunningStatusCarriesOverDataAndMetaEvents)
{
    SmfWriter smf(0, 96);
    smf.addTrack()
        .raw(0, "\x90\x3C\x64")   // note on 60
        .raw(10, "\x40\x50")      // running status: note on 64
        .meta(0, 0x01, "text")
        .raw(10, std::string("\x3C\x00", 2)) // still note on, velocity 0
        .raw(0, "\xC5\x07")       // program change: one data byte
        .raw(5, "\x08")           // running status with one data byte
        .endOfTrack();
    const MidiFile file = MidiFile::parse(smf.bytes());
    ASSERT_EQ(file.events().size(), 5u);
    const auto &e = file.events();
    EXPECT_EQ(e[1].status, 0x90);
    EXPECT_EQ(e[1].data1, 0x40);
    EXPECT_EQ(e[1].data2, 0x50);
    EXPECT_EQ(e[2].status, 0x90);
    EXPECT_EQ(e[2].data1, 0x3C);
    EXPECT_EQ(e[2].data2, 0);
    EXPECT_EQ(e[4].status, 0xC5);
    EXPECT_EQ(e[4].data1, 0x08);
    EXPECT_EQ(file.lengthMs(), 130); // 25 ticks of 96 at 0.5 s per quarter
}

TEST(MidiFileEvents, SystemExclusiveKeepsItsBytesWithoutTheFraming)
{
    SmfWriter smf(0, 96);
    smf.addTrack()
        .sysex(0, "\x7E\x7F\x09\x01\xF7") // General MIDI on
        .raw(0, "\xF7\x02\x01\x02")       // an escape: not for the synth
        .endOfTrack();
    const MidiFile file = MidiFile::parse(smf.bytes());
    ASSERT_EQ(file.events().size(), 1u);
    EXPECT_EQ(file.events()[0].status, 0xF0);
    EXPECT_EQ(file.sysex(file.events()[0]), "\x7E\x7F\x09\x01");
}

TEST(MidiFileEvents, TracksMergeInTimeOrderAndKeepTrackOrderAtTheSameTick)
{
    SmfWriter smf(1, 96);
    smf.addTrack().noteOn(10, 0, 1, 1).noteOn(10, 0, 3, 1).endOfTrack();
    smf.addTrack().noteOn(10, 1, 2, 1).noteOn(5, 1, 4, 1).endOfTrack();
    const MidiFile file = MidiFile::parse(smf.bytes());
    std::vector<int> keys;
    for (const MidiEvent &e : file.events())
        keys.push_back(e.data1);
    EXPECT_EQ(keys, (std::vector<int>{1, 2, 4, 3}));
    EXPECT_EQ(file.trackCount(), 2);
    EXPECT_EQ(file.format(), 1);
}

TEST(MidiFileEvents, ChunksOfOtherKindsAreSkippedAndBytesAfterTheEndOfTrackIgnored)
{
    SmfWriter smf(0, 96);
    smf.addChunk("XFIH", "vendor data");
    smf.addTrack().noteOn(0, 0, 60, 1).endOfTrack(96).raw(0, "\xF4 junk");
    const MidiFile file = MidiFile::parse(smf.bytes() + "trailing bytes");
    EXPECT_EQ(file.events().size(), 1u);
    EXPECT_EQ(file.lengthMs(), 500);
}

TEST(MidiFileRefusal, NonMidiEmptyAndTruncatedInputIsRefused)
{
    expectRefused("", "empty");
    expectRefused("MTh", "shorter than the signature");
    expectRefused("This is a text file, not a tune.\n", "text");
    expectRefused("RIFF\x10\0\0\0RMIDdata", "wrapped in RIFF");

    // Every prefix of a good file is refused, none crashes.
    const std::string good = oneNoteFile();
    ASSERT_NO_THROW(MidiFile::parse(good));
    for (std::size_t size = 0; size < good.size(); ++size)
        expectRefused(good.substr(0, size), "truncated");
}

TEST(MidiFileRefusal, CorruptHeadersAreRefused)
{
    SmfWriter noTracks(1, 96);
    expectRefused(noTracks.bytes(), "no tracks");

    SmfWriter missingTrack(1, 96);
    missingTrack.addTrack().endOfTrack();
    missingTrack.setHeaderTrackCount(2);
    expectRefused(missingTrack.bytes(), "fewer tracks than announced");

    SmfWriter zeroDivision(0, 0);
    zeroDivision.addTrack().endOfTrack();
    expectRefused(zeroDivision.bytes(), "division 0");

    SmfWriter badRate(0, std::uint16_t((0x100 - 23) << 8 | 10));
    badRate.addTrack().endOfTrack();
    expectRefused(badRate.bytes(), "23 frames per second");

    SmfWriter badFormat(3, 96);
    badFormat.addTrack().endOfTrack();
    expectRefused(badFormat.bytes(), "format 3");

    std::string shortHeader = oneNoteFile();
    shortHeader[7] = 5;
    expectRefused(shortHeader, "header length 5");
}

TEST(MidiFileRefusal, MoreThan128TracksAreRefused)
{
    SmfWriter most(1, 96);
    for (int i = 0; i < MidiFile::maxTracks; ++i)
        most.addTrack().endOfTrack();
    EXPECT_EQ(MidiFile::parse(most.bytes()).trackCount(), 128);

    most.addTrack().endOfTrack();
    expectRefused(most.bytes(), "129 tracks");
}

TEST(MidiFileRefusal, MetaEventsOfTheWrongLengthAreRefused)
{
    const struct {
        int type;
        std::string data;
    } cases[] = {
        {0x51, "\x07\xA1"},              // tempo of two bytes
        {0x51, std::string("\x07\xA1\x20\x00", 4)}, // tempo of four bytes
        {0x2F, "x"},                     // end of track with data
        {0x58, "\x04\x02\x18"},          // time signature of three bytes
        {0x59, std::string(1, '\0')},     // key signature of one byte
        {0x54, std::string(4, '\0')},     // SMPTE offset of four bytes
    };
    for (const auto &c : cases) {
        SmfWriter smf(0, 96);
        smf.addTrack().meta(0, c.type, c.data).endOfTrack();
        expectRefused(smf.bytes(), std::to_string(c.type).c_str());
    }
}

TEST(MidiFileRefusal, DamagedEventsAreRefused)
{
    const char *damaged[] = {
        "\x3C\x64",              // a data byte before any status
        "\x90\x3C\xE4",          // a status byte where data is due
        "\xF4",                  // a system common message has no place in a file
        "\xF8",                  // neither has a real-time one
        "\x90\x3C",              // the chunk ends inside the event
        "\xFF\x01\x20text",      // a meta event longer than its chunk
    };
    for (const char *bytes : damaged) {
        SmfWriter smf(0, 96);
        smf.addTrack().raw(0, bytes);
        expectRefused(smf.bytes(), bytes);
    }

    SmfWriter longVarLen(0, 96);
    longVarLen.addTrack().raw(0, "").raw(0, "");
    std::string bytes = longVarLen.bytes();
    // A delta time of five bytes before an otherwise good end of track.
    bytes.replace(bytes.size() - 2, 2, std::string("\x81\x81\x81\x81\x01\xFF\x2F\x00", 8));
    bytes[21] = 8;
    expectRefused(bytes, "five-byte delta");
}

TEST(MidiFileRefusal, ATuneOfAbsurdLengthIsRefused)
{
    // Deltas of the largest size at the slowest tempo and the finest division add up to
    // far more than a length in milliseconds can hold.
    SmfWriter smf(0, 1);
    SmfWriter::Track &track = smf.addTrack().tempo(0, 0xFFFFFF);
    for (int i = 0; i < 200; ++i)
        track.raw(0x0FFFFFFF, "\xFF\x01\x00");
    track.endOfTrack();
    expectRefused(smf.bytes(), "absurd length");
}

TEST(MidiFileLoad, ReadsAFileAndRefusesAMissingOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tune.mid"));
    testing_support::writeFile(path, oneNoteFile());
    EXPECT_EQ(MidiFile::load(path).lengthMs(), 500);
    EXPECT_THROW(MidiFile::load(dir.filePath(QStringLiteral("missing.mid"))), MidiFileError);
}
