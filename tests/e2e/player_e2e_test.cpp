// The real program under Xvfb, in a folder of its own, against the bundled catalogue
// server: what it asks the server for, what its window shows and how it leaves its
// settings file.
#include "e2e/playerendtoend.h"

#include "app/text.h"
#include "app/settings.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguelist.h"
#include "support/httpserver.h"
#include "support/qtprinters.h"
#include "support/soundserver.h"

#include <QDir>

#include <algorithm>

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

TEST_F(PlayerEndToEnd, AFailedFirstTuneAtAnAutomaticStartLeavesNextToPlayTheSecond)
{
    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), catalogue);
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=1\r\nFavNo=0\r\nMainTop=100\r\nMainLeft=100\r\n"
                               "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=not-there.mid\r\n2=jingle-o.mid\r\n");
    startPlayer(dir.path());
    ASSERT_TRUE(waitForPlayerTitle(QStringLiteral("通信エラー！！")));

    clickAt(100 + 27 + 12, 100 + 144 + 11);
    ASSERT_TRUE(waitForPlayerTitle(text::fromCp932(LookupTitle(catalogue, "jingle-o.mid"))));
    const QString music = QStringLiteral("/11veruvodirororir/music/");
    EXPECT_EQ(serverRequests(), (QStringList{music + QStringLiteral("not-there.mid"), music + QStringLiteral("jingle-o.mid")}));
}

TEST_F(PlayerEndToEnd, MenuDuringASlowDownloadEndsItBeforeTheEditorOpensAndNothingPlaysBehindIt)
{
    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    testing_support::TestHttpServer slowServer([&catalogue](const testing_support::TestHttpServer::Request &request) {
        if (request.path.ends_with("@Midi.DBF"))
            return testing_support::TestHttpServer::Reply::withBody(catalogue);
        testing_support::TestHttpServer::Reply trickle =
            testing_support::TestHttpServer::Reply::withBody(std::string(20000, 'x'));
        trickle.bytesPerSecond = 200;
        return trickle;
    });
    testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), catalogue);
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=0\r\nFavNo=0\r\nMainTop=100\r\nMainLeft=100\r\nServer="
                                   + slowServer.host() + "\r\n[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n");
    const auto tuneRequests = [&slowServer] {
        const auto requests = slowServer.requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const auto &request) { return request.path.ends_with(".mid"); });
    };
    startPlayer(dir.path());
    ASSERT_TRUE(waitForPlayerTitle(QStringLiteral("待機中...")));
    clickAt(100 + 62 + 12, 100 + 179 + 11); // Play
    ASSERT_TRUE(waitForPlayerTitle(QStringLiteral("DownLoading...")));
    ASSERT_TRUE(waitUntil([&] { return tuneRequests() == 1 && slowServer.openConnections() == 1; }));

    const QString playerWindow = windowId();
    clickAt(100 + 57 + 17, 100 + 117 + 7); // MENU
    ASSERT_TRUE(waitForWindowNamed(QStringLiteral("の設定")));
    EXPECT_TRUE(waitUntil([&] { return slowServer.openConnections() == 0; }))
        << "the tune download still runs behind the editor";
    testing_support::runEventsFor(2000);
    EXPECT_EQ(tuneRequests(), 1) << "a tune was fetched while the editor was open";
    EXPECT_EQ(windowName(playerWindow), QStringLiteral("待機中...")) << "the player went on behind the editor";

    runX(display, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(QStringLiteral("の設定")).isEmpty(); }));
    testing_support::runEventsFor(500);
    EXPECT_EQ(tuneRequests(), 1);
    EXPECT_EQ(player.state(), QProcess::Running);
}

