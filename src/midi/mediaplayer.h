#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class MidiFile;
class SynthEngine;

class EMCIDeviceError : public std::runtime_error // what() is UTF-8 text
{
public:
    using std::runtime_error::runtime_error;
};

// Open raises this subclass when no SoundFont or no synth engine is available at all,
// so that the player can tell the user once per run; its text names the package
// timgm6mb-soundfont when the SoundFont is missing.
class ESynthUnavailable : public EMCIDeviceError
{
    using EMCIDeviceError::EMCIDeviceError;
};

// Plays one MIDI file through the process's synthesiser, with the commands and
// completion notices of a media control device.
//
// Each command but Play sends a notice when it is done only if Notify was set true for
// it; Play sends one unless Notify was set false, when the file has played to its end.
// A pending end-of-play notice that a later command cuts short arrives as superseded
// (another Play) or aborted (Stop, Close, Open). Notices reach OnNotify queued, on the
// thread of this object.
class TMediaPlayer : public QObject
{
    Q_OBJECT
public:
    enum NotifyKind { Successful = 1, Superseded = 2, Aborted = 4, Failure = 8 };

    explicit TMediaPlayer(QObject *parent = nullptr);
    ~TMediaPlayer() override; // closes

    QString FileName;
    std::optional<bool> Notify;                    // applies to the next command only
    std::function<void(QObject *sender)> OnNotify; // on the GUI thread, queued

    // Reads FileName whole (the file is not held open) and readies it to play from the
    // start; an open file is closed first.
    void Open();
    // Readies the synthesiser in the background ahead of the first Open.
    static void prepare();
    // Returns at once; from the start again when the position stands at the end.
    void Play();
    void Stop();
    void Close();
    int Length() const;   // milliseconds
    int Position() const; // milliseconds
    int NotifyValue() const; // 1 successful, 2 superseded, 4 aborted, 8 failure
    bool isOpen() const;

private:
    bool takeNotify(bool byDefault);
    void requireOpen() const;
    void closeDevice();
    void cutPendingPlay(NotifyKind kind);
    void post(NotifyKind kind);
    void deliver(int kind);
    void playEnded(std::uint64_t generation);

    SynthEngine *m_engine = nullptr;
    int m_length = 0;
    int m_notifyValue = 0;
    bool m_playNotifyPending = false;
    // Counts the commands that change what a pending end of play means; the audio thread
    // tags its end notice with it, so that a stale one is recognised.
    std::atomic<std::uint64_t> m_generation = 0;
};
