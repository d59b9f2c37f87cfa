#include "midi/sequencer.h"
#include "midi/soundfontsearch.h"
#include "midi/synth.h"
#include "support/smfwriter.h"
#include "support/songrender.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using testing_support::Rendered;
using testing_support::renderSong;
using testing_support::SmfWriter;

namespace {

std::shared_ptr<const MidiFile> songOf(const std::string &bytes)
{
    return std::make_shared<const MidiFile>(MidiFile::parse(bytes));
}

class SynthRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QStringList fonts = SoundFontSearch::candidates(QStringLiteral("/nonexistent"));
        if (fonts.isEmpty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        synth = std::make_unique<Synth>(fonts);
        sequencer = std::make_unique<Sequencer>(synth->synth(), synth->sampleRate());
    }

    int voices() const { return fluid_synth_get_active_voice_count(synth->synth()); }

    std::unique_ptr<Synth> synth;
    std::unique_ptr<Sequencer> sequencer;
};

} // namespace

TEST_F(SynthRender, NotesSoundWellAboveSilence)
{
    sequencer->setSong(songOf(testing_support::makeTune(1)));
    const Rendered rendered = renderSong(*sequencer, synth->synth(), synth->sampleRate(), 5000);
    EXPECT_TRUE(rendered.ended);
    EXPECT_GT(rendered.peak, 0.005f);
}

TEST_F(SynthRender, AFileOfRestsStaysSilent)
{
    SmfWriter smf(1, 480);
    smf.addTrack().tempo(0, 500000).endOfTrack(960);
    smf.addTrack().program(0, 0, 0).controller(0, 0, 7, 100).endOfTrack(960);
    sequencer->setSong(songOf(smf.bytes()));
    const Rendered rendered = renderSong(*sequencer, synth->synth(), synth->sampleRate(), 5000);
    EXPECT_TRUE(rendered.ended);
    EXPECT_LT(rendered.peak, 1e-5f); // far below the quietest note
}

TEST_F(SynthRender, PlaybackEndsExactlyAtTheLength)
{
    SmfWriter smf(0, 480);
    smf.addTrack().noteOn(0, 0, 60, 100).noteOff(480, 0, 60).endOfTrack(240); // 750 ms
    sequencer->setSong(songOf(smf.bytes()));
    EXPECT_EQ(sequencer->lengthMs(), 750);

    const Rendered rendered = renderSong(*sequencer, synth->synth(), synth->sampleRate(), 5000);
    ASSERT_TRUE(rendered.ended);
    EXPECT_FALSE(sequencer->isPlaying());
    EXPECT_TRUE(sequencer->atEnd());
    EXPECT_EQ(sequencer->positionMs(), 750);
    // The end falls within the block of 1000 frames that contains 750 ms.
    const long long endFrame = 750LL * synth->sampleRate() / 1000;
    EXPECT_GT(rendered.frames, endFrame);
    EXPECT_LE(rendered.frames, endFrame + 1000);

    // Rendering on after the end neither moves the position nor ends again.
    float left[1000], right[1000];
    EXPECT_FALSE(sequencer->render(left, right, 1000));
    EXPECT_EQ(sequencer->positionMs(), 750);
}

TEST_F(SynthRender, NotesLeftOnAtTheEndAreLetGoEvenWithThePedalDown)
{
    // An organ note without note-off, held by the sustain pedal, would sound for ever.
    SmfWriter smf(0, 480);
    smf.addTrack().program(0, 0, 19).controller(0, 0, 64, 127).noteOn(0, 0, 60, 100).endOfTrack(480);
    sequencer->setSong(songOf(smf.bytes()));
    ASSERT_TRUE(renderSong(*sequencer, synth->synth(), synth->sampleRate(), 5000).ended);

    float left[1000], right[1000];
    for (int i = 0; i < 5 * synth->sampleRate() / 1000 && voices() > 0; ++i)
        sequencer->render(left, right, 1000);
    EXPECT_EQ(voices(), 0);
}

TEST_F(SynthRender, StopSilencesAtOnceAndPlayGoesOnFromThere)
{
    SmfWriter smf(0, 480);
    smf.addTrack().program(0, 0, 19).noteOn(0, 0, 60, 100).noteOff(1920, 0, 60).endOfTrack();
    sequencer->setSong(songOf(smf.bytes()));
    sequencer->play();
    float left[4410], right[4410];
    sequencer->render(left, right, 4410);
    ASSERT_GT(voices(), 0);
    const int position = sequencer->positionMs();
    EXPECT_EQ(position, 100);

    sequencer->stop();
    sequencer->render(left, right, 4410);
    EXPECT_EQ(voices(), 0);
    EXPECT_EQ(sequencer->positionMs(), position);

    sequencer->play();
    sequencer->render(left, right, 4410);
    EXPECT_EQ(sequencer->positionMs(), 200);

    sequencer->rewind();
    EXPECT_EQ(sequencer->positionMs(), 0);
    EXPECT_FALSE(sequencer->isPlaying());
}

