#include "player/mprisadaptors.h"

#include "player/mprisservice.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

void MprisRootAdaptor::Raise()
{
    m_service->target().raise();
}

void MprisRootAdaptor::Quit()
{
    m_service->target().quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_service->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service->metadata();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service->target().positionUs();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_service->target().isEnabled(MediaControlsTarget::Button::Next);
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_service->target().isEnabled(MediaControlsTarget::Button::Play);
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_service->target().isEnabled(MediaControlsTarget::Button::Stop);
}

void MprisPlayerAdaptor::Next()
{
    m_service->target().press(MediaControlsTarget::Button::Next);
}

void MprisPlayerAdaptor::Pause()
{
    if (m_service->target().nowPlaying().playing)
        Stop();
}

void MprisPlayerAdaptor::PlayPause()
{
    MediaControlsTarget &target = m_service->target();
    target.press(target.nowPlaying().playing ? MediaControlsTarget::Button::Stop : MediaControlsTarget::Button::Play);
}

void MprisPlayerAdaptor::Stop()
{
    m_service->target().press(MediaControlsTarget::Button::Stop);
}

void MprisPlayerAdaptor::Play()
{
    m_service->target().press(MediaControlsTarget::Button::Play);
}
