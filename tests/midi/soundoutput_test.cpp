// Playback through real sound outputs: a private PulseAudio server with a null sink, as
// on a desktop, and ALSA's file plug-in where no server listens.
#include "midi/mediaplayer.h"
#include "midi/soundfontsearch.h"
#include "support/eventwait.h"
#include "support/smfwriter.h"
#include "support/soundserver.h"
#include "support/testfiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <alsa/asoundlib.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>

using testing_support::peakDecibels;
using testing_support::PrivateSoundServer;
using testing_support::waitUntil;

namespace {

constexpr int patienceMs = 30000;

// Sets environment variables for the test's time and puts the old values back.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                qputenv(name.c_str(), *value);
            else
                qunsetenv(name.c_str());
        }
    }
    void set(const char *name, const QString &value)
    {
        save(name);
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char *name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char *name)
    {
        if (!m_saved.count(name))
            m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    std::map<std::string, std::optional<QByteArray>> m_saved;
};

class RealSoundOutput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (SoundFontSearch::candidates(QCoreApplication::applicationDirPath()).isEmpty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        // The test programs play on the silent clock; these tests want the real outputs.
        environment.unset("QUAVELO_AUDIO");
        player.OnNotify = [this](QObject *) {
            if (player.NotifyValue() == TMediaPlayer::Successful && player.Position() == player.Length())
                ++ends;
        };
    }

    QString tune(int seconds)
    {
        const QString path = dir.filePath(QStringLiteral("tune%1.mid").arg(seconds));
        testing_support::writeFile(path, testing_support::makeTune(seconds));
        return path;
    }

    void play(const QString &path)
    {
        player.FileName = path;
        player.Open();
        player.Play();
    }

    bool playsToTheEnd()
    {
        const int before = ends;
        return waitUntil([&] { return ends > before; }, patienceMs);
    }

    ScopedEnvironment environment;
    QTemporaryDir dir;
    TMediaPlayer player;
    int ends = 0;
};

class PulseAudioOutput : public RealSoundOutput
{
protected:
    void SetUp() override
    {
        RealSoundOutput::SetUp();
        if (IsSkipped())
            return;
        if (!server.start())
            GTEST_SKIP() << "no private PulseAudio server: " << server.why().toStdString();
        environment.set("PULSE_SERVER", server.address());
    }

    bool streamShows()
    {
        return waitUntil([&] { return !server.streamProperties().isEmpty(); }, patienceMs);
    }

    PrivateSoundServer server;
};

} // namespace

TEST_F(PulseAudioOutput, ATuneReachesTheServerAsQuaveloWithItsIconAndRoleAtAFullLevel)
{
    ASSERT_TRUE(server.startRecording());
    play(tune(3));
    ASSERT_TRUE(streamShows());
    const QStringList properties = server.streamProperties().split(QLatin1Char('\n'));
    for (const char *expected : {"application.name = \"Quavelo\"", "media.name = \"Quavelo\"",
                                 "media.role = \"music\"", "application.icon_name = \"quavelo\""})
        EXPECT_TRUE(properties.contains(QLatin1String(expected))) << expected << " not in\n"
                                                                  << properties.join(QLatin1Char('\n')).toStdString();

    ASSERT_TRUE(playsToTheEnd());
    // The stream goes once the tune has sounded out.
    EXPECT_TRUE(waitUntil([&] { return server.streamProperties().isEmpty(); }, patienceMs));
    const std::vector<float> recorded = server.stopRecording();
    ASSERT_GT(recorded.size(), 2u * 44100);
    const double peak = peakDecibels(recorded);
    EXPECT_GE(peak, -6.0);
    EXPECT_LE(peak, -1.0);
}

TEST_F(PulseAudioOutput, AServerKilledMidTuneLeavesTheTuneToEndAndTheNextTuneFindsTheNewServer)
{
    play(tune(4));
    ASSERT_TRUE(streamShows());
    server.kill();
    ASSERT_TRUE(playsToTheEnd()) << "the tune stopped with its server";
    player.Close();

    ASSERT_TRUE(server.start()) << server.why().toStdString();
    ASSERT_TRUE(server.startRecording());
    play(tune(2));
    ASSERT_TRUE(streamShows()) << "the next tune did not try the server again";
    ASSERT_TRUE(playsToTheEnd());
    EXPECT_GT(peakDecibels(server.stopRecording()), -6.0);
}

TEST_F(PulseAudioOutput, AServerThatRefusesTheStreamOrStopsAnsweringHoldsNothingUp)
{
    // Without a sink the server refuses the stream.
    ASSERT_TRUE(server.pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}));
    play(tune(1));
    ASSERT_TRUE(playsToTheEnd());

    // A server that stops answering, before a tune and in the middle of one.
    server.freeze(true);
    play(tune(1));
    ASSERT_TRUE(playsToTheEnd());
    server.freeze(false);
    ASSERT_TRUE(server.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                              QStringLiteral("sink_name=quavelo_test")}));
    play(tune(4));
    ASSERT_TRUE(streamShows());
    server.freeze(true);
    ASSERT_TRUE(playsToTheEnd());
    player.Close();
    server.freeze(false);
}

TEST_F(RealSoundOutput, WhereNoServerListensTheSoundGoesToAlsa)
{
    // ALSA's file plug-in stands in for a sound card: what it is given lands in a file.
    const QString recording = dir.filePath(QStringLiteral("alsa.raw"));
    testing_support::writeFile(dir.filePath(QStringLiteral(".asoundrc")),
                               "pcm.!default { type file slave.pcm \"null\" file \"" + recording.toStdString()
                                   + "\" format \"raw\" }\n");
    environment.set("HOME", dir.path());
    environment.set("PULSE_SERVER", QStringLiteral("unix:") + dir.filePath(QStringLiteral("no-server")));
    snd_config_update_free_global(); // read the configuration again, from this home

    play(tune(1));
    ASSERT_TRUE(playsToTheEnd());
    player.Close();
    const std::string bytes = testing_support::readFile(recording);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    ASSERT_GT(samples.size(), 2u * 44100 / 2) << "ALSA was given no sound";
    EXPECT_GE(peakDecibels(samples), -6.0);
    EXPECT_LE(peakDecibels(samples), -1.0);
    snd_config_update_free_global();
}
