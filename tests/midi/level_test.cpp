#include "midi/levelguard.h"
#include "midi/sequencer.h"
#include "midi/soundfontsearch.h"
#include "midi/synth.h"
#include "support/songrender.h"
#include "support/testfiles.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <vector>

using testing_support::decibels;

namespace {

struct Channels {
    std::vector<float> left, right;
    explicit Channels(int frames) : left(std::size_t(frames)), right(std::size_t(frames)) {}
    // The loudest sample from the given frame on.
    float peak(int from = 0) const
    {
        float peak = 0;
        for (std::size_t i = std::size_t(from); i < left.size(); ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        return peak;
    }
};

// A sine of the given amplitude, in blocks of an awkward size, through the guard.
Channels guarded(LevelGuard &guard, float amplitude, int frames)
{
    Channels sound(frames);
    for (int i = 0; i < frames; ++i)
        sound.left[std::size_t(i)] = sound.right[std::size_t(i)] = amplitude * float(std::sin(i * 0.05));
    for (int done = 0; done < frames; done += 777)
        guard.process(sound.left.data() + done, sound.right.data() + done, std::min(777, frames - done));
    return sound;
}

} // namespace

TEST(LevelGuard, AQuietSoundPassesUnchangedOnlyLate)
{
    LevelGuard guard;
    Channels in(4000);
    for (int i = 0; i < 4000; ++i) {
        in.left[std::size_t(i)] = 0.5f * float(std::sin(i * 0.01));
        in.right[std::size_t(i)] = -0.25f * float(std::sin(i * 0.03));
    }
    Channels out = in;
    guard.process(out.left.data(), out.right.data(), 1000);
    guard.process(out.left.data() + 1000, out.right.data() + 1000, 3000);
    for (int i = 0; i < LevelGuard::delayFrames; ++i)
        ASSERT_EQ(out.left[std::size_t(i)], 0.0f) << i;
    for (int i = LevelGuard::delayFrames; i < 4000; ++i) {
        ASSERT_EQ(out.left[std::size_t(i)], in.left[std::size_t(i - LevelGuard::delayFrames)]) << i;
        ASSERT_EQ(out.right[std::size_t(i)], in.right[std::size_t(i - LevelGuard::delayFrames)]) << i;
    }
    EXPECT_EQ(guard.gain(), 1.0f);
}

TEST(LevelGuard, ALoudSoundPeaksAtTheCeilingAndTheGainStaysDownUntilReset)
{
    LevelGuard guard;
    // Four times over the ceiling; the first loud frames are already brought down.
    const Channels loud = guarded(guard, 4 * LevelGuard::ceiling, 20000);
    EXPECT_NEAR(loud.peak(), LevelGuard::ceiling, 1e-5f);
    EXPECT_NEAR(guard.gain(), 0.25f, 0.001f);

    // A quieter passage after it keeps the lowered gain: no swell.
    const Channels after = guarded(guard, 0.5f * LevelGuard::ceiling, 20000);
    EXPECT_NEAR(after.peak(LevelGuard::delayFrames), 0.125f * LevelGuard::ceiling, 0.01f);

    guard.reset();
    EXPECT_EQ(guard.gain(), 1.0f);
    const Channels fresh = guarded(guard, 0.5f * LevelGuard::ceiling, 20000);
    EXPECT_NEAR(fresh.peak(LevelGuard::delayFrames), 0.5f * LevelGuard::ceiling, 0.01f);
}

TEST(LevelGuard, SilenceDropsTheSoundOnItsWayOutButKeepsTheGain)
{
    LevelGuard guard;
    guarded(guard, 2 * LevelGuard::ceiling, 5000);
    const float gain = guard.gain();
    guard.silence();
    Channels quiet(1000);
    guard.process(quiet.left.data(), quiet.right.data(), 1000);
    EXPECT_EQ(quiet.peak(), 0.0f);
    EXPECT_EQ(guard.gain(), gain);
}

// Every tune of the bundled catalogue, rendered from start to silence as the player
// plays it: loud enough beside other programs, and never clipped.
class BundledTuneLevel : public ::testing::TestWithParam<std::string>
{
};

TEST_P(BundledTuneLevel, PeaksBetweenMinusSixAndMinusOneDecibels)
{
    const QStringList fonts = SoundFontSearch::candidates(QStringLiteral("/nonexistent"));
    if (fonts.isEmpty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const Synth synth(fonts);
    Sequencer sequencer(synth.synth(), synth.sampleRate());
    const QString path = testing_support::sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/") + QString::fromStdString(GetParam());
    sequencer.setSong(std::make_shared<const MidiFile>(MidiFile::load(path)));

    const auto rendered = testing_support::renderSong(sequencer, synth.synth(), synth.sampleRate(), 600000, true);
    ASSERT_TRUE(rendered.ended);
    const double level = decibels(rendered.peak);
    RecordProperty("peak_dBFS", std::to_string(level));
    EXPECT_GE(level, -6.0);
    EXPECT_LE(level, -1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, BundledTuneLevel,
    ::testing::ValuesIn([] {
        const QDir music(testing_support::sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music"));
        const QStringList names = music.entryList({QStringLiteral("*.mid"), QStringLiteral("*.MID")}, QDir::Files, QDir::Name);
        std::vector<std::string> files;
        for (const QString &name : names)
            files.push_back(name.toStdString());
        return files;
    }()),
    [](const ::testing::TestParamInfo<std::string> &info) {
        std::string name = info.param;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });
