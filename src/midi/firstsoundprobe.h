#pragma once

#include <QString>

#include <atomic>

// For start-up measurements: when QUAVELO_FIRST_SOUND_LOG names a file, the wall-clock
// time (milliseconds since the epoch) of the first rendered block above silence is
// written there, once per process. Costs one flag test per block otherwise.
class FirstSoundProbe
{
public:
    FirstSoundProbe();

    void observe(const float *left, const float *right, int frames);

private:
    QString m_logFile;
    std::atomic<bool> m_armed{false};
};
