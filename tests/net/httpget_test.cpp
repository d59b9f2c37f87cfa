#include "app/application.h"
#include "net/httpget.h"
#include "net/httprequest.h"
#include "support/eventwait.h"
#include "support/httpserver.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using testing_support::readFile;
using testing_support::runEventsFor;
using testing_support::TestHttpServer;
using testing_support::waitUntil;
using testing_support::writeFile;
using Reply = TestHttpServer::Reply;

namespace {

// What one component reported, in order.
struct EventLog
{
    struct Progress
    {
        int totalSize;
        int readed;
        bool onGuiThread;
    };

    std::vector<Progress> progress;
    int done = 0;
    int errors = 0;
    std::string doneFileName;
    int doneSize = -1;
    QObject *control = nullptr;

    int outcomes() const { return done + errors; }
};

class HttpGetTest : public ::testing::Test
{
protected:
    HttpGetTest()
    {
        target = (dir.path() + "/tune.mid").toStdString();
        get.FileName = target;
        get.HostControl = &host;
        get.OnProgress = [this](THTTPGet *, int totalSize, int readed) {
            log.progress.push_back(
                {totalSize, readed, QThread::currentThread() == qApp->thread()});
        };
        get.OnDoneFile = [this](THTTPGet *, QObject *control, const std::string &fileName,
                                int fileSize) {
            ++log.done;
            log.doneFileName = fileName;
            log.doneSize = fileSize;
            log.control = control;
        };
        get.OnError = [this](THTTPGet *, QObject *control) {
            ++log.errors;
            log.control = control;
        };
    }

    void serve(Reply reply)
    {
        server.setHandler([reply](const TestHttpServer::Request &) { return reply; });
        get.URL = server.url("/music/tune.mid");
    }

    // Only the target may be left in the folder: no temporary files.
    QStringList filesInFolder() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    std::string targetContent() const { return readFile(QString::fromStdString(target)); }

    QTemporaryDir dir;
    std::string target;
    QObject host;
    TestHttpServer server;
    THTTPGet get;
    EventLog log;
};

std::string bodyOf(int size)
{
    std::string body(size, '\0');
    for (int i = 0; i < size; ++i)
        body[i] = char(i * 7 + 3);
    return body;
}

std::string portOf(const TestHttpServer &server)
{
    return std::to_string(server.port());
}

} // namespace

TEST_F(HttpGetTest, RequestBytesOnTheWire)
{
    serve(Reply::withBody("x"));

    get.Download();
    get.UseCache = true;
    get.Agent.clear();
    get.Download();
    get.UseCache = false;
    get.Agent = THTTPGet::DefaultAgent;
    get.Referer = "http://ref/";
    get.UserName = "u";
    get.Password = "p";
    get.Download();
    get.Referer.clear();
    get.UserName.clear();
    get.Password.clear();
    get.PostQuery = "a=1&b=2";
    get.Download();

    const std::string hostLine = "Host: 127.0.0.1:" + portOf(server) + "\r\n";
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].raw, "GET /music/tune.mid HTTP/1.0\r\n" + hostLine
                                   + "User-Agent: Fernwick HTTPGet\r\n"
                                     "Accept: */*\r\n"
                                     "Pragma: no-cache\r\n\r\n");
    EXPECT_EQ(requests[1].raw, "GET /music/tune.mid HTTP/1.0\r\n" + hostLine
                                   + "Accept: */*\r\n\r\n");
    EXPECT_EQ(requests[2].raw, "GET /music/tune.mid HTTP/1.0\r\n" + hostLine
                                   + "Authorization: Basic dTpw\r\n"
                                     "User-Agent: Fernwick HTTPGet\r\n"
                                     "Referer: http://ref/\r\n"
                                     "Accept: */*\r\n"
                                     "Pragma: no-cache\r\n\r\n");
    EXPECT_EQ(requests[3].raw, "POST /music/tune.mid HTTP/1.0\r\n" + hostLine
                                   + "User-Agent: Fernwick HTTPGet\r\n"
                                     "Accept: */*\r\n"
                                     "Pragma: no-cache\r\n"
                                     "Content-Type: application/x-www-form-urlencoded\r\n"
                                     "Content-Length: 7\r\n\r\n"
                                     "a=1&b=2");
    EXPECT_EQ(log.done, 4);
}

