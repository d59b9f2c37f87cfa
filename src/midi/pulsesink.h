#pragma once

#include "midi/audiosink.h"

#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>

// Plays through the session's PulseAudio server, or PipeWire's PulseAudio service, as a
// stream that the desktop's volume control lists as Quavelo, with the program's icon and
// the media role "music".
//
// The stream keeps about latencyMs of sound queued: enough that a busy machine does not
// break it up, few enough wake-ups that playing costs little. Its own main loop runs in
// the calls, so every call must come from the one rendering thread.
class PulseSink : public AudioSink
{
public:
    static constexpr int latencyMs = 80;

    struct Refusal {
        QString reason;
        // No server listens: other outputs may be tried. Otherwise they would reach the
        // same server through its ALSA plug-in, which can wait on it for ever.
        bool noServer = false;
    };

    // nullptr when no server takes the stream; refusal then says why.
    static std::unique_ptr<PulseSink> open(int sampleRate, const std::atomic<bool> &cancelled, Refusal &refusal);
    ~PulseSink() override;

    bool write(const float *left, const float *right, int frames) override;
    int queuedFrames() override;
    void drain() override;
    QString failure() const override { return m_failure; }

private:
    PulseSink(int sampleRate, const std::atomic<bool> &cancelled);
    bool connect();
    bool healthy() const;
    bool fail(const QString &reason);
    // Runs the main loop until done() holds; false when the server fails, gives no
    // answer for timeoutMs, or the cancel flag is set first.
    bool runUntil(const std::function<bool()> &done, int timeoutMs);
    QString serverError() const;

    const pa_sample_spec m_spec;
    const std::atomic<bool> &m_cancelled;
    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    QString m_failure;
};