TEST_F(PlayerEndToEnd, TheDesktopsMediaControlsShowTheTuneAndDriveThePlayer)
{
    if (QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "playerctl and dbus-daemon are needed";
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return bus.canReadLine() || bus.waitForReadyRead(50); }));
    QProcessEnvironment onBus;
    onBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(bus.readLine()).trimmed());
    const auto playerctl = [&onBus](const QStringList &arguments) {
        QProcess client;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(onBus);
        client.setProcessEnvironment(environment);
        client.start(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), QStringLiteral("quavelo")} + arguments);
        client.waitForFinished(10000);
        return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
    };

    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    const QString first = text::fromCp932(LookupTitle(catalogue, "jingle-o.mid"));
    const QString second = text::fromCp932(LookupTitle(catalogue, "minuet.mid"));
    testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"), catalogue);
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=1\r\nWaite=0\r\nFavNo=0\r\nMainTop=100\r\nMainLeft=100\r\n"
                               "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n2=minuet.mid\r\n");
    startPlayer(dir.path(), onBus);
    ASSERT_TRUE(waitForPlayerTitle(first));
    ASSERT_TRUE(waitUntil([&] { return playerctl({QStringLiteral("status")}) == QStringLiteral("Playing"); }));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}), first);
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:album")}), QStringLiteral("A"));

    QProcess follower;
    QProcessEnvironment followEnvironment = QProcessEnvironment::systemEnvironment();
    followEnvironment.insert(onBus);
    follower.setProcessEnvironment(followEnvironment);
    follower.start(QStringLiteral("playerctl"), {QStringLiteral("-p"), QStringLiteral("quavelo"), QStringLiteral("--follow"),
                                                  QStringLiteral("metadata"), QStringLiteral("xesam:title")});
    ASSERT_TRUE(follower.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return follower.canReadLine() || follower.waitForReadyRead(50); })) << "the follower never started";

    playerctl({QStringLiteral("next")});
    const QString music = QStringLiteral("/11veruvodirororir/music/");
    ASSERT_TRUE(waitUntil([&] { return serverRequests().contains(music + QStringLiteral("minuet.mid")); }));
    ASSERT_TRUE(waitForPlayerTitle(second));
    QString followed;
    EXPECT_TRUE(waitUntil([&] {
        followed += QString::fromUtf8(follower.readAllStandardOutput());
        return followed.contains(second);
    })) << "the changed title was not signalled: " << followed.toStdString();
    follower.kill();
    follower.waitForFinished();

    playerctl({QStringLiteral("stop")});
    EXPECT_TRUE(waitUntil([&] { return playerctl({QStringLiteral("status")}) == QStringLiteral("Stopped"); }));

    // While the editor is open the player's buttons are off, and so are the media keys.
    clickAt(100 + 57 + 17, 100 + 117 + 7);
    ASSERT_TRUE(waitForWindowNamed(QStringLiteral("の設定")));
    const auto tuneRequests = [this] { return serverRequests().filter(QStringLiteral(".mid")).size(); };
    const qsizetype tunesBefore = tuneRequests();
    playerctl({QStringLiteral("play")});
    playerctl({QStringLiteral("next")});
    testing_support::runEventsFor(1000);
    EXPECT_EQ(playerctl({QStringLiteral("status")}), QStringLiteral("Stopped"));
    EXPECT_EQ(tuneRequests(), tunesBefore) << "the media keys acted while the editor was open";
    runX(display, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});

    bus.terminate();
    bus.waitForFinished();
}

TEST_F(PlayerEndToEnd, TheShapeFitsThePictureExactlyAtScalesOneAndTwo)
{
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=0\r\nMainTop=100\r\nMainLeft=100\r\n"
                               "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n");
    for (const int scale : {1, 2}) {
        QProcessEnvironment scaled;
        scaled.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        startPlayer(dir.path(), scaled);
        const QRect window(QPoint(100, 100) * scale, QSize(146, 217) * scale);
        QImage screen;
        // Painted once the screen face of the skin shows in the middle of the window.
        ASSERT_TRUE(waitUntil([&] {
            screen = screenshot();
            return !screen.isNull() && playerGeometry() == window
                && QColor(screen.pixel(window.x() + 73 * scale, window.y() + 60 * scale)) == QColor(224, 232, 240);
        }, 15000)) << "scale " << scale << ", window at " << playerGeometry().x() << "," << playerGeometry().y();

        int keyPixels = 0;
        for (int y = window.top(); y <= window.bottom(); ++y) {
            for (int x = window.left(); x <= window.right(); ++x)
                keyPixels += QColor(screen.pixel(x, y)) == QColor(255, 0, 255);
        }
        EXPECT_EQ(keyPixels, 0) << "scale " << scale;
        const auto at = [&](int x, int y) { return QColor(screen.pixel(window.x() + x * scale, window.y() + y * scale)); };
        for (const QPoint corner : {QPoint(2, 2), QPoint(143, 2), QPoint(2, 214), QPoint(143, 214)})
            EXPECT_EQ(at(corner.x(), corner.y()), QColor(Qt::black)) << "scale " << scale << " corner " << corner.x();
        // The two-pixel margin is cut away, the skin's straight sides are not.
        EXPECT_EQ(at(1, 108), QColor(Qt::black)) << "scale " << scale;
        EXPECT_NE(at(2, 108), QColor(Qt::black)) << "scale " << scale;
        EXPECT_NE(QColor(screen.pixel(window.x() + 144 * scale - 1, window.y() + 108 * scale)), QColor(Qt::black));
        EXPECT_EQ(at(144, 108), QColor(Qt::black)) << "scale " << scale;
        endPlayer();
    }
}

