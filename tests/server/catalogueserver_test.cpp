#include "catalogueserver.h"
#include "contentserver.h"
#include "net/httpget.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <future>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <random>
#include <string_view>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
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

TEST(CatalogueServerLog, APathCanNeitherStartALineNorShiftTheFields)
{
    EXPECT_EQ(RequestLogLine("127.0.0.1", "GET", "/music/a.mid", 200, 9), "127.0.0.1 GET /music/a.mid 200 9\n");
    EXPECT_EQ(RequestLogLine("127.0.0.1", "GET", "/a\n10.0.0.1 GET /b 200 1", 404, 0),
              "127.0.0.1 GET /a%0A10.0.0.1%20GET%20/b%20200%201 404 0\n");
    EXPECT_EQ(RequestLogLine("::1", "GET", "/\r\x1b[2J%0A\x82\xa0\x7f", 404, 0),
              "::1 GET /%0D%1B[2J%250A%82%A0%7F 404 0\n");
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

namespace {

// A connection that sends nothing.
class IdleConnection
{
public:
    explicit IdleConnection(quint16 port)
        : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~IdleConnection() { ::close(m_fd); }
    void send(std::string_view bytes) { [[maybe_unused]] const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    IdleConnection(const IdleConnection &) = delete;
    IdleConnection &operator=(const IdleConnection &) = delete;

    // Connected, and not yet closed by the server.
    bool isOpen() const
    {
        char byte = 0;
        return m_connected && ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == EAGAIN;
    }

private:
    int m_fd;
    bool m_connected = false;
};

} // namespace

TEST_F(CatalogueServerProcess, IdleConnectionsHoldUpNoOtherClientAndNoStop)
{
    std::vector<std::unique_ptr<IdleConnection>> idle;
    for (int i = 0; i < 16; ++i)
        idle.push_back(std::make_unique<IdleConnection>(port));
    QThread::msleep(100);
    const QByteArray answer = exchange(port, "GET /music/a.mid HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(answer.endsWith("\r\n\r\nMThd-body")) << answer.toStdString();
    // Answered while every idle connection was still waiting: not after the server had
    // given up on them.
    int stillOpen = 0;
    for (const auto &connection : idle)
        stillOpen += connection->isOpen() ? 1 : 0;
    EXPECT_EQ(stillOpen, 16);

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000)) << "idle connections held up the stop";
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST_F(CatalogueServerProcess, ClientsStillSendingTheirRequestsHoldUpTheStopForASecondAtMost)
{
    std::vector<std::unique_ptr<IdleConnection>> halfSent;
    for (int i = 0; i < 8; ++i) {
        halfSent.push_back(std::make_unique<IdleConnection>(port));
        halfSent.back()->send("GET /music/a.mid HTTP/1.1\r\nHost: x\r\n");
    }
    QThread::msleep(100);
    QElapsedTimer stopping;
    stopping.start();
    server.terminate();
    ASSERT_TRUE(server.waitForFinished(5000)) << "half-sent requests held up the stop";
    EXPECT_LT(stopping.elapsed(), 2000);
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST_F(CatalogueServerProcess, AForgedLineInTheRequestPathStaysInsideItsOwnLine)
{
    exchange(port, "GET /a%0A6.6.6.6%20GET%20/music/a.mid%20200%209 HTTP/1.0\r\n\r\n");
    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    const QList<QByteArray> lines = server.readAllStandardError().split('\n');
    int logged = 0;
    for (const QByteArray &line : lines) {
        EXPECT_FALSE(line.startsWith("6.6.6.6")) << line.toStdString();
        logged += line.startsWith("127.0.0.1 GET /a%0A6.6.6.6%20GET%20/music/a.mid%20200%209 404 ") ? 1 : 0;
    }
    EXPECT_EQ(logged, 1);
}

TEST_F(CatalogueServerProcess, AHugeFileIsSentWholeWithoutBeingReadIntoMemory)
{
    constexpr qint64 size = 256 * 1024 * 1024;
    QFile huge(root.path() + QStringLiteral("/music/huge.mid"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(size)); // sparse: no room taken on disk
    huge.close();

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("GET /music/huge.mid HTTP/1.0\r\n\r\n");
    QByteArray head;
    qint64 received = 0;
    while (socket.waitForReadyRead(10000)) {
        const QByteArray data = socket.readAll();
        if (head.isEmpty()) {
            head = data.left(data.indexOf("\r\n\r\n") + 4);
            received += data.size() - head.size();
        } else {
            received += data.size();
        }
    }
    EXPECT_TRUE(head.contains("Content-Length: 268435456\r\n")) << head.toStdString();
    EXPECT_EQ(received, size);

    // The most memory the server ever held stays far below the file's size.
    QFile status(QStringLiteral("/proc/%1/status").arg(server.processId()));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    qint64 peakKiB = -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            peakKiB = line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    EXPECT_GT(peakKiB, 0);
    EXPECT_LT(peakKiB, 64 * 1024);
}

TEST(CatalogueServerStop, AStopBeforeTheServerListensIsNotLost)
{
    QTemporaryDir root;
    for (const bool stopBeforeListening : {true, false}) {
        SCOPED_TRACE(stopBeforeListening ? "stopped between bind and listen" : "stopped while listening");
        ContentServer server(root.path().toStdString());
        ASSERT_GT(server.bind_to_any_port("127.0.0.1"), 0);
        if (stopBeforeListening)
            server.stopListening();
        auto listening = std::async(std::launch::async, [&server] { server.listen_after_bind(); });
        if (!stopBeforeListening) {
            while (!server.is_running())
                std::this_thread::yield();
            server.stopListening();
        }
        const bool returned = listening.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!returned)
            server.stop();
        EXPECT_TRUE(returned) << "the server listened on after the stop";
    }
}

TEST(CatalogueServerSignals, AStopSignalAtAnyMomentOfTheStartEndsTheServer)
{
    const QByteArray program = QFile::encodeName(testing_support::binaryDir() + QStringLiteral("/quavelo-catalogue"));
    const QByteArray listen = "127.0.0.1:" + QByteArray::number(19157 + ::getpid() % 1000);
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> pause(0, 4000); // microseconds: exec, set-up, bind, listen
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    int survivors = 0;
    for (int round = 0; round < 40; ++round) {
        char *const argv[] = {const_cast<char *>(program.constData()), const_cast<char *>("--listen"),
                              const_cast<char *>(listen.constData()), nullptr};
        pid_t child = 0;
        ASSERT_EQ(::posix_spawn(&child, program.constData(), &quiet, nullptr, argv, environ), 0);
        ::usleep(useconds_t(pause(random)));
        const int signal = round % 2 == 0 ? SIGTERM : SIGINT;
        ::kill(child, signal);

        int status = 0;
        pid_t ended = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((ended = ::waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            ::usleep(5000);
        if (ended == 0) {
            ++survivors;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            continue;
        }
        // A signal before the program has set itself up ends it as the system does.
        const bool stopped = WIFEXITED(status) ? WEXITSTATUS(status) == 0
                                               : WIFSIGNALED(status) && WTERMSIG(status) == signal;
        EXPECT_TRUE(stopped) << "round " << round << ": status " << status;
    }
    posix_spawn_file_actions_destroy(&quiet);
    EXPECT_EQ(survivors, 0);
}

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
