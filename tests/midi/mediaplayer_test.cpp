#include "midi/mediaplayer.h"
#include "midi/soundfontsearch.h"
#include "support/eventwait.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using testing_support::runEventsFor;
using testing_support::SmfWriter;
using testing_support::waitUntil;

namespace {

struct Notice {
    int value;
    int position;
    int length;
    bool onGuiThread;
};

// A generous bound for waits; tunes here last well under a second.
constexpr int patienceMs = 20000;

class MediaPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (SoundFontSearch::candidates(QCoreApplication::applicationDirPath()).isEmpty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        player.OnNotify = [this](QObject *sender) {
            EXPECT_EQ(sender, &player);
            notices.push_back({player.NotifyValue(), player.Position(),
                               player.isOpen() ? player.Length() : -1,
                               QThread::currentThread() == qApp->thread()});
        };
    }

    QString write(const QString &name, const std::string &bytes)
    {
        const QString path = dir.filePath(name);
        testing_support::writeFile(path, bytes);
        return path;
    }

    // A tune of one note that lasts ms milliseconds at the default tempo.
    QString tune(int ms)
    {
        SmfWriter smf(0, 1000); // 1000 ticks a quarter of 500 ms: 2 ticks a millisecond
        smf.addTrack().program(0, 0, 0).noteOn(0, 0, 67, 100).noteOff(std::uint32_t(ms * 2), 0, 67).endOfTrack();
        return write(QStringLiteral("tune.mid"), smf.bytes());
    }

    void openAndPlay(const QString &path)
    {
        player.FileName = path;
        player.Open();
        player.Play();
    }

    bool waitForNotices(std::size_t count)
    {
        return waitUntil([&] { return notices.size() >= count; }, patienceMs);
    }

    QTemporaryDir dir;
    TMediaPlayer player;
    std::vector<Notice> notices;
};

} // namespace

TEST_F(MediaPlayerTest, TheEndOfPlayIsNoticedOnceOnTheGuiThreadWithPositionAtLength)
{
    openAndPlay(tune(300));
    EXPECT_EQ(player.Length(), 300);
    ASSERT_TRUE(waitForNotices(1));
    runEventsFor(300);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].value, TMediaPlayer::Successful);
    EXPECT_EQ(notices[0].position, 300);
    EXPECT_EQ(notices[0].length, 300);
    EXPECT_TRUE(notices[0].onGuiThread);
    EXPECT_EQ(player.Position(), player.Length());
}

TEST_F(MediaPlayerTest, PlayAtTheEndStartsAgainFromTheBeginning)
{
    openAndPlay(tune(200));
    ASSERT_TRUE(waitForNotices(1));
    ASSERT_EQ(player.Position(), 200);

    player.Play();
    player.Notify = false;
    player.Stop();
    EXPECT_LT(player.Position(), 200);

    player.Play();
    ASSERT_TRUE(waitForNotices(3));
    EXPECT_EQ(notices[1].value, TMediaPlayer::Aborted);
    EXPECT_EQ(notices[2].value, TMediaPlayer::Successful);
    EXPECT_EQ(notices[2].position, 200);
}

TEST_F(MediaPlayerTest, AFileOfNoLengthEndsAtOnceEveryTime)
{
    SmfWriter smf(0, 96);
    smf.addTrack().endOfTrack();
    openAndPlay(write(QStringLiteral("empty.mid"), smf.bytes()));
    EXPECT_EQ(player.Length(), 0);
    ASSERT_TRUE(waitForNotices(1));
    player.Play();
    ASSERT_TRUE(waitForNotices(2));
    EXPECT_EQ(notices[1].value, TMediaPlayer::Successful);
    EXPECT_EQ(notices[1].position, 0);
}

TEST_F(MediaPlayerTest, StopHoldsThePositionAndReopeningStartsFromTheBeginning)
{
    openAndPlay(tune(3000));
    ASSERT_TRUE(waitUntil([&] { return player.Position() >= 100; }, patienceMs));
    player.Stop();
    const int stopped = player.Position();
    runEventsFor(200);
    EXPECT_EQ(player.Position(), stopped);
    EXPECT_LT(stopped, 3000);

    // Play after Stop goes on from where it stopped.
    player.Play();
    ASSERT_TRUE(waitUntil([&] { return player.Position() > stopped; }, patienceMs));

    // The window's Stop step closes, its Play step opens again: from the beginning.
    player.Stop();
    player.Close();
    EXPECT_EQ(player.Position(), 0);
    player.Open();
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.Length(), 3000);
}

