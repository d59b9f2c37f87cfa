#include "app/application.h"
#include "app/text.h"
#include "controls/lbspeedbutton.h"
#include "editor/frmmidi.h"
#include "player/frmmain.h"
#include "player/nowplaying.h"
#include "player/snaptocorner.h"
#include "support/eventwait.h"
#include "support/qtprinters.h"
#include "support/httpserver.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"
#include "support/userinput.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using testing_support::clickLikeAUser;
using testing_support::runEventsFor;
using testing_support::TestHttpServer;
using testing_support::waitUntil;

namespace {

const std::string musicPath = "/11veruvodirororir/music/";

// Everything the window shows while a sequence runs, sampled every few milliseconds, also
// inside the nested event loops of running downloads.
class StatusLog
{
public:
    explicit StatusLog(const TfrmMain &window)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, &window] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            const QString entry = window.mmMidi->toPlainText()
                + (cursor && cursor->shape() == Qt::BusyCursor ? QStringLiteral(" [busy]") : QString());
            if (m_entries.isEmpty() || m_entries.last() != entry)
                m_entries << entry;
        });
        m_timer.start();
    }
    const QStringList &entries() const { return m_entries; }

private:
    QTimer m_timer;
    QStringList m_entries;
};

// Runs the user's part in the editor window once the window has loaded its catalogue.
class EditorDriver
{
public:
    explicit EditorDriver(std::function<void(TfrmMidi &editor)> act)
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this, act] {
            auto *open = dynamic_cast<TfrmMidi *>(QApplication::activeModalWidget());
            if (!open || !open->isVisible() || open->lblTune->text() == QStringLiteral("収録曲数 ( 0 曲 )"))
                return;
            m_poll.stop();
            ++runs;
            act(*open);
        });
        m_poll.start();
    }

    int runs = 0;

private:
    QTimer m_poll;
};

class Sequencer : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString exe = dir.path() + QStringLiteral("/quavelo");
    TestHttpServer server{[this](const TestHttpServer::Request &request) { return answer(request); }};
    std::string catalogue = *text::toCp932(QStringLiteral("ジングルベル,Pierpont,Piano,クリスマス,0002,a.mid\r\n"
                                                          "\"Blue Lake\",,Flute,童謡,0001,b.mid\r\n"));
    std::vector<std::string> missing;
    std::vector<std::string> stalling;
    QStringList errors;

    void SetUp() override
    {
        SetErrorSink([this](const QString &message) { errors << message; });
    }
    void TearDown() override { SetErrorSink(nullptr); }

    TestHttpServer::Reply answer(const TestHttpServer::Request &request)
    {
        const std::string name = request.path.substr(std::min(request.path.size(), musicPath.size()));
        if (name == "@Midi.DBF")
            return TestHttpServer::Reply::withBody(catalogue);
        if (std::find(missing.begin(), missing.end(), name) != missing.end())
            return TestHttpServer::Reply::withBody("not here", 404);
        if (std::find(stalling.begin(), stalling.end(), name) != stalling.end())
            return TestHttpServer::Reply::stalling();
        return TestHttpServer::Reply::withBody(testing_support::makeTune(1));
    }

    // A settings file that has been used before, with one play list "list".
    void writeSettings(const std::vector<std::string> &tunes, const std::string &options = "AutoRun=1\r\n")
    {
        std::string ini = "[OPT]\r\nUsed=1\r\nWaite=0\r\nFavNo=0\r\nSkinCol=0\r\nStayOnTop=0\r\nServer="
            + server.host() + "\r\n" + options + "[MIDI_FAV]\r\n1=list\r\n[MIDI_list]\r\n";
        for (std::size_t i = 0; i < tunes.size(); ++i)
            ini += std::to_string(i + 1) + "=" + tunes[i] + "\r\n";
        testing_support::writeFile(exe + QStringLiteral(".ini"), ini);
    }
    void writeCatalogueCopy() { testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), catalogue); }

    std::vector<std::string> requestedPaths() const
    {
        std::vector<std::string> paths;
        for (const auto &request : server.requests())
            paths.push_back(request.path.substr(musicPath.size()));
        return paths;
    }
    std::size_t requestCount() const { return server.requests().size(); }

    // Shows a player that starts resting, and clicks Play: the first tune's download runs.
    void clickPlayOnARestingPlayer(TfrmMain &window)
    {
        writeSettings({"a.mid", "b.mid"}, "AutoRun=0\r\n");
        writeCatalogueCopy();
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.btnPlay->isEnabled(); }));
        clickLikeAUser(window.btnPlay);
        ASSERT_TRUE(waitUntil([&] { return requestCount() == 1; }));
    }
};

} // namespace

