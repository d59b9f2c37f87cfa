#include "midi/soundoutput.h"
#include "midi/alsasink.h"
#include "midi/pulsesink.h"

#include <QtGlobal>

#include <mutex>

namespace SoundOutput {

namespace {
std::mutex reportLock;
bool failureReported = false;
} // namespace

std::unique_ptr<AudioSink> open(int sampleRate, const std::atomic<bool> &cancelled)
{
    if (qEnvironmentVariable("QUAVELO_AUDIO") == QLatin1String("none"))
        return nullptr;
    QString pulseError, alsaError;
    std::unique_ptr<AudioSink> sink = PulseSink::open(sampleRate, cancelled, pulseError);
    if (!sink)
        sink = AlsaSink::open(sampleRate, cancelled, alsaError);

    std::lock_guard lock(reportLock);
    if (sink) {
        failureReported = false;
    } else if (!cancelled && !std::exchange(failureReported, true)) {
        qWarning("Quavelo: no sound output (PulseAudio: %s; ALSA: %s); tunes play on without sound",
                 qUtf8Printable(pulseError), qUtf8Printable(alsaError));
    }
    return sink;
}

} // namespace SoundOutput
