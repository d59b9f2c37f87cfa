#pragma once

#include "midi/audiosink.h"

#include <alsa/asoundlib.h>

#include <memory>

// Plays through ALSA's default device, for machines without a sound server.
class AlsaSink : public AudioSink
{
public:
    static constexpr int latencyMs = 80;

    // nullptr when the device does not open; error then says why.
    static std::unique_ptr<AlsaSink> open(int sampleRate, const std::atomic<bool> &cancelled, QString &error);
    ~AlsaSink() override;

    bool write(const float *left, const float *right, int frames) override;
    int queuedFrames() override;
    void drain() override;
    QString failure() const override { return m_failure; }

private:
    AlsaSink(snd_pcm_t *pcm, const std::atomic<bool> &cancelled);
    bool fail(int error);

    snd_pcm_t *m_pcm;
    const std::atomic<bool> &m_cancelled;
    QString m_failure;
};