TEST_F(Sequencer, AFirstStartFetchesTheCatalogueWithTheBusyCursorThenPlaysTuneOne)
{
    writeSettings({"a.mid", "b.mid", "c.mid"});
    TfrmMain window(exe);
    StatusLog log(window);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying(); }));

    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"@Midi.DBF", "a.mid"}));
    EXPECT_TRUE(window.State.CatalogueReady);
    EXPECT_EQ(testing_support::readFile(window.Sequencer.catalogueFile()), catalogue);
    ASSERT_GE(log.entries().size(), 3);
    EXPECT_EQ(log.entries()[1], QStringLiteral("初期化中... [busy]"));
    EXPECT_TRUE(log.entries().contains(QStringLiteral("DownLoading...")));
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("ジングルベル"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ジングルベル"));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 3"));
    EXPECT_EQ(window.lblLst->text(), QStringLiteral("[ list ]"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window.btnPlay->isEnabled());
    EXPECT_TRUE(window.btnMemu->isEnabled());
    window.close();
}

TEST_F(Sequencer, TunesFollowOneAnotherAndWrapAfterTheLastWithoutFetchingTheCatalogueAgain)
{
    writeSettings({"a.mid", "b.mid"});
    writeCatalogueCopy();
    TfrmMain window(exe);
    // What the desktop's media controls are told at each change.
    std::vector<NowPlaying> announced;
    QObject::connect(&window, &TfrmMain::nowPlayingChanged, [&] {
        announced.push_back(DescribeNowPlaying(window.State, window.Sequencer.isRunning()));
    });
    window.show();
    ASSERT_TRUE(waitUntil([&] { return requestCount() >= 3 && window.Sequencer.isPlaying(); }, 20000));

    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"a.mid", "b.mid", "a.mid"}));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 2"));
    EXPECT_EQ(window.State.TuneIndex, 0);
    EXPECT_TRUE(errors.isEmpty());
    for (std::size_t i = 1; i < announced.size(); ++i) {
        if (announced[i].fileName != announced[i - 1].fileName) {
            EXPECT_EQ(announced[i].lengthUs, -1) << "tune " << announced[i].fileName << " came with the old tune's length";
        }
    }
}

TEST_F(Sequencer, AOneTuneListFetchesItsTuneAgainAfterEachGap)
{
    writeSettings({"b.mid"});
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return requestCount() >= 3 && window.Sequencer.isPlaying(); }, 20000));
    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"b.mid", "b.mid", "b.mid"}));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 1"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Blue Lake"));
}

TEST_F(Sequencer, AnEmptyListSaysSoAndLeavesOnlyMenuEnabled)
{
    writeSettings({});
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.btnMemu->isEnabled(); }));

    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("No play list !!"));
    EXPECT_EQ(window.statusColor(), QColor(255, 0, 0));
    EXPECT_TRUE(window.mmMidi->font().italic());
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune  0 / 0"));
    EXPECT_EQ(window.lblLst->text(), QStringLiteral("[ list ]"));
    EXPECT_FALSE(window.btnPlay->isEnabled());
    EXPECT_FALSE(window.btnStop->isEnabled());
    EXPECT_FALSE(window.btnNext->isEnabled());

    clickLikeAUser(window.btnPlay);
    clickLikeAUser(window.btnNext);
    runEventsFor(300);
    EXPECT_EQ(requestCount(), 0u);
}

TEST_F(Sequencer, NoPlayListAtAllShowsAnEmptyNameAndNothingFails)
{
    testing_support::writeFile(exe + QStringLiteral(".ini"),
                               "[OPT]\r\nUsed=1\r\nFavNo=5\r\nAutoRun=1\r\nServer=" + server.host() + "\r\n");
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.btnMemu->isEnabled(); }));
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("No play list !!"));
    EXPECT_EQ(window.lblLst->text(), QStringLiteral("[  ]"));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune  0 / 0"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Sequencer, ADownloadErrorIsShownInRedBoldAndTheSequenceRests)
{
    missing = {"a.mid"};
    writeSettings({"a.mid", "b.mid"});
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.mmMidi->toPlainText() == QStringLiteral("通信エラー！！"); }));
    runEventsFor(400);

    EXPECT_EQ(window.statusColor(), QColor(255, 0, 0));
    EXPECT_TRUE(window.mmMidi->font().bold());
    EXPECT_EQ(requestedPaths(), std::vector<std::string>{"a.mid"});
    EXPECT_FALSE(QFile::exists(window.State.TuneFilePath));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window.btnPlay->isEnabled() && window.btnNext->isEnabled() && window.btnMemu->isEnabled())
        << "the user can act after the error";

    clickLikeAUser(window.btnPlay);
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying(); }));
    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"a.mid", "b.mid"})) << "Play moves on when nothing arrived";
}