TEST_F(HttpGetTest, UrlForms)
{
    serve(Reply::withBody("x"));
    const std::string hostAndPort = server.host();

    get.URL = "HtTp://" + hostAndPort + "/a b/%41\x82\xa0.mid";
    get.Download();
    get.URL = hostAndPort + "/plain.mid";
    get.Download();

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/a%20b/%41%82%A0.mid");
    EXPECT_EQ(requests[1].path, "/plain.mid");
    EXPECT_EQ(log.done, 2);

    // No path, a CR LF smuggled into the path or into a header: refused before any request.
    for (const std::string &url : {"http://" + hostAndPort, "http://" + hostAndPort
                                                                + "/a\r\nX-Evil: 1"}) {
        get.URL = url;
        get.Download();
    }
    get.URL = server.url("/ok.mid");
    get.Referer = "http://ref/\r\nX-Evil: 1";
    get.Download();
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(log.errors, 3);
    EXPECT_FALSE(get.isBusy());
}

TEST_F(HttpGetTest, SuccessReportsEveryChunkOnTheGuiThreadAndReplacesTheFile)
{
    writeFile(QString::fromStdString(target), "old tune");
    const std::string body = bodyOf(3000);
    serve(Reply::withBody(body));

    get.Download();

    ASSERT_EQ(log.done, 1);
    EXPECT_EQ(log.errors, 0);
    ASSERT_EQ(log.progress.size(), 3u);
    const int expected[] = {1025, 2050, 3000};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log.progress[i].totalSize, 3000);
        EXPECT_EQ(log.progress[i].readed, expected[i]);
        EXPECT_TRUE(log.progress[i].onGuiThread);
    }
    EXPECT_EQ(log.doneFileName, target);
    EXPECT_EQ(log.doneSize, 3000);
    EXPECT_EQ(log.control, &host);
    EXPECT_EQ(targetContent(), body);
    EXPECT_EQ(filesInFolder(), QStringList{"tune.mid"});
    EXPECT_FALSE(get.isBusy());
}

TEST_F(HttpGetTest, EmptyBodyWithContentLengthZeroIsAnEmptyFile)
{
    writeFile(QString::fromStdString(target), "old tune");
    serve(Reply::withBody(""));

    get.Download();

    EXPECT_EQ(log.done, 1);
    EXPECT_EQ(log.doneSize, 0);
    EXPECT_TRUE(log.progress.empty());
    EXPECT_EQ(targetContent(), "");
}

TEST_F(HttpGetTest, EveryFailureEndsInOneErrorAndKeepsTheOldFile)
{
    const std::string body = bodyOf(2000);
    const struct
    {
        const char *name;
        Reply reply;
    } failures[] = {
        {"no Content-Length", Reply::withoutLength(body)},
        {"short body", Reply::withLength(body, "3000")},
        {"long body", Reply::withLength(body, "1500")},
        {"not found", Reply::withBody(body, 404)},
        {"server error", Reply::withBody(body, 500)},
        {"length not a number", Reply::withLength(body, "12abc")},
        {"length above 2 GiB", Reply::withLength(body, "4294967296")},
        {"garbage instead of HTTP", Reply{"\x01\x02garbage\r\n\r\n" + body}},
    };

    for (const auto &failure : failures) {
        SCOPED_TRACE(failure.name);
        writeFile(QString::fromStdString(target), "old tune");
        log = {};
        serve(failure.reply);

        get.Download();

        EXPECT_EQ(log.errors, 1);
        EXPECT_EQ(log.done, 0);
        EXPECT_EQ(log.control, &host);
        EXPECT_EQ(targetContent(), "old tune");
        EXPECT_EQ(filesInFolder(), QStringList{"tune.mid"});
        EXPECT_FALSE(get.isBusy());
        EXPECT_FALSE(get.FileFailed());
        EXPECT_EQ(DownloadErrorText(get), QStringLiteral("通信エラー！！"));
    }
}

