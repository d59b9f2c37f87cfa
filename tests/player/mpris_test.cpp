// The media-controls service on a private session bus of its own, seen from a second
// connection as a desktop panel sees it: what it publishes, what its methods press, and
// what it signals when the player changes.
#include "app/text.h"
#include "player/mprisservice.h"
#include "player/nowplaying.h"
#include "player/playerstate.h"
#include "support/eventwait.h"
#include "support/qtprinters.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testing_support::waitUntil;
using Button = MediaControlsTarget::Button;

namespace {

// A player whose state the test sets and whose presses it counts.
class FakePlayer : public MediaControlsTarget
{
public:
    NowPlaying now;
    bool enabled = true;
    std::vector<Button> presses;
    int raises = 0;
    int quits = 0;

    NowPlaying nowPlaying() const override { return now; }
    qint64 positionUs() const override { return 1500000; }
    bool isEnabled(Button) const override { return enabled; }
    void press(Button button) override
    {
        if (enabled)
            presses.push_back(button);
    }
    void raise() override { ++raises; }
    void quit() override { ++quits; }
};

// Collects the PropertiesChanged signals of the player's interface.
class ChangeListener : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;

public Q_SLOTS:
    void changed(const QString &interface, const QVariantMap &properties, const QStringList &)
    {
        if (interface == QStringLiteral("org.mpris.MediaPlayer2.Player"))
            changes << properties;
    }
};

// Metadata arrives as a D-Bus argument inside the variant; this unpacks it.
QVariantMap asMap(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

class Mpris : public ::testing::Test
{
protected:
    QProcess daemon;
    QString address;
    FakePlayer player;

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is needed";
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon.waitForStarted());
        ASSERT_TRUE(waitUntil([this] { return daemon.canReadLine() || daemon.waitForReadyRead(50); }));
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        player.now = tune();
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        daemon.terminate();
        daemon.waitForFinished();
    }

    QDBusConnection bus(const QString &name) const { return QDBusConnection::connectToBus(address, name); }
    // The service answers on this thread, so a call waits in the event loop for its reply.
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &arguments = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(MprisService::ServiceName),
                                                              QString::fromLatin1(MprisService::ObjectPath), interface,
                                                              method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = bus(QStringLiteral("client")).asyncCall(message);
        waitUntil([&pending] { return pending.isFinished(); });
        return pending.reply();
    }
    QVariant property(const char *interface, const char *name) const
    {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {QString::fromLatin1(interface), QString::fromLatin1(name)});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariant playerProperty(const char *name) const { return property("org.mpris.MediaPlayer2.Player", name); }
    QVariant rootProperty(const char *name) const { return property("org.mpris.MediaPlayer2", name); }
    void callPlayer(const char *method) const
    {
        EXPECT_EQ(call(QStringLiteral("org.mpris.MediaPlayer2.Player"), QString::fromLatin1(method)).type(),
                  QDBusMessage::ReplyMessage)
            << method;
    }
    void callRoot(const char *method) const { call(QStringLiteral("org.mpris.MediaPlayer2"), QString::fromLatin1(method)); }

    static NowPlaying tune()
    {
        NowPlaying now;
        now.playing = true;
        now.tuneNumber = 2;
        now.fileName = "b.mid";
        now.title = *text::toCp932(QStringLiteral("ジングルベル"));
        now.composer = "Pierpont";
        now.genre = *text::toCp932(QStringLiteral("クリスマス"));
        now.listName = "list";
        now.lengthUs = 82308846;
        return now;
    }
};

} // namespace

TEST_F(Mpris, ThePlayerIsFoundUnderItsNameAndDescribesItselfAndItsTune)
{
    MprisService service(bus(QStringLiteral("service")), player);
    ASSERT_TRUE(service.isRegistered());

    EXPECT_EQ(rootProperty("Identity").toString(), QStringLiteral("Quavelo"));
    EXPECT_EQ(rootProperty("DesktopEntry").toString(), QStringLiteral("quavelo"));
    EXPECT_TRUE(rootProperty("CanQuit").toBool());
    EXPECT_TRUE(rootProperty("CanRaise").toBool());
    EXPECT_FALSE(rootProperty("HasTrackList").toBool());

    EXPECT_EQ(playerProperty("PlaybackStatus").toString(), QStringLiteral("Playing"));
    EXPECT_TRUE(playerProperty("CanGoNext").toBool());
    EXPECT_FALSE(playerProperty("CanGoPrevious").toBool());
    EXPECT_FALSE(playerProperty("CanSeek").toBool());
    EXPECT_TRUE(playerProperty("CanControl").toBool());
    EXPECT_EQ(playerProperty("Position").toLongLong(), 1500000);

    // The types that MPRIS 2 gives: a path, lists of names, microseconds in 64 bits.
    const QVariantMap metadata = asMap(playerProperty("Metadata"));
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(), QStringLiteral("/quavelo/tune/2"));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("ジングルベル"));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("Pierpont")});
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:genre")).toStringList(), QStringList{QStringLiteral("クリスマス")});
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("list"));
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:length")).userType(), QMetaType::LongLong);
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:length")).toLongLong(), 82308846);
}

