#include "player/mprisservice.h"

#include "app/text.h"
#include "player/mprisadaptors.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString playbackStatusOf(const NowPlaying &now)
{
    return now.playing ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

} // namespace

QVariantMap MprisMetadata(const NowPlaying &now)
{
    QVariantMap metadata;
    if (now.tuneNumber <= 0)
        return metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(QStringLiteral("/quavelo/tune/%1").arg(now.tuneNumber))));
    // A tune the catalogue does not know is shown by its file name.
    metadata.insert(QStringLiteral("xesam:title"), text::fromCp932(now.title.empty() ? now.fileName : now.title));
    if (!now.composer.empty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{text::fromCp932(now.composer)});
    if (!now.genre.empty())
        metadata.insert(QStringLiteral("xesam:genre"), QStringList{text::fromCp932(now.genre)});
    if (!now.listName.empty())
        metadata.insert(QStringLiteral("xesam:album"), text::fromCp932(now.listName));
    if (now.lengthUs >= 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(now.lengthUs));
    return metadata;
}

MprisService::MprisService(const QDBusConnection &bus, MediaControlsTarget &target, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_target(target)
{
    if (!m_bus.isConnected())
        return;
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    if (!m_bus.registerObject(QString::fromLatin1(ObjectPath), this, QDBusConnection::ExportAdaptors))
        return;
    if (!m_bus.registerService(QString::fromLatin1(ServiceName))) {
        m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
        return;
    }
    m_registered = true;
    m_published = playerProperties();
}

MprisService::~MprisService()
{
    if (!m_registered)
        return;
    m_bus.unregisterService(QString::fromLatin1(ServiceName));
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
}

QString MprisService::playbackStatus() const
{
    return playbackStatusOf(m_target.nowPlaying());
}

QVariantMap MprisService::metadata() const
{
    return MprisMetadata(m_target.nowPlaying());
}

QVariantMap MprisService::playerProperties() const
{
    const NowPlaying now = m_target.nowPlaying();
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatusOf(now)},
        {QStringLiteral("Metadata"), MprisMetadata(now)},
        {QStringLiteral("CanPlay"), m_target.isEnabled(MediaControlsTarget::Button::Play)},
        {QStringLiteral("CanPause"), m_target.isEnabled(MediaControlsTarget::Button::Stop)},
        {QStringLiteral("CanGoNext"), m_target.isEnabled(MediaControlsTarget::Button::Next)},
    };
}

void MprisService::refresh()
{
    if (!m_registered)
        return;
    const QVariantMap current = playerProperties();
    QVariantMap changed;
    for (auto property = current.begin(); property != current.end(); ++property) {
        if (m_published.value(property.key()) != property.value())
            changed.insert(property.key(), property.value());
    }
    m_published = current;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    m_bus.send(signal);
}
