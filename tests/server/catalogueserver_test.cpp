#include "catalogueserver.h"
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

TEST(CatalogueServer, ServesGetAndHeadWithLengthRefusesEscapesAndStopsOnSigterm)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("music"));
    testing_support::writeFile(dir.path() + QStringLiteral("/music/a.mid"), "MThd-body");
    const quint16 port = 18157 + quint16(::getpid() % 1000);

    QProcess server;
    server.start(testing_support::binaryDir() + QStringLiteral("/quavelo-catalogue"),
                 {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--root"),
                  dir.path()});
    ASSERT_TRUE(server.waitForStarted());
    QByteArray answer;
    for (int i = 0; i < 100 && answer.isEmpty(); ++i) {
        answer = exchange(port, "GET /music/a.mid HTTP/1.0\r\n\r\n");
        if (answer.isEmpty())
            QThread::msleep(50);
    }
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("Content-Length: 9\r\n"));
    EXPECT_TRUE(answer.endsWith("\r\n\r\nMThd-body"));

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