TEST_F(Sequencer, AFailedCatalogueDownloadKeepsTheButtonsDisabled)
{
    missing = {"@Midi.DBF"};
    catalogue.clear();
    server.setHandler([](const TestHttpServer::Request &) { return TestHttpServer::Reply::withBody("", 500); });
    writeSettings({"a.mid"});
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.mmMidi->toPlainText() == QStringLiteral("通信エラー！！"); }));
    runEventsFor(400);
    EXPECT_FALSE(window.btnMemu->isEnabled());
    EXPECT_FALSE(window.btnPlay->isEnabled());
    clickLikeAUser(window.btnMemu);
    EXPECT_EQ(window.Sequencer.phase(), PlaybackSequencer::Phase::CatalogueFailed);
    EXPECT_FALSE(QFile::exists(window.Sequencer.catalogueFile()));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Sequencer, TheGapIsATimerThatStopCancels)
{
    writeSettings({"a.mid", "b.mid"}, "AutoRun=1\r\n");
    testing_support::writeFile(exe + QStringLiteral(".ini"),
                               testing_support::readFile(exe + QStringLiteral(".ini")).replace(
                                   testing_support::readFile(exe + QStringLiteral(".ini")).find("Waite=0"), 7, "Waite=1000"));
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.phase() == PlaybackSequencer::Phase::Gap; }));
    EXPECT_EQ(requestCount(), 1u) << "the next tune waits for the gap";
    EXPECT_EQ(window.PGB->value(), 0);

    clickLikeAUser(window.btnStop);
    EXPECT_EQ(window.Sequencer.phase(), PlaybackSequencer::Phase::Ready);
    runEventsFor(1300);
    EXPECT_EQ(requestCount(), 1u) << "Stop during the gap cancels the advance";
    EXPECT_FALSE(window.Sequencer.hasActiveTimers()) << "a stopped player wakes nothing up";
}

TEST_F(Sequencer, WithoutAutoRunTheFirstPlayFetchesTheTuneThatIsShown)
{
    writeSettings({"a.mid", "b.mid"}, "AutoRun=0\r\n");
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.btnPlay->isEnabled(); }));
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("待機中..."));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 2"));
    EXPECT_EQ(requestCount(), 0u);
    EXPECT_FALSE(window.Sequencer.hasActiveTimers());

    EXPECT_GT(window.PGB->maximum(), window.PGB->minimum()) << "an idle bar is empty, not busy";

    clickLikeAUser(window.btnPlay);
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying(); }));
    EXPECT_EQ(requestedPaths(), std::vector<std::string>{"a.mid"});
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 2"));

    clickLikeAUser(window.btnStop);
    EXPECT_FALSE(window.Sequencer.isPlaying());
    EXPECT_FALSE(window.Sequencer.hasActiveTimers());
    EXPECT_EQ(window.statusColor(), QColor(0, 0, 255));
}

TEST_F(Sequencer, ClicksDuringATuneDownloadIgnorePlayAndLetNextMoveOnQuietly)
{
    stalling = {"a.mid"};
    TfrmMain window(exe);
    StatusLog log(window);
    clickPlayOnARestingPlayer(window);

    clickLikeAUser(window.btnPlay);
    EXPECT_TRUE(window.Sequencer.HTTPGet1.isBusy()) << "Play during a download is ignored";
    clickLikeAUser(window.btnNext);
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying(); }));
    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 2 / 2"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Blue Lake"));
    EXPECT_FALSE(log.entries().contains(QStringLiteral("通信エラー！！")));
}

TEST_F(Sequencer, StopDuringATuneDownloadRestsAtItAndTheCloseButtonWaitsForTheDownloadsEnd)
{
    stalling = {"a.mid"};
    TfrmMain window(exe);
    clickPlayOnARestingPlayer(window);
    clickLikeAUser(window.btnStop);
    ASSERT_TRUE(waitUntil([&] { return !window.Sequencer.HTTPGet1.isBusy(); }));
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("待機中..."));

    clickLikeAUser(window.btnPlay);
    ASSERT_TRUE(waitUntil([&] { return requestCount() == 2; }));
    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{"a.mid", "a.mid"})) << "Play fetches the tune shown";
    clickLikeAUser(window.btnClose);
    EXPECT_TRUE(window.isVisible()) << "the window waits for its download";
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_FALSE(window.Sequencer.HTTPGet1.isBusy());
    EXPECT_FALSE(QFile::exists(window.State.TuneFilePath));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("zMusic.mid*")}, QDir::Files), QStringList());
}

