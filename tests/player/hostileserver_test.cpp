// The player's tune download against servers that misbehave: every case ends in the
// error the user sees, the window goes on answering meanwhile, and Stop ends a transfer
// that would never end by itself.
#include "app/application.h"
#include "controls/lbspeedbutton.h"
#include "player/frmmain.h"
#include "support/eventwait.h"
#include "support/httpserver.h"
#include "support/testfiles.h"
#include "support/userinput.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using testing_support::TestHttpServer;
using testing_support::waitUntil;

namespace {

class HostileServer : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString exe = dir.path() + QStringLiteral("/quavelo");
    TestHttpServer server;
    QStringList errors;

    void SetUp() override
    {
        SetErrorSink([this](const QString &message) { errors << message; });
        testing_support::writeFile(exe + QStringLiteral(".ini"),
                                   "[OPT]\r\nUsed=1\r\nWaite=0\r\nAutoRun=1\r\nStayOnTop=0\r\nServer=" + server.host()
                                       + "\r\n[MIDI_FAV]\r\n1=list\r\n[MIDI_list]\r\n1=a.mid\r\n");
        testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), "Tune,,Piano,Genre,0001,a.mid\r\n");
    }
    void TearDown() override { SetErrorSink(nullptr); }

    static TestHttpServer::Reply raw(std::string data, bool endless = false, bool hold = false, int rate = 0)
    {
        TestHttpServer::Reply reply;
        reply.data = std::move(data);
        reply.endless = endless;
        reply.hold = hold;
        reply.bytesPerSecond = rate;
        return reply;
    }
};

} // namespace

TEST_F(HostileServer, EveryMisbehaviourEndsInTheErrorTheUserSeesWhileTheWindowAnswers)
{
    struct Case
    {
        const char *name;
        TestHttpServer::Reply reply;
        bool lastsTheStallLimit; // the download runs at least the second the test allows a stall
    };
    const std::vector<Case> cases = {
        {"an endless body", raw("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nMThd", true), false},
        {"a Content-Length of 4 GB", raw("HTTP/1.0 200 OK\r\nContent-Length: 4294967296\r\n\r\nMThd"), false},
        {"accepts and never answers", raw("", false, true), true},
        {"binary garbage as headers", raw(std::string("\x00\xff\xfe garbage\r\n\x01\x02\r\n\r\nMThd", 23)), false},
        {"a redirect loop",
         raw("HTTP/1.0 302 Found\r\nLocation: /11veruvodirororir/music/a.mid\r\nContent-Length: 0\r\n\r\n"), false},
    };
    for (const auto &[name, reply, lastsTheStallLimit] : cases) {
        SCOPED_TRACE(name);
        server.setHandler([reply = reply](const TestHttpServer::Request &) { return reply; });
        TfrmMain window(exe);
        window.Sequencer.HTTPGet1.stallTimeoutSeconds = 1;
        int ticks = 0;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            if (window.Sequencer.HTTPGet1.isBusy())
                ++ticks;
        });
        answering.start(20);
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.mmMidi->toPlainText() == QStringLiteral("通信エラー！！"); }, 20000));
        if (lastsTheStallLimit) {
            EXPECT_GT(ticks, 0) << "timers ran while the download was under way";
        }
        EXPECT_FALSE(window.Sequencer.isPlaying());
        EXPECT_FALSE(QFile::exists(window.State.TuneFilePath));
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("zMusic.mid*")}, QDir::Files), QStringList())
            << "no temporary file is left";
        EXPECT_TRUE(errors.isEmpty());
        window.close();
    }
}

TEST_F(HostileServer, AByteASecondIsEndedByStopAndTheCloseButton)
{
    server.setHandler([](const TestHttpServer::Request &) {
        return raw("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\nMThd and so on", false, false, 1);
    });
    TfrmMain window(exe);
    bool stopped = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (!stopped && server.requests().size() == 1 && window.Sequencer.HTTPGet1.isBusy()) {
            stopped = true;
            window.Sequencer.btnStopClick(window.btnStop);
        }
    });
    stopper.start(50);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return stopped && !window.Sequencer.HTTPGet1.isBusy(); }, 20000));
    EXPECT_EQ(window.mmMidi->toPlainText(), QStringLiteral("待機中..."));
    EXPECT_FALSE(QFile::exists(window.State.TuneFilePath));
    stopper.stop();

    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (server.requests().size() == 2 && window.Sequencer.HTTPGet1.isBusy())
            testing_support::clickLikeAUser(window.btnClose);
    });
    closer.start(50);
    window.Sequencer.btnNextClick(nullptr);
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible() && !window.Sequencer.HTTPGet1.isBusy(); }, 20000));
    EXPECT_TRUE(errors.isEmpty());
}
