#include "support/soundserver.h"
#include "support/eventwait.h"
#include "support/songrender.h"

#include <QFile>
#include <QStandardPaths>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace testing_support {

namespace {
QProcessEnvironment clientEnvironment(const QString &address, const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), address);
    environment.insert(QStringLiteral("HOME"), home);
    return environment;
}
} // namespace

PrivateSoundServer::PrivateSoundServer() = default;

PrivateSoundServer::~PrivateSoundServer()
{
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.kill();
        m_recorder.waitForFinished(5000);
    }
    kill();
}

QString PrivateSoundServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

bool PrivateSoundServer::start()
{
    for (const char *tool : {"pulseaudio", "pactl", "parec"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            m_why = QStringLiteral("%1 is not installed (packages pulseaudio, pulseaudio-utils)").arg(QLatin1String(tool));
            return false;
        }
    }
    if (!m_dir.isValid()) {
        m_why = QStringLiteral("no temporary folder");
        return false;
    }
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("PULSE_SERVER"));
    m_server.setProcessEnvironment(environment);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    // Root needs --system=false said outright; -n leaves out the machine's default script,
    // so that the server has only the null sink and this one socket.
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--system=false"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit=no"),
                    QStringLiteral("--log-target=stderr"),
                    QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=quavelo_test"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + m_dir.filePath(QStringLiteral("native"))});
    if (!m_server.waitForStarted(10000)) {
        m_why = QStringLiteral("pulseaudio does not start: ") + m_server.errorString();
        return false;
    }
    if (!waitUntil([this] { return m_server.state() != QProcess::Running || pactl({QStringLiteral("info")}).has_value(); }, 15000)
        || m_server.state() != QProcess::Running) {
        m_why = QStringLiteral("pulseaudio does not answer: ") + QString::fromLocal8Bit(m_server.readAll());
        kill();
        return false;
    }
    return true;
}

void PrivateSoundServer::kill()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    freeze(false);
    m_server.kill();
    m_server.waitForFinished(5000);
}

void PrivateSoundServer::freeze(bool frozen)
{
    if (m_server.state() != QProcess::NotRunning)
        ::kill(pid_t(m_server.processId()), frozen ? SIGSTOP : SIGCONT);
}

std::optional<QString> PrivateSoundServer::pactl(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(clientEnvironment(address(), m_dir.path()));
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString PrivateSoundServer::streamProperties() const
{
    const QString streams = pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}).value_or(QString());
    const qsizetype start = streams.indexOf(QStringLiteral("Properties:"));
    if (start < 0)
        return {};
    QStringList properties;
    for (const QString &line : streams.mid(start).split(QLatin1Char('\n')).mid(1)) {
        if (!line.contains(QLatin1String(" = ")))
            break;
        properties << line.trimmed();
    }
    return properties.join(QLatin1Char('\n'));
}

bool PrivateSoundServer::startRecording()
{
    m_recorder.setProcessEnvironment(clientEnvironment(address(), m_dir.path()));
    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=quavelo_test.monitor"), QStringLiteral("--format=float32le"),
                      QStringLiteral("--channels=2"), QStringLiteral("--rate=44100"), QStringLiteral("--raw")});
    return m_recorder.waitForStarted(10000);
}

std::vector<float> PrivateSoundServer::stopRecording()
{
    m_recorder.terminate();
    m_recorder.waitForFinished(10000);
    const QByteArray bytes = m_recorder.readAllStandardOutput();
    std::vector<float> samples(std::size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

double peakDecibels(const std::vector<float> &samples)
{
    float peak = 0;
    for (const float sample : samples)
        peak = std::max(peak, std::fabs(sample));
    return decibels(peak);
}

} // namespace testing_support
