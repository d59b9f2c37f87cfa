#include "midi/mediaplayer.h"
#include "midi/midifile.h"
#include "midi/synthengine.h"

namespace {
const char *const noDevice = "MCI デバイスがありません";
const char *const unknownError = "原因不明のエラー";
const char *const deviceBusy = "MIDI デバイスは使用中です";
} // namespace

TMediaPlayer::TMediaPlayer(QObject *parent) : QObject(parent) {}

TMediaPlayer::~TMediaPlayer()
{
    Notify.reset();
    Close();
}

bool TMediaPlayer::takeNotify(bool byDefault)
{
    const bool on = Notify.value_or(byDefault);
    Notify.reset();
    return on;
}

void TMediaPlayer::requireOpen() const
{
    if (!m_engine)
        throw EMCIDeviceError(noDevice);
}

void TMediaPlayer::post(NotifyKind kind)
{
    QMetaObject::invokeMethod(this, [this, kind] { deliver(kind); }, Qt::QueuedConnection);
}

void TMediaPlayer::deliver(int kind)
{
    m_notifyValue = kind;
    if (OnNotify)
        OnNotify(this);
}

void TMediaPlayer::cutPendingPlay(NotifyKind kind)
{
    ++m_generation;
    if (m_playNotifyPending) {
        m_playNotifyPending = false;
        post(kind);
    }
}

void TMediaPlayer::playEnded(std::uint64_t generation)
{
    if (generation != m_generation || !m_playNotifyPending)
        return;
    m_playNotifyPending = false;
    deliver(Successful);
}

void TMediaPlayer::prepare()
{
    SynthEngine::prepareInBackground();
}

void TMediaPlayer::Open()
{
    const bool notify = takeNotify(false);
    closeDevice();

    SynthEngine *engine = nullptr;
    std::shared_ptr<const MidiFile> song;
    try {
        engine = &SynthEngine::instance();
        song = std::make_shared<const MidiFile>(MidiFile::load(FileName));
    } catch (const SynthUnavailableError &error) {
        throw ESynthUnavailable(error.what());
    } catch (const MidiFileError &error) {
        throw EMCIDeviceError(error.what());
    } catch (const std::exception &) {
        throw EMCIDeviceError(unknownError);
    }

    const int length = song->lengthMs();
    const bool claimed = engine->claim(this, std::move(song), [this] {
        const std::uint64_t generation = m_generation;
        QMetaObject::invokeMethod(
            this, [this, generation] { playEnded(generation); }, Qt::QueuedConnection);
    });
    if (!claimed)
        throw EMCIDeviceError(deviceBusy);
    m_engine = engine;
    m_length = length;
    if (notify)
        post(Successful);
}

void TMediaPlayer::Play()
{
    const bool notify = takeNotify(true);
    requireOpen();
    cutPendingPlay(Superseded);
    m_playNotifyPending = notify;
    m_engine->play(this);
}

void TMediaPlayer::Stop()
{
    const bool notify = takeNotify(false);
    requireOpen();
    m_engine->stop(this);
    cutPendingPlay(Aborted);
    if (notify)
        post(Successful);
}

void TMediaPlayer::Close()
{
    const bool notify = takeNotify(false);
    if (!m_engine)
        return;
    closeDevice();
    if (notify)
        post(Successful);
}

void TMediaPlayer::closeDevice()
{
    if (!m_engine)
        return;
    // After release the audio thread no longer reaches this object.
    m_engine->release(this);
    m_engine = nullptr;
    m_length = 0;
    cutPendingPlay(Aborted);
}

int TMediaPlayer::Length() const
{
    requireOpen();
    return m_length;
}

int TMediaPlayer::Position() const
{
    return m_engine ? m_engine->positionMs(this) : 0;
}

int TMediaPlayer::NotifyValue() const
{
    return m_notifyValue;
}

bool TMediaPlayer::isOpen() const
{
    return m_engine != nullptr;
}
