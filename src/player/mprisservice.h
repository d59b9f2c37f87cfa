#pragma once

#include "player/mediacontrols.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

// The player on the desktop's media controls: the MPRIS 2 interfaces on a bus, under the
// name org.mpris.MediaPlayer2.quavelo, so that panels, lock screens, media keys and tools
// such as playerctl show and drive it. Without a bus, or when the name is taken, it stays
// quiet and the player runs as before.
class MprisService : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "org.mpris.MediaPlayer2.quavelo";
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";

    MprisService(const QDBusConnection &bus, MediaControlsTarget &target, QObject *parent = nullptr);
    ~MprisService() override;

    bool isRegistered() const { return m_registered; }
    MediaControlsTarget &target() const { return m_target; }

    QString playbackStatus() const;
    QVariantMap metadata() const;
    // The player's properties that change as it plays, as the bus shows them.
    QVariantMap playerProperties() const;

    // Tells the bus what changed since the last call.
    void refresh();

private:
    QDBusConnection m_bus;
    MediaControlsTarget &m_target;
    bool m_registered = false;
    QVariantMap m_published;
};

// The MPRIS metadata of a tune: an empty map when there is none.
QVariantMap MprisMetadata(const NowPlaying &now);