// The player's Stop closes the tune, which stops and rewinds the sequencer in one go.
TEST_F(SynthRender, AStopAndARewindSilenceTheNextBlock)
{
    // Short notes of a music box, most of them ringing on after their note-off.
    SmfWriter smf(0, 480);
    SmfWriter::Track &musicBox = smf.addTrack().program(0, 0, 10);
    for (int key = 48; key < 88; ++key)
        musicBox.noteOn(key == 48 ? 0 : 20, 0, key, 110).noteOff(20, 0, key);
    musicBox.endOfTrack(7680);
    sequencer->setSong(songOf(smf.bytes()));
    sequencer->play();
    float left[1024], right[1024];
    for (int block = 0; block < 40; ++block)
        sequencer->render(left, right, 1024);
    ASSERT_GT(voices(), 20);

    sequencer->stop();
    sequencer->rewind();
    sequencer->render(left, right, 1024);
    EXPECT_EQ(voices(), 0) << "the voices fade out instead of stopping";
}

TEST(SoundFontSearch, OwnFontsComeFirstThenTheSystemFontsInOrder)
{
    QTemporaryDir exe, shared;
    QDir(exe.path()).mkdir(QStringLiteral("soundfonts"));
    testing_support::writeFile(exe.filePath(QStringLiteral("soundfonts/b.sf2")), "x");
    testing_support::writeFile(exe.filePath(QStringLiteral("soundfonts/A.SF2")), "x");
    testing_support::writeFile(exe.filePath(QStringLiteral("soundfonts/notes.txt")), "x");
    for (const char *name : {"FluidR3_GM.sf2", "TimGM6mb.sf2", "default-GM.sf2", "other.sf2"})
        testing_support::writeFile(shared.filePath(QLatin1String(name)), "x");

    const QStringList found = SoundFontSearch::candidates(exe.path(), shared.path());
    const QStringList expected = {
        exe.filePath(QStringLiteral("soundfonts/A.SF2")),
        exe.filePath(QStringLiteral("soundfonts/b.sf2")),
        shared.filePath(QStringLiteral("default-GM.sf2")),
        shared.filePath(QStringLiteral("TimGM6mb.sf2")),
        shared.filePath(QStringLiteral("FluidR3_GM.sf2")),
    };
    EXPECT_EQ(found, expected);

    QFile::remove(shared.filePath(QStringLiteral("default-GM.sf2")));
    EXPECT_EQ(SoundFontSearch::candidates(QStringLiteral("/nonexistent"), shared.path()),
              QStringList({expected[3], expected[4]}));
}

TEST(SynthCreation, NoUsableSoundFontNamesThePackageToInstall)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.sf2"));
    testing_support::writeFile(broken, "RIFF but not a SoundFont");
    for (const QStringList &fonts : {QStringList(), QStringList({broken})}) {
        try {
            Synth synth(fonts);
            ADD_FAILURE() << "a synthesiser without a SoundFont";
        } catch (const SynthUnavailableError &error) {
            EXPECT_NE(std::string(error.what()).find("timgm6mb-soundfont"), std::string::npos);
        }
    }
}

TEST(SynthCreation, ABrokenFontIsPassedOverForTheNextOne)
{
    const QStringList fonts = SoundFontSearch::candidates(QStringLiteral("/nonexistent"));
    if (fonts.isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.sf2"));
    testing_support::writeFile(broken, "not a SoundFont");
    const Synth synth(QStringList({broken}) + fonts);
    EXPECT_EQ(synth.soundFont(), fonts.first());
}

TEST_F(SynthRender, ANewTuneStartsFromTheDefaultInstrumentsAndControllers)
{
    SmfWriter first(0, 480);
    first.addTrack().program(0, 0, 19).controller(0, 0, 7, 20).noteOn(0, 0, 60, 100).noteOff(240, 0, 60).endOfTrack();
    sequencer->setSong(songOf(first.bytes()));
    ASSERT_TRUE(renderSong(*sequencer, synth->synth(), synth->sampleRate(), 5000).ended);

    int font = 0, bank = 0, preset = -1, volume = -1;
    fluid_synth_get_program(synth->synth(), 0, &font, &bank, &preset);
    ASSERT_EQ(preset, 19);

    SmfWriter second(0, 480);
    second.addTrack().noteOn(0, 0, 60, 100).noteOff(240, 0, 60).endOfTrack();
    sequencer->setSong(songOf(second.bytes()));
    fluid_synth_get_program(synth->synth(), 0, &font, &bank, &preset);
    fluid_synth_get_cc(synth->synth(), 0, 7, &volume);
    EXPECT_EQ(preset, 0);
    EXPECT_EQ(volume, 100);
}
