// The real program under Xvfb, in a folder of its own, against the bundled catalogue
// server: what it asks the server for, what its window shows and how it leaves its
// settings file.
#include "app/text.h"
#include "app/settings.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguelist.h"
#include "support/eventwait.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>

using testing_support::binaryDir;
using testing_support::readFile;
using testing_support::sourceDir;
using testing_support::waitUntil;

namespace {

constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;
const QString catalogueListen = QStringLiteral("127.0.0.1:8157");

bool portIsTaken(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    return probe.waitForConnected(300);
}

// Output of a short X client run against the test display.
QString runX(const QString &display, const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class PlayerEndToEnd : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QProcess xvfb;
    QProcess server;
    QProcess player;
    QString display;

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        if (portIsTaken(8157))
            GTEST_SKIP() << "the catalogue port 8157 is in use on this machine";
        startDisplay();
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(binaryDir() + QStringLiteral("/quavelo-catalogue"),
                     {QStringLiteral("--listen"), catalogueListen, QStringLiteral("--root"),
                      sourceDir() + QStringLiteral("/server/content")});
        ASSERT_TRUE(server.waitForStarted());
        ASSERT_TRUE(waitUntil([] { return portIsTaken(8157); }));
        ASSERT_TRUE(QFile::copy(binaryDir() + QStringLiteral("/quavelo"), dir.path() + QStringLiteral("/quavelo")));
    }