TEST_F(Sequencer, TheEditorsOkRestartsAtTheFirstTune)
{
    writeSettings({"a.mid", "b.mid"});
    writeCatalogueCopy();
    TfrmMain window(exe);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying() && window.btnNext->isEnabled(); }));
    clickLikeAUser(window.btnNext);
    ASSERT_TRUE(waitUntil([&] { return window.State.TuneIndex == 1 && window.Sequencer.isPlaying(); }));

    EditorDriver editor([](TfrmMidi &open) { clickLikeAUser(open.btnOK); });
    clickLikeAUser(window.btnMemu);
    EXPECT_EQ(editor.runs, 1);
    ASSERT_TRUE(waitUntil([&] { return window.Sequencer.isPlaying(); }));
    const std::vector<std::string> requests = requestedPaths();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests.back(), "a.mid");
    EXPECT_EQ(window.lblNo->text(), QStringLiteral("Tune : 1 / 2"));
}

TEST_F(Sequencer, MenuDuringASlowDownloadOpensTheEditorOnlyOnceTheDownloadHasEnded)
{
    stalling = {"a.mid"};
    TfrmMain window(exe);
    clickPlayOnARestingPlayer(window);

    std::vector<std::string> tunesWhileOpen;
    bool downloadRanWhileOpen = true;
    bool playedWhileOpen = true;
    bool buttonsOnWhileOpen = true;
    EditorDriver editor([&](TfrmMidi &open) {
        downloadRanWhileOpen = window.Sequencer.HTTPGet1.isBusy();
        const std::size_t before = requestCount();
        runEventsFor(500);
        for (std::size_t i = before; i < requestCount(); ++i) {
            if (requestedPaths()[i] != "@Midi.DBF")
                tunesWhileOpen.push_back(requestedPaths()[i]);
        }
        playedWhileOpen = window.Sequencer.MPlay.isOpen() || window.Sequencer.hasActiveTimers();
        buttonsOnWhileOpen = window.btnMemu->isEnabled() || window.btnPlay->isEnabled();
        clickLikeAUser(open.btnCan);
    });
    clickLikeAUser(window.btnMemu);
    ASSERT_TRUE(waitUntil([&] { return editor.runs == 1 && window.btnMemu->isEnabled(); }));
    EXPECT_FALSE(downloadRanWhileOpen);
    EXPECT_EQ(tunesWhileOpen, std::vector<std::string>());
    EXPECT_FALSE(playedWhileOpen);
    EXPECT_FALSE(buttonsOnWhileOpen);
    EXPECT_EQ(window.Sequencer.phase(), PlaybackSequencer::Phase::Ready);
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("待機中..."));
}

TEST(SnapToCorner, EachQuadrantGoesToItsCornerOfTheWorkArea)
{
    const QRect area(0, 0, 1000, 800);
    const QSize size(146, 217);
    EXPECT_EQ(SnapToCorner(QRect(QPoint(100, 100), size), area), QPoint(0, 0));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(700, 100), size), area), QPoint(854, 0));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(100, 600), size), area), QPoint(0, 583));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(700, 600), size), area), QPoint(854, 583));
    // The centre exactly on the middle goes right and down; one pixel less stays.
    EXPECT_EQ(SnapToCorner(QRect(QPoint(500 - 73, 400 - 108), size), area), QPoint(854, 583));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(500 - 74, 400 - 109), size), area), QPoint(0, 0));
}

TEST(SnapToCorner, AWorkAreaThatDoesNotStartAtTheOriginKeepsItsOffset)
{
    const QRect area(60, 30, 940, 770); // panels on the left and at the top
    const QSize size(146, 217);
    EXPECT_EQ(SnapToCorner(QRect(QPoint(70, 40), size), area), QPoint(60, 30));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(900, 700), size), area), QPoint(1000 - 146, 800 - 217));
    EXPECT_EQ(SnapToCorner(QRect(QPoint(-50, 700), size), area), QPoint(60, 800 - 217));
}

TEST(PlayerLook, TheMenuCaptionColourFollowsTheSkinAndTheState)
{
    EXPECT_EQ(MenuCaptionColor(true, 0), clWhite);
    EXPECT_EQ(MenuCaptionColor(false, 0), TColor(0xA0A0A0));
    EXPECT_EQ(MenuCaptionColor(true, 1), clBlack);
    EXPECT_EQ(MenuCaptionColor(false, 1), TColor(0x828282));
    EXPECT_EQ(MenuCaptionColor(true, 7), clBlack) << "every skin but 0 is the white one";
}