TEST_F(Mpris, MethodsPressThePlayersButtonsAndPauseStopsWhatPlays)
{
    MprisService service(bus(QStringLiteral("service")), player);
    for (const char *method : {"Play", "Stop", "Next", "Pause", "PlayPause", "Previous"})
        callPlayer(method);
    EXPECT_EQ(player.presses, (std::vector<Button>{Button::Play, Button::Stop, Button::Next, Button::Stop, Button::Stop}));

    player.presses.clear();
    player.now.playing = false;
    callPlayer("Pause");
    EXPECT_TRUE(player.presses.empty()) << "a locking screen's Pause starts nothing";
    callPlayer("PlayPause");
    EXPECT_EQ(player.presses, std::vector<Button>{Button::Play}) << "a stopped player starts";

    callRoot("Raise");
    callRoot("Quit");
    EXPECT_EQ(player.raises, 1);
    EXPECT_EQ(player.quits, 1);
}

TEST_F(Mpris, ADisabledPlayerOffersNothingAndItsButtonsStayUnpressed)
{
    player.enabled = false;
    MprisService service(bus(QStringLiteral("service")), player);
    EXPECT_FALSE(playerProperty("CanPlay").toBool());
    EXPECT_FALSE(playerProperty("CanPause").toBool());
    EXPECT_FALSE(playerProperty("CanGoNext").toBool());
    callPlayer("Next");
    callPlayer("PlayPause");
    EXPECT_TRUE(player.presses.empty());
}

TEST_F(Mpris, EveryChangeIsSignalledOnceWithWhatChanged)
{
    MprisService service(bus(QStringLiteral("service")), player);
    ChangeListener listener;
    ASSERT_TRUE(bus(QStringLiteral("client")).connect(
        QString::fromLatin1(MprisService::ServiceName), QString::fromLatin1(MprisService::ObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), &listener,
        SLOT(changed(QString, QVariantMap, QStringList))));

    service.refresh(); // nothing has changed
    player.now.tuneNumber = 3;
    player.now.title = "Blue Lake";
    player.now.lengthUs = -1;
    service.refresh();
    ASSERT_TRUE(waitUntil([&] { return listener.changes.size() == 1; }));
    EXPECT_EQ(listener.changes[0].keys(), QStringList{QStringLiteral("Metadata")});
    const QVariantMap metadata = asMap(listener.changes[0].value(QStringLiteral("Metadata")));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Blue Lake"));
    EXPECT_FALSE(metadata.contains(QStringLiteral("mpris:length"))) << "a length not yet known is left out";

    player.now.playing = false;
    player.enabled = false;
    service.refresh();
    ASSERT_TRUE(waitUntil([&] { return listener.changes.size() == 2; }));
    EXPECT_EQ(listener.changes[1].value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    EXPECT_FALSE(listener.changes[1].value(QStringLiteral("CanPlay")).toBool());
    EXPECT_FALSE(listener.changes[1].contains(QStringLiteral("Metadata")));
    testing_support::runEventsFor(200);
    EXPECT_EQ(listener.changes.size(), 2);
}

TEST_F(Mpris, WithoutABusOrWithItsNameTakenThePlayerStaysQuiet)
{
    MprisService first(bus(QStringLiteral("service")), player);
    ASSERT_TRUE(first.isRegistered());
    MprisService second(bus(QStringLiteral("client")), player);
    EXPECT_FALSE(second.isRegistered());
    second.refresh();

    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                               QStringLiteral("none"));
    MprisService absent(none, player);
    EXPECT_FALSE(absent.isRegistered());
    absent.refresh();
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

TEST(MprisMetadata, NoTuneHasNoMetadataAndAnUnknownTuneShowsItsFileName)
{
    EXPECT_TRUE(MprisMetadata(NowPlaying()).isEmpty());
    NowPlaying unknown;
    unknown.tuneNumber = 1;
    unknown.fileName = "odd.mid";
    const QVariantMap metadata = MprisMetadata(unknown);
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("odd.mid"));
    EXPECT_FALSE(metadata.contains(QStringLiteral("xesam:artist")));
    EXPECT_FALSE(metadata.contains(QStringLiteral("xesam:genre")));
}

TEST(NowPlaying, TheLengthComesFromTheTuneFileOnceItIsThere)
{
    QTemporaryDir dir;
    PlayerState state;
    state.locate(dir.path() + QStringLiteral("/quavelo"));
    state.FavNames = {"list"};
    state.PlayList = {"a.mid", "b.mid"};
    EXPECT_EQ(DescribeNowPlaying(state, false).tuneNumber, 0) << "before the first tune";

    state.TuneIndex = 1;
    state.CurrentTitle = "Bravo";
    NowPlaying now = DescribeNowPlaying(state, true);
    EXPECT_EQ(now.tuneNumber, 2);
    EXPECT_EQ(now.fileName, "b.mid");
    EXPECT_EQ(now.listName, "list");
    EXPECT_EQ(now.lengthUs, -1);

    testing_support::writeFile(state.TuneFilePath, testing_support::makeTune(2));
    EXPECT_EQ(DescribeNowPlaying(state, true).lengthUs / 100000, 20);
    testing_support::writeFile(state.TuneFilePath, "not a tune");
    EXPECT_EQ(DescribeNowPlaying(state, true).lengthUs, -1);
}

#include "mpris_test.moc"
