#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace testing_support {

// A PulseAudio server of the test's own, as a user's desktop runs one: in its own runtime
// folder, with its own socket, playing into a null sink whose monitor can be recorded.
// Nothing of the machine's own sound setup is used or touched.
class PrivateSoundServer
{
public:
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    // Starts the server (again, after kill()); false with why() when it cannot.
    bool start();
    QString why() const { return m_why; }
    // Kills the server at once, as a crash would; its clients lose their connection.
    void kill();
    // Stops or resumes the server without it knowing: it accepts and answers nothing.
    void freeze(bool frozen);

    // For a client's PULSE_SERVER.
    QString address() const;
    QString runtimeFolder() const { return m_dir.path(); }

    // Output of pactl run against this server; nothing when it fails.
    std::optional<QString> pactl(const QStringList &arguments) const;
    // The properties of the first playing stream as "key = value" lines (empty for none).
    QString streamProperties() const;

    // Records the sink's monitor as 32-bit float stereo until stopRecording().
    bool startRecording();
    std::vector<float> stopRecording();

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_recorder;
    QString m_why;
};

// The peak of samples in dBFS (-inf for silence).
double peakDecibels(const std::vector<float> &samples);

} // namespace testing_support