TEST_F(HttpGetTest, RefusedConnectionIsATransferErrorAnUnwritableFolderAFileError)
{
    get.URL = "http://127.0.0.1:" + std::to_string(TestHttpServer::unusedPort()) + "/x.mid";
    get.Download();
    EXPECT_EQ(log.errors, 1);
    EXPECT_FALSE(get.FileFailed());

    testing_support::ReadOnlyFolder folder;
    if (!folder.isValid() || !folder.lock())
        GTEST_SKIP() << "no read-only folder on this machine";
    serve(Reply::withBody("tune"));
    get.FileName = (folder.path() + "/tune.mid").toStdString();
    get.Download();
    EXPECT_EQ(log.errors, 2);
    EXPECT_EQ(log.done, 0);
    EXPECT_TRUE(get.FileFailed());
    EXPECT_EQ(DownloadErrorText(get), QStringLiteral("書き込みエラー！！"));
}

TEST_F(HttpGetTest, AFullDiskIsAFileErrorThatKeepsTheOldFileAndLeavesNothingBehind)
{
    serve(Reply::withBody(bodyOf(20000)));
    {
        testing_support::FullFolder folder;
        ASSERT_TRUE(folder.isValid());
        folder.put(QStringLiteral("tune.mid"), "old tune");
        get.FileName = (folder.path() + "/tune.mid").toStdString();
        folder.fill();

        get.Download();

        EXPECT_EQ(log.errors, 1);
        EXPECT_EQ(log.done, 0);
        EXPECT_TRUE(get.FileFailed());
        EXPECT_EQ(readFile(folder.path() + "/tune.mid"), "old tune");
        EXPECT_EQ(folder.files(), QStringList{"tune.mid"});
    }

    // The next transfer that works says so again.
    get.FileName = target;
    get.Download();
    EXPECT_EQ(log.done, 1);
    EXPECT_FALSE(get.FileFailed());
}

TEST_F(HttpGetTest, BinaryDataOffAcceptsAnAnswerWithoutLengthOnlyWhenEmpty)
{
    get.BinaryData = false;

    serve(Reply::withoutLength(""));
    get.Download();
    EXPECT_EQ(log.done, 1);
    EXPECT_EQ(log.doneSize, 0);

    writeFile(QString::fromStdString(target), "old tune");
    serve(Reply::withoutLength("some body"));
    get.Download();
    EXPECT_EQ(log.errors, 1);
    EXPECT_EQ(targetContent(), "old tune");

    serve(Reply::withBody("tune"));
    get.Download();
    EXPECT_EQ(log.done, 2);
    EXPECT_EQ(targetContent(), "tune");
}

TEST_F(HttpGetTest, BusyComponentIgnoresDownloadAndCancelWhenIdleDoesNothing)
{
    get.Cancel();
    runEventsFor(50);
    EXPECT_EQ(log.outcomes(), 0);

    serve(Reply::withBody("tune"));
    get.WaitThread = false;
    get.Download();
    EXPECT_TRUE(get.isBusy());
    get.Download();
    ASSERT_TRUE(waitUntil([&] { return log.outcomes() > 0; }));
    runEventsFor(200);

    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(log.done, 1);
    EXPECT_EQ(log.errors, 0);
    EXPECT_FALSE(get.isBusy());
}

TEST_F(HttpGetTest, DownloadFromInsideTheOutcomeHandlerIsRefused)
{
    serve(Reply::withBody("tune"));
    bool busyInHandler = false;
    get.OnDoneFile = [&](THTTPGet *sender, QObject *, const std::string &, int) {
        ++log.done;
        busyInHandler = sender->isBusy();
        sender->Download();
    };

    get.Download();
    runEventsFor(200);

    EXPECT_TRUE(busyInHandler);
    EXPECT_EQ(log.done, 1);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_FALSE(get.isBusy());
}

