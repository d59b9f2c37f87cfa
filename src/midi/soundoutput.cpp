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
    PulseSink::Refusal pulseRefusal;
    QString alsaError = QStringLiteral("not tried, the sound server is there");
    std::unique_ptr<AudioSink> sink = PulseSink::open(sampleRate, cancelled, pulseRefusal);
    if (!sink && pulseRefusal.noServer)
        sink = AlsaSink::open(sampleRate, cancelled, alsaError);

    std::lock_guard lock(reportLock);
    if (sink) {
        failureReported = false;
    } else if (!cancelled && !std::exchange(failureReported, true)) {
        qWarning("Quavelo: no sound output (PulseAudio: %s; ALSA: %s); tunes play on without sound",
                 qUtf8Printable(pulseRefusal.reason), qUtf8Printable(alsaError));
    }
    return sink;
}

} // namespace SoundOutput