    void TearDown() override
    {
        for (QProcess *process : {&player, &server, &xvfb}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(2000);
            }
        }
    }

    void startDisplay()
    {
        for (int number = 90; number < 120; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            display = QStringLiteral(":%1").arg(number);
            xvfb.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-screen"), QStringLiteral("0"),
                                               QStringLiteral("%1x%2x24").arg(screenWidth).arg(screenHeight),
                                               QStringLiteral("-br"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                               QStringLiteral("-noreset")});
            if (xvfb.waitForStarted()
                && waitUntil([this] { return !runX(display, QStringLiteral("xdpyinfo"), {}).isEmpty(); }, 5000))
                return;
            xvfb.kill();
            xvfb.waitForFinished();
        }
        FAIL() << "no X display could be started";
    }

    void startPlayer(const QString &folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QUAVELO_AUDIO"), QStringLiteral("none"));
        player.setProcessEnvironment(environment);
        player.setProcessChannelMode(QProcess::MergedChannels);
        player.setWorkingDirectory(folder);
        player.start(folder + QStringLiteral("/quavelo"), {});
        ASSERT_TRUE(player.waitForStarted());
    }

    QString windowId() const
    {
        return runX(display, QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--classname"),
                     QStringLiteral("quavelo")})
            .section(QLatin1Char('\n'), 0, 0);
    }
    QString windowName(const QString &id) const
    {
        return runX(display, QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
    }
    // count clicks of the left button at x, y on the screen.
    void clickAt(int x, int y, int count = 1) const
    {
        runX(display, QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
              QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"), QStringLiteral("60"),
              QStringLiteral("1")});
    }
    // Waits until a window whose title matches the pattern is shown.
    bool waitForWindowNamed(const QString &pattern) const
    {
        return waitUntil([&] {
            return !runX(display, QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern})
                        .isEmpty();
        }, 15000);
    }
    // Waits until the player's window shows the title of the tune it plays.
    ::testing::AssertionResult waitForPlayerTitle(const QString &title)
    {
        QString id;
        if (waitUntil([&] { id = windowId(); return !id.isEmpty() && windowName(id) == title; }, 30000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "window " << id.toStdString() << " titled \"" << windowName(id).toStdString() << "\", player "
            << (player.state() == QProcess::Running ? "running" : "ended") << ", its output: "
            << player.readAll().toStdString();
    }
    QImage screenshot() const
    {
        const QString file = dir.path() + QStringLiteral("/screen.png");
        runX(display, QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        return QImage(file);
    }
    QStringList serverRequests()
    {
        QStringList requests;
        const QStringList lines = QString::fromUtf8(server.readAllStandardOutput()).split(QLatin1Char('\n'));
        m_serverLog += lines;
        for (const QString &line : m_serverLog) {
            if (line.contains(QStringLiteral(" GET ")))
                requests << line.section(QLatin1Char(' '), 2, 2);
        }
        return requests;
    }

private:
    QStringList m_serverLog;
};

} // namespace

TEST_F(PlayerEndToEnd, AFirstStartFetchesTheCatalogueAndPlaysTuneOneInACutOutWindow)
{
    startPlayer(dir.path());
    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    const QString firstTitle = text::fromCp932(LookupTitle(catalogue, "jingle-o.mid"));
    ASSERT_FALSE(firstTitle.isEmpty());

    ASSERT_TRUE(waitForPlayerTitle(firstTitle));
    const QString music = QStringLiteral("/11veruvodirororir/music/");
    EXPECT_EQ(serverRequests(), (QStringList{music + QStringLiteral("@Midi.DBF"), music + QStringLiteral("jingle-o.mid")}));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/@Midi.DBF")));

    // The window sits in the bottom-right corner; its rounded corners show the black root
    // window through, the face inside is painted.
    const QImage screen = screenshot();
    ASSERT_FALSE(screen.isNull());
    const int left = screenWidth - 146;
    const int top = screenHeight - 217;
    EXPECT_EQ(QColor(screen.pixel(left, top)), QColor(Qt::black));
    EXPECT_EQ(QColor(screen.pixel(screenWidth - 1, screenHeight - 1)), QColor(Qt::black));
    EXPECT_NE(QColor(screen.pixel(left + 73, top + 60)), QColor(Qt::black));
    EXPECT_NE(QColor(screen.pixel(left + 73, top + 60)), QColor(255, 0, 255));

    // A click on the close button ends the program and stores the window's place.
    clickAt(left + 113 + 8, top + 16 + 8);
    ASSERT_TRUE(player.waitForFinished(15000));
    EXPECT_EQ(player.exitCode(), 0) << player.readAll().toStdString();
    const std::string settings = readFile(dir.path() + QStringLiteral("/quavelo.ini"));
    EXPECT_NE(settings.find("MainTop=" + std::to_string(top) + "\r\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("MainLeft=" + std::to_string(left) + "\r\n"), std::string::npos) << settings;
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/zMusic.mid")));
}

TEST_F(PlayerEndToEnd, MenuThenADoubleClickInTheCatalogueAndOkStoreTheListAndPlayItsFirstTune)
{
    startPlayer(dir.path());
    const std::string content = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    const QString firstTitle = text::fromCp932(LookupTitle(content, "jingle-o.mid"));
    ASSERT_TRUE(waitForPlayerTitle(firstTitle));
    const int left = screenWidth - 146;
    const int top = screenHeight - 217;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    const auto currentSection = [&base] {
        const int favNo = ReadIniInt(base, "OPT", "FavNo", 0);
        return "MIDI_" + ReadIniString(base, "MIDI_FAV", std::to_string(favNo + 1), "");
    };

    // The first catalogue row after the editor's load, as the editor orders it.
    CatalogueList catalogue;
    ASSERT_TRUE(catalogue.loadFile(dir.path() + QStringLiteral("/@Midi.DBF")));
    const std::string firstRowFile = catalogue.grid().cell(0, CellFileName);
    std::vector<std::string> expected;
    ReadIniList(base, currentSection(), expected);
    ASSERT_FALSE(expected.empty());
    const auto listed = std::find(expected.begin(), expected.end(), firstRowFile);
    if (listed == expected.end())
        expected.push_back(firstRowFile);
    else
        expected.erase(listed);

    clickAt(left + 57 + 17, top + 117 + 7);
    ASSERT_TRUE(waitForWindowNamed(QStringLiteral("の設定")));
    // The editor is centred on the screen; its catalogue grid starts at 248, 109 inside it.
    const int editorLeft = (screenWidth - 896) / 2;
    const int editorTop = (screenHeight - 591) / 2;
    // Loaded once the first catalogue row shows the selection colour.
    const QPoint firstRow(editorLeft + 248 + 100, editorTop + 109 + 9);
    ASSERT_TRUE(waitUntil([&] {
        const QImage screen = screenshot();
        return !screen.isNull() && QColor(screen.pixel(firstRow)) == QColor(235, 177, 234);
    }, 15000));
    const std::size_t requestsBefore = serverRequests().size();
    clickAt(firstRow.x(), firstRow.y(), 2);
    testing_support::runEventsFor(300);
    clickAt(editorLeft + 896 - 150 + 35, editorTop + 3 + 10);

    ASSERT_TRUE(waitUntil([&] {
        const QStringList requests = serverRequests();
        return std::size_t(requests.size()) > requestsBefore
            && requests.back().endsWith(QString::fromStdString(expected.front()));
    }, 15000)) << serverRequests().join(QLatin1Char(' ')).toStdString();
    std::vector<std::string> stored;
    ReadIniList(base, currentSection(), stored);
    EXPECT_EQ(stored, expected);
}

TEST_F(PlayerEndToEnd, AFullDiskShowsAWriteErrorAndTheClosingMessageAndLosesNothing)
{
    testing_support::FullFolder folder(40 * 1024);
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QFile::copy(dir.path() + QStringLiteral("/quavelo"), folder.path() + QStringLiteral("/quavelo")));
    const std::string settings = "[OPT]\r\nUsed=1\r\nAutoRun=1\r\nFavNo=0\r\nMainTop=100\r\nMainLeft=100\r\n"
                                 "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n2=silent.mid\r\n";
    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    folder.put(QStringLiteral("quavelo.ini"), settings);
    folder.put(QStringLiteral("@Midi.DBF"), catalogue);
    folder.fill();

    startPlayer(folder.path());
    // The tune cannot be stored: the status says so, not that the server failed.
    ASSERT_TRUE(waitForPlayerTitle(QStringLiteral("書き込みエラー！！")));

    // Closing cannot store the window's place: a message names the file, and the
    // program ends once it is acknowledged.
    clickAt(100 + 113 + 8, 100 + 16 + 8);
    ASSERT_TRUE(waitForWindowNamed(QStringLiteral("^Quavelo$")));
    runX(display, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(player.waitForFinished(15000)) << "the message did not let the program end";
    EXPECT_EQ(player.exitCode(), 0) << player.readAll().toStdString();

    EXPECT_EQ(readFile(folder.path() + QStringLiteral("/quavelo.ini")), settings);
    EXPECT_EQ(readFile(folder.path() + QStringLiteral("/@Midi.DBF")), catalogue);
    EXPECT_EQ(folder.files(), (QStringList{QStringLiteral("@Midi.DBF"), QStringLiteral("quavelo"),
                                           QStringLiteral("quavelo.ini")}));
}