TEST_F(HttpGetTest, CancelAfterTheBodyArrivedButBeforeTheOutcomeIsAnError)
{
    writeFile(QString::fromStdString(target), "old tune");
    serve(Reply::withBody(bodyOf(500)));
    get.OnProgress = nullptr;
    get.WaitThread = false;

    get.Download();
    // The worker finishes while the GUI thread does not process events: its outcome is
    // then queued, and a Cancel that comes first still turns it into a failure.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.requests().empty() || server.openConnections() > 0) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    get.Cancel();
    ASSERT_TRUE(waitUntil([&] { return log.outcomes() > 0; }));

    EXPECT_EQ(log.errors, 1);
    EXPECT_EQ(log.done, 0);
    EXPECT_EQ(targetContent(), "old tune");
    EXPECT_EQ(filesInFolder(), QStringList{"tune.mid"});
}

TEST_F(HttpGetTest, CancelEndsAStalledOrRunningTransferAtOnce)
{
    // A server that sends half the body and then says nothing for ever.
    serve(Reply::stalling(bodyOf(1500), "3000"));
    get.WaitThread = false;
    get.Download();
    ASSERT_TRUE(waitUntil([&] { return !log.progress.empty(); }));
    get.Cancel();
    ASSERT_TRUE(waitUntil([&] { return log.outcomes() > 0; }, 5000));
    EXPECT_EQ(log.errors, 1);

    // Cancel from inside a progress handler, with WaitThread: Download returns.
    log = {};
    Reply endless = Reply::withLength(bodyOf(1500), "100000");
    endless.endless = true;
    serve(endless);
    get.WaitThread = true;
    get.OnProgress = [&](THTTPGet *sender, int, int) {
        log.progress.push_back({0, 0, true});
        sender->Cancel();
    };
    get.Download();
    EXPECT_EQ(log.errors, 1);
    EXPECT_EQ(log.done, 0);
    EXPECT_FALSE(get.isBusy());
    EXPECT_EQ(filesInFolder(), QStringList{});
}

TEST_F(HttpGetTest, StalledBodyTimesOut)
{
    serve(Reply::stalling("abc", "3000"));
    get.stallTimeoutSeconds = 1;

    get.Download();

    EXPECT_EQ(log.errors, 1);
    EXPECT_FALSE(get.isBusy());
}

TEST_F(HttpGetTest, TimersRunWhileDownloadWaits)
{
    Reply trickle = Reply::withBody(bodyOf(600));
    trickle.bytesPerSecond = 1200;
    serve(trickle);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    get.Download();

    EXPECT_EQ(log.done, 1);
    EXPECT_GT(ticks, 3);
}

TEST_F(HttpGetTest, TransferKeepsThePropertiesItStartedWith)
{
    serve(Reply::withBody(bodyOf(3000)));
    const std::string otherFile = (dir.path() + "/other.mid").toStdString();
    get.OnProgress = [&](THTTPGet *sender, int, int readed) {
        log.progress.push_back({0, readed, true});
        sender->URL = "http://127.0.0.1:1/elsewhere";
        sender->FileName = otherFile;
    };

    get.Download();

    EXPECT_EQ(log.done, 1);
    EXPECT_EQ(log.doneFileName, target);
    EXPECT_EQ(targetContent(), bodyOf(3000));
    EXPECT_EQ(readFile(QString::fromStdString(otherFile)), "<missing>");
}

TEST(HttpLoopback, HostsOfThisMachineWithOrWithoutAPort)
{
    for (const char *host : {"127.0.0.1", "127.0.0.1:8157", "127.3.2.1:80", "127.1:8157", "localhost", "LocalHost:8157",
                             "localhost.", "jukebox.localhost:80", "[::1]:8157", "[::1]", "[::ffff:127.0.0.1]:80"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char *host : {"128.0.0.1", "10.0.0.127:8157", "example.org", "localhost.example.org", "mylocalhost",
                             "[::2]:80", "[::1", "[::ffff:10.0.0.1]", ""})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
}

// The user's proxy settings for the test's length, with a proxy that answers everything.
class ProxySettings
{
public:
    explicit ProxySettings(const std::string &proxyUrl)
    {
        for (const char *name : names)
            m_saved.push_back(qgetenv(name));
        qputenv("http_proxy", QByteArray::fromStdString(proxyUrl));
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
    }
    ~ProxySettings()
    {
        for (std::size_t i = 0; i < std::size(names); ++i) {
            if (m_saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], m_saved[i]);
        }
    }

private:
    static constexpr const char *names[] = {"http_proxy", "no_proxy", "NO_PROXY"};
    std::vector<QByteArray> m_saved;
};

