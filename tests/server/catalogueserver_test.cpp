#include "catalogueserver.h"
#include "net/httpget.h"
#include "support/testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace catalogue_server;

TEST(CatalogueServerPaths, OnlyFilesBelowTheRootAreServed)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("root/music"));
    testing_support::writeFile(dir.path() + QStringLiteral("/root/music/a.mid"), "MThd");
    testing_support::writeFile(dir.path() + QStringLiteral("/secret"), "no");
    const std::filesystem::path root = (dir.path() + QStringLiteral("/root")).toStdString();

    EXPECT_TRUE(resolveRequestPath(root, "/music/a.mid").has_value());
    EXPECT_TRUE(resolveRequestPath(root, "/music/../music/a.mid").has_value());
    EXPECT_FALSE(resolveRequestPath(root, "/../secret").has_value());
    EXPECT_FALSE(resolveRequestPath(root, "/music/../../secret").has_value());
    EXPECT_FALSE(resolveRequestPath(root, "/music").has_value());
    EXPECT_FALSE(resolveRequestPath(root, "/music/none.mid").has_value());
    EXPECT_FALSE(resolveRequestPath(root, "music/a.mid").has_value());
    // A link that leads out of the root is refused too.
    QFile::link(dir.path() + QStringLiteral("/secret"), dir.path() + QStringLiteral("/root/link"));
    EXPECT_FALSE(resolveRequestPath(root, "/link").has_value());
}

TEST(CatalogueServerPaths, ListenAddresses)
{
    const auto address = parseListenAddress("127.0.0.1:8157");
    ASSERT_TRUE(address.has_value());
    EXPECT_EQ(address->host, "127.0.0.1");
    EXPECT_EQ(address->port, 8157);
    EXPECT_FALSE(parseListenAddress("127.0.0.1").has_value());
    EXPECT_FALSE(parseListenAddress("host:0").has_value());
    EXPECT_FALSE(parseListenAddress("host:70000").has_value());
    EXPECT_FALSE(parseListenAddress(":80").has_value());
}

namespace {

// One raw HTTP/1.0 exchange: the whole answer as the server sent it.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(request);
    QByteArray answer;
    while (socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer + socket.readAll();
}

} // namespace

// The real server binary on a port of its own, serving a temporary content root.
class CatalogueServerProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(root.path()).mkpath(QStringLiteral("music"));
        testing_support::writeFile(root.path() + QStringLiteral("/music/a.mid"), "MThd-body");
        server.start(testing_support::binaryDir() + QStringLiteral("/quavelo-catalogue"),
                     {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                      QStringLiteral("--root"), root.path()});
        ASSERT_TRUE(server.waitForStarted());
        for (int i = 0; i < 100 && firstAnswer.isEmpty(); ++i) {
            firstAnswer = exchange(port, "GET /music/a.mid HTTP/1.0\r\n\r\n");
            if (firstAnswer.isEmpty())
                QThread::msleep(50);
        }
        ASSERT_FALSE(firstAnswer.isEmpty()) << "the server did not answer";
    }

    void TearDown() override
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished();
        }
    }

    QTemporaryDir root;
    const quint16 port = 18157 + quint16(::getpid() % 1000);
    QProcess server;
    QByteArray firstAnswer;
};

TEST_F(CatalogueServerProcess, ServesGetAndHeadWithLengthRefusesEscapesAndStopsOnSigterm)
{
    EXPECT_TRUE(firstAnswer.startsWith("HTTP/1.1 200")) << firstAnswer.toStdString();
    EXPECT_TRUE(firstAnswer.contains("Content-Length: 9\r\n"));
    EXPECT_TRUE(firstAnswer.endsWith("\r\n\r\nMThd-body"));

    const QByteArray head = exchange(port, "HEAD /music/a.mid HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(head.contains("Content-Length: 9\r\n"));
    EXPECT_TRUE(head.endsWith("\r\n\r\n"));

    EXPECT_TRUE(exchange(port, "GET /../../etc/passwd HTTP/1.0\r\n\r\n").startsWith("HTTP/1.1 4"));
    EXPECT_TRUE(exchange(port, "GET /music/%2e%2e/%2e%2e/etc/passwd HTTP/1.0\r\n\r\n").startsWith("HTTP/1.1 4"));

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_TRUE(server.readAllStandardError().contains("GET /music/a.mid 200"));
}

TEST_F(CatalogueServerProcess, TuneDownloadsThroughTheDownloadComponent)
{
    std::string tune(70000, '\0');
    for (std::size_t i = 0; i < tune.size(); ++i)
        tune[i] = char(i % 251);
    testing_support::writeFile(root.path() + QStringLiteral("/music/big tune.mid"), tune);
    QTemporaryDir downloads;
    const QString target = downloads.path() + QStringLiteral("/big.mid");
    int done = 0;
    int errors = 0;
    int lastReaded = 0;

    THTTPGet get;
    get.URL = "http://127.0.0.1:" + std::to_string(port) + "/music/big tune.mid";
    get.FileName = target.toStdString();
    get.OnProgress = [&](THTTPGet *, int, int readed) { lastReaded = readed; };
    get.OnDoneFile = [&](THTTPGet *, QObject *, const std::string &, int) { ++done; };
    get.OnError = [&](THTTPGet *, QObject *) { ++errors; };
    get.Download();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(lastReaded, 70000);
    EXPECT_EQ(testing_support::readFile(target), tune);

    get.URL = "http://127.0.0.1:" + std::to_string(port) + "/music/missing.mid";
    get.Download();
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(testing_support::readFile(target), tune);
}