TEST_F(MediaPlayerTest, NoticesCutShortAreSupersededOrAborted)
{
    openAndPlay(tune(5000));
    player.Play(); // the first Play's notice is superseded
    player.Stop(); // the second's is aborted
    ASSERT_TRUE(waitForNotices(2));
    EXPECT_EQ(notices[0].value, TMediaPlayer::Superseded);
    EXPECT_EQ(notices[1].value, TMediaPlayer::Aborted);

    player.Play();
    player.Close(); // aborted as well, and harmless once closed
    ASSERT_TRUE(waitForNotices(3));
    EXPECT_EQ(notices[2].value, TMediaPlayer::Aborted);
    EXPECT_EQ(notices[2].length, -1);
    runEventsFor(200);
    EXPECT_EQ(notices.size(), 3u);
}

TEST_F(MediaPlayerTest, NotifyAppliesToTheNextCommandOnly)
{
    const QString path = tune(100);
    player.FileName = path;
    player.Notify = true;
    player.Open(); // notifies when done
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(notices[0].value, TMediaPlayer::Successful);
    EXPECT_EQ(notices[0].position, 0);

    player.Notify = false;
    player.Play(); // no notice at its end
    ASSERT_TRUE(waitUntil([&] { return player.Position() == 100; }, patienceMs));
    runEventsFor(200);
    EXPECT_EQ(notices.size(), 1u);

    player.Stop(); // Stop and Close send none unless asked
    player.Play(); // Play notifies again by default
    ASSERT_TRUE(waitForNotices(2));
    EXPECT_EQ(notices[1].value, TMediaPlayer::Successful);
    EXPECT_EQ(notices[1].position, 100);
    player.Close();
    runEventsFor(100);
    EXPECT_EQ(notices.size(), 2u);
}

TEST_F(MediaPlayerTest, CloseFreesTheFileToDeleteOrOverwrite)
{
    const QString path = tune(1000);
    openAndPlay(path);
    player.Close();
    EXPECT_FALSE(player.isOpen());
    testing_support::writeFile(path, "overwritten");
    EXPECT_TRUE(QFile::remove(path));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(MediaPlayerTest, FilesTheReaderRefusesMakeOpenRaise)
{
    const std::string good = testing_support::makeTune(1);
    const QString bad[] = {
        write(QStringLiteral("text.mid"), "Not a tune at all.\n"),
        write(QStringLiteral("cut.mid"), good.substr(0, good.size() / 2)),
        write(QStringLiteral("empty.mid"), ""),
        dir.filePath(QStringLiteral("missing.mid")),
    };
    for (const QString &path : bad) {
        player.FileName = path;
        EXPECT_THROW(player.Open(), EMCIDeviceError) << path.toStdString();
        EXPECT_FALSE(player.isOpen());
    }

    // A failed Open leaves the device free for the next.
    openAndPlay(tune(100));
    EXPECT_TRUE(player.isOpen());
}

TEST_F(MediaPlayerTest, CommandsWithNothingOpenRaiseNoDevice)
{
    for (const auto &command : {std::function<void()>([&] { player.Play(); }),
                                std::function<void()>([&] { player.Stop(); }),
                                std::function<void()>([&] { player.Length(); })}) {
        try {
            command();
            ADD_FAILURE() << "no error without an open device";
        } catch (const EMCIDeviceError &error) {
            EXPECT_STREQ(error.what(), "MCI デバイスがありません");
        }
    }
    EXPECT_EQ(player.Position(), 0);
    EXPECT_NO_THROW(player.Close());
}

TEST_F(MediaPlayerTest, OnePlayerAtATimeHoldsTheSynthesiser)
{
    const QString path = tune(1000);
    openAndPlay(path);
    TMediaPlayer other;
    other.FileName = path;
    EXPECT_THROW(other.Open(), EMCIDeviceError);
    EXPECT_FALSE(other.isOpen());

    player.Close();
    other.Open();
    EXPECT_TRUE(other.isOpen());
    EXPECT_EQ(other.Length(), 1000);
}

TEST_F(MediaPlayerTest, DestroyingAPlayingPlayerDropsItsNotices)
{
    int delivered = 0;
    {
        TMediaPlayer doomed;
        doomed.OnNotify = [&](QObject *) { ++delivered; };
        doomed.FileName = tune(50);
        doomed.Open();
        doomed.Play();
        ASSERT_TRUE(waitUntil([&] { return doomed.Position() == 50; }, patienceMs));
    }
    runEventsFor(200);
    EXPECT_EQ(delivered, 0);

    // The synthesiser is free again.
    openAndPlay(tune(50));
    ASSERT_TRUE(waitForNotices(1));
}
