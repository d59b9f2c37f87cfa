#include "editor/previewplayer.h"
#include "support/eventwait.h"
#include "support/httpserver.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using testing_support::TestHttpServer;
using testing_support::waitUntil;

namespace {

class Preview : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString tuneFile = dir.filePath(QStringLiteral("zMusic.mid"));
    TestHttpServer server{[this](const TestHttpServer::Request &) {
        return stall ? TestHttpServer::Reply::stalling() : TestHttpServer::Reply::withBody(testing_support::makeTune(1));
    }};
    bool stall = false;
    PreviewPlayer player{dir.filePath(QStringLiteral("zSample.mid")), tuneFile};
    QStringList titles;
    std::vector<QColor> colors;
    std::vector<std::pair<int, int>> progress;
    QStringList errors;

    void SetUp() override
    {
        player.OnTitle = [this](const QString &title) { titles << title; };
        player.OnTitleColor = [this](const QColor &color) { colors.push_back(color); };
        player.OnProgress = [this](int maximum, int position) { progress.emplace_back(maximum, position); };
        player.OnError = [this](const QString &message) { errors << message; };
    }

    void playTune() { player.play(server.url("/music/a.mid"), QStringLiteral("Aria")); }
};

const QColor blue(Qt::blue);
const QColor lime(0, 255, 0);

} // namespace

TEST_F(Preview, ATunePlaysWithItsTitleBlinkingAndEndsWithTheTitleShownInBlue)
{
    testing_support::writeFile(tuneFile, "old tune");
    playTune();
    EXPECT_EQ(titles, QStringList{QStringLiteral("Aria")});
    EXPECT_EQ(server.requests().back().path, "/music/a.mid");
    EXPECT_TRUE(QFile::exists(player.SamplePath));
    ASSERT_TRUE(waitUntil([this] { return player.timPlay.isActive(); }));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(waitUntil([this] { return !player.timPlay.isActive(); }, 20000));

    // Every tick turns the title the other colour; the bar follows the tune's length.
    ASSERT_GT(colors.size(), 4u);
    for (std::size_t i = 2; i + 1 < colors.size(); ++i)
        EXPECT_NE(colors[i], colors[i - 1]) << i;
    EXPECT_EQ(colors.back(), blue);
    EXPECT_NE(std::find(colors.begin(), colors.end(), lime), colors.end());
    const auto playing = std::find_if(progress.begin(), progress.end(), [](auto p) { return p.first > 900; });
    ASSERT_NE(playing, progress.end());
    EXPECT_LE(playing->second, playing->first);
    EXPECT_EQ(progress.back(), std::make_pair(0, 0));

    EXPECT_EQ(titles.back(), QStringLiteral("Aria"));
    EXPECT_TRUE(player.MPlay.FileName.isEmpty());
    EXPECT_FALSE(QFile::exists(tuneFile));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Preview, StopClearsTheTitleAndFinishEndsADownloadForGood)
{
    playTune();
    ASSERT_TRUE(waitUntil([this] { return player.MPlay.isOpen(); }));
    player.stop();
    EXPECT_EQ(titles.back(), QString());
    EXPECT_EQ(colors.back(), blue);
    EXPECT_FALSE(player.timPlay.isActive());
    EXPECT_FALSE(player.MPlay.isOpen());

    // A preview finished while it downloads shows no error, plays nothing afterwards and
    // leaves no file behind.
    stall = true;
    const std::size_t requests = server.requests().size();
    QTimer::singleShot(100, [this] {
        playTune();
        player.finish();
    });
    playTune();
    EXPECT_EQ(server.requests().size(), requests + 1) << "a second play waits for the first download";
    EXPECT_FALSE(player.HTTPGet3.isBusy());
    testing_support::runEventsFor(400);
    EXPECT_FALSE(player.MPlay.isOpen());
    EXPECT_FALSE(player.timDown4.isActive() || player.timPlay.isActive());
    EXPECT_FALSE(QFile::exists(player.SamplePath));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
