#include "midi/alsasink.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <mutex>

namespace {
constexpr int waitSliceMs = 50;

QString alsaError(int error)
{
    return QString::fromUtf8(snd_strerror(error));
}

// The library would print every failed attempt; the sound output reports it once.
void ignoreLibraryMessage(const char *, int, const char *, int, const char *, ...) {}
} // namespace

AlsaSink::AlsaSink(snd_pcm_t *pcm, const std::atomic<bool> &cancelled)
    : m_pcm(pcm), m_cancelled(cancelled)
{
}

std::unique_ptr<AlsaSink> AlsaSink::open(int sampleRate, const std::atomic<bool> &cancelled, QString &error)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(ignoreLibraryMessage); });
    // Without blocking, so that a device held by another program does not hold us up.
    snd_pcm_t *pcm = nullptr;
    int result = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (result >= 0) {
        result = snd_pcm_set_params(pcm, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                                    unsigned(sampleRate), 1, latencyMs * 1000);
        if (result >= 0)
            return std::unique_ptr<AlsaSink>(new AlsaSink(pcm, cancelled));
        snd_pcm_close(pcm);
    }
    error = alsaError(result);
    return nullptr;
}

AlsaSink::~AlsaSink()
{
    snd_pcm_close(m_pcm);
}

bool AlsaSink::fail(int error)
{
    if (m_failure.isEmpty())
        m_failure = error ? alsaError(error) : QStringLiteral("the device takes no sound");
    return false;
}

bool AlsaSink::write(const float *left, const float *right, int frames)
{
    if (!m_failure.isEmpty())
        return false;
    const float *data = interleave(left, right, frames);
    QDeadlineTimer stall(stallMs);
    while (frames > 0) {
        if (m_cancelled || stall.hasExpired())
            return fail(0);
        const snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, data, snd_pcm_uframes_t(frames));
        if (written == -EAGAIN) {
            snd_pcm_wait(m_pcm, waitSliceMs);
        } else if (written < 0) {
            // An underrun or a suspended device starts again; anything else ends the output.
            if (const int error = snd_pcm_recover(m_pcm, int(written), 1); error < 0)
                return fail(error);
        } else {
            data += 2 * written;
            frames -= int(written);
            stall.setRemainingTime(stallMs);
        }
    }
    return true;
}

int AlsaSink::queuedFrames()
{
    snd_pcm_sframes_t delay = 0;
    if (!m_failure.isEmpty() || snd_pcm_delay(m_pcm, &delay) < 0 || delay < 0)
        return 0;
    return int(delay);
}

void AlsaSink::drain()
{
    if (!m_failure.isEmpty())
        return;
    // A tune shorter than the buffer has not started the device yet.
    if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(m_pcm);
    const QDeadlineTimer deadline(latencyMs + stallMs);
    while (queuedFrames() > 0 && !m_cancelled && !deadline.hasExpired())
        QThread::msleep(waitSliceMs / 5);
}