TEST_F(PlayerEndToEnd, TheSecondPressOfADoubleClickDragsTheWindowToAnotherCorner)
{
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=0\r\nMainTop=0\r\nMainLeft=0\r\n"
                               "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n");
    startPlayer(dir.path());
    ASSERT_TRUE(waitUntil([&] { return playerGeometry() == QRect(0, 0, 146, 217); }, 15000));
    // A click, then a second press at once (a double click) held and moved to the far
    // side of the screen: the drop snaps the window into the bottom-right corner.
    runX(display, QStringLiteral("xdotool"),
         {QStringLiteral("mousemove"), QStringLiteral("20"), QStringLiteral("200"), QStringLiteral("click"),
          QStringLiteral("1"), QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
          QStringLiteral("900"), QStringLiteral("700"), QStringLiteral("sleep"), QStringLiteral("0.3"),
          QStringLiteral("mouseup"), QStringLiteral("1")});
    const QRect corner(screenWidth - 146, screenHeight - 217, 146, 217);
    EXPECT_TRUE(waitUntil([&] { return playerGeometry() == corner; }, 15000))
        << "window at " << playerGeometry().x() << "," << playerGeometry().y();
    endPlayer();
}

TEST_F(PlayerEndToEnd, TuneOneSoundsThroughTheDesktopsSoundServerAndOutlivesItsCrash)
{
    testing_support::PrivateSoundServer sound;
    if (!sound.start())
        GTEST_SKIP() << "no private PulseAudio server: " << sound.why().toStdString();
    const std::string catalogue = readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF"));
    const QString firstTitle = text::fromCp932(LookupTitle(catalogue, "jingle-o.mid"));
    const auto streamShows = [&] { return waitUntil([&] { return !sound.streamProperties().isEmpty(); }, 30000); };
    ASSERT_TRUE(sound.startRecording());
    QProcessEnvironment audible;
    audible.insert(QStringLiteral("QUAVELO_AUDIO"), QString()); // anything but "none" lets it sound
    audible.insert(QStringLiteral("PULSE_SERVER"), sound.address());
    startPlayer(dir.path(), audible);
    ASSERT_TRUE(waitForPlayerTitle(firstTitle));

    // The desktop's volume control lists the program by its name, icon and role.
    ASSERT_TRUE(streamShows()) << player.readAll().toStdString();
    const QStringList properties = sound.streamProperties().split(QLatin1Char('\n'));
    for (const char *expected : {"application.name = \"Quavelo\"", "media.name = \"Quavelo\"",
                                 "media.role = \"music\"", "application.icon_name = \"quavelo\""})
        EXPECT_TRUE(properties.contains(QLatin1String(expected))) << expected;

    // Eight seconds of the tune arrive at the sink, loud and unclipped.
    testing_support::runEventsFor(8000);
    const std::vector<float> recorded = sound.stopRecording();
    EXPECT_GT(recorded.size(), 2u * 44100 * 5);
    const double peak = testing_support::peakDecibels(recorded);
    EXPECT_GE(peak, -6.0);
    EXPECT_LE(peak, -1.0);

    // The server crashes mid-tune: the player plays on, and after a restart of the server
    // the next tune is heard through it.
    sound.kill();
    testing_support::runEventsFor(1500);
    ASSERT_EQ(player.state(), QProcess::Running) << player.readAll().toStdString();
    EXPECT_EQ(windowName(windowId()), firstTitle);
    ASSERT_TRUE(sound.start()) << sound.why().toStdString();
    const int left = screenWidth - 146;
    const int top = screenHeight - 217;
    clickAt(left + 27 + 12, top + 144 + 11);
    EXPECT_TRUE(streamShows()) << "the next tune did not reach the new server";

    clickAt(left + 113 + 8, top + 16 + 8);
    ASSERT_TRUE(player.waitForFinished(15000));
    EXPECT_EQ(player.exitCode(), 0) << player.readAll().toStdString();
}