TEST_F(HttpGetTest, DownloadsFromThisMachineNeverGoThroughAProxyOtherHostsDo)
{
    TestHttpServer proxy([](const TestHttpServer::Request &) { return Reply::withBody("via proxy"); });
    const ProxySettings settings("http://" + proxy.host());
    serve(Reply::withBody("direct"));

    for (const std::string &host : {server.host(), "localhost:" + portOf(server)}) {
        get.URL = "http://" + host + "/music/tune.mid";
        get.Download();
        EXPECT_EQ(targetContent(), "direct") << host;
    }
    EXPECT_EQ(log.done, 2);
    EXPECT_TRUE(proxy.requests().empty());

    get.URL = "http://quavelo-catalogue.invalid/music/tune.mid";
    get.Download();
    EXPECT_EQ(log.done, 3);
    EXPECT_EQ(targetContent(), "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].path, "http://quavelo-catalogue.invalid/music/tune.mid");
}

TEST(HttpGetLifetime, DestroyedComponentGetsNoEvents)
{
    TestHttpServer server(
        [](const TestHttpServer::Request &) { return Reply::withBody(bodyOf(5000)); });
    QTemporaryDir dir;
    int events = 0;

    // The worker blocks on its first progress hand-off while the GUI thread, which would
    // take it, is busy destroying the component.
    auto get = std::make_unique<THTTPGet>();
    get->URL = server.url("/tune.mid");
    get->FileName = (dir.path() + "/tune.mid").toStdString();
    get->WaitThread = false;
    get->OnProgress = [&](THTTPGet *, int, int) { ++events; };
    get->OnDoneFile = [&](THTTPGet *, QObject *, const std::string &, int) { ++events; };
    get->OnError = [&](THTTPGet *, QObject *) { ++events; };
    get->Download();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.requests().empty()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    get.reset();
    runEventsFor(500);
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(waitUntil([&] { return server.openConnections() == 0; }));
    EXPECT_EQ(readFile(dir.path() + "/tune.mid"), "<missing>");

    // Deleted from inside its own progress handler while Download waits.
    auto *waiting = new THTTPGet;
    waiting->URL = server.url("/tune.mid");
    waiting->FileName = (dir.path() + "/tune.mid").toStdString();
    waiting->OnProgress = [&](THTTPGet *sender, int, int) {
        ++events;
        delete sender;
    };
    waiting->OnDoneFile = [&](THTTPGet *, QObject *, const std::string &, int) { ++events; };
    waiting->OnError = [&](THTTPGet *, QObject *) { ++events; };
    waiting->Download();
    runEventsFor(500);
    EXPECT_EQ(events, 1);
}

TEST(HttpGetLifetime, ThrowingProgressHandlerFailsTheTransferAndIsReported)
{
    TestHttpServer server(
        [](const TestHttpServer::Request &) { return Reply::withBody(bodyOf(3000)); });
    QTemporaryDir dir;
    std::vector<QString> reported;
    SetErrorSink([&](const QString &message) { reported.push_back(message); });
    int errors = 0;
    int done = 0;

    THTTPGet get;
    get.URL = server.url("/tune.mid");
    get.FileName = (dir.path() + "/tune.mid").toStdString();
    get.OnProgress = [](THTTPGet *, int, int) { throw std::runtime_error("disk on fire"); };
    get.OnDoneFile = [&](THTTPGet *, QObject *, const std::string &, int) { ++done; };
    get.OnError = [&](THTTPGet *, QObject *) { ++errors; };
    get.Download();
    SetErrorSink({});

    EXPECT_EQ(errors, 1);
    EXPECT_EQ(done, 0);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "disk on fire");
    EXPECT_EQ(readFile(dir.path() + "/tune.mid"), "<missing>");
}
