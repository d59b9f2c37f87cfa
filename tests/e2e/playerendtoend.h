#pragma once

// The real program under Xvfb, in a folder of its own, against the bundled catalogue
// server, and what a user's tools see of it: its windows, clicks on the screen, the
// server's requests.
#include "support/eventwait.h"
#include "support/testfiles.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTcpSocket>

#include <gtest/gtest.h>

using testing_support::binaryDir;
using testing_support::readFile;
using testing_support::sourceDir;
using testing_support::waitUntil;

constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;
const QString catalogueListen = QStringLiteral("127.0.0.1:8157");

inline bool portIsTaken(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    return probe.waitForConnected(300);
}

// Output of a short X client run against the test display.
inline QString runX(const QString &display, const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class PlayerEndToEnd : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QProcess xvfb;
    QProcess server;
    QProcess player;
    QString display;

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        if (portIsTaken(8157))
            GTEST_SKIP() << "the catalogue port 8157 is in use on this machine";
        startDisplay();
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(binaryDir() + QStringLiteral("/quavelo-catalogue"),
                     {QStringLiteral("--listen"), catalogueListen, QStringLiteral("--root"),
                      sourceDir() + QStringLiteral("/server/content")});
        ASSERT_TRUE(server.waitForStarted());
        ASSERT_TRUE(waitUntil([] { return portIsTaken(8157); }));
        ASSERT_TRUE(QFile::copy(binaryDir() + QStringLiteral("/quavelo"), dir.path() + QStringLiteral("/quavelo")));
    }

    void TearDown() override
    {
        for (QProcess *process : {&player, &server, &xvfb}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(2000);
            }
        }
    }

    // Xvfb picks a free display number itself and tells it, so that two test runs never
    // share a display; -noreset keeps it from resetting, and refusing connections for that
    // moment, each time its last client goes.
    void startDisplay()
    {
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"),
                                           QStringLiteral("%1x%2x24").arg(screenWidth).arg(screenHeight),
                                           QStringLiteral("-br"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp")});
        ASSERT_TRUE(xvfb.waitForStarted()) << "Xvfb did not start";
        ASSERT_TRUE(waitUntil([this] { return xvfb.canReadLine() || xvfb.waitForReadyRead(50); }))
            << "Xvfb named no display";
        display = QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed();
        ASSERT_TRUE(waitUntil([this] { return !runX(display, QStringLiteral("xdpyinfo"), {}).isEmpty(); }, 5000))
            << "no X display could be started";
    }

    // Plays on the silent clock at scale 1; extra adds to or overrides that environment.
    void startPlayer(const QString &folder, const QProcessEnvironment &extra = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QUAVELO_AUDIO"), QStringLiteral("none"));
        environment.insert(extra);
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        player.setProcessEnvironment(environment);
        player.setProcessChannelMode(QProcess::MergedChannels);
        player.setWorkingDirectory(folder);
        player.start(folder + QStringLiteral("/quavelo"), {});
        ASSERT_TRUE(player.waitForStarted());
    }

    QString windowId() const
    {
        return runX(display, QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--classname"),
                     QStringLiteral("quavelo")})
            .section(QLatin1Char('\n'), 0, 0);
    }
    QString windowName(const QString &id) const
    {
        return runX(display, QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
    }
    // count clicks of the left button at x, y on the screen.
    void clickAt(int x, int y, int count = 1) const
    {
        runX(display, QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
              QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"), QStringLiteral("60"),
              QStringLiteral("1")});
    }
    // The shown windows whose titles match the pattern, in the order xdotool finds them.
    QStringList visibleWindowsNamed(const QString &pattern) const
    {
        return runX(display, QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Waits until a window whose title matches the pattern is shown.
    bool waitForWindowNamed(const QString &pattern) const
    {
        return waitUntil([&] { return !visibleWindowsNamed(pattern).isEmpty(); }, 15000);
    }
    // Waits until the player's window shows the title of the tune it plays.
    ::testing::AssertionResult waitForPlayerTitle(const QString &title)
    {
        QString id;
        if (waitUntil([&] { id = windowId(); return !id.isEmpty() && windowName(id) == title; }, 30000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "window " << id.toStdString() << " titled \"" << windowName(id).toStdString() << "\", player "
            << (player.state() == QProcess::Running ? "running" : "ended") << ", its output: "
            << player.readAll().toStdString() << "; the X server on " << display.toStdString() << " "
            << (xvfb.state() == QProcess::Running ? "running" : "ended") << ", its output: "
            << xvfb.readAllStandardError().toStdString();
    }
    QImage screenshot() const
    {
        const QString file = dir.path() + QStringLiteral("/screen.png");
        runX(display, QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        return QImage(file);
    }
    // The player's window on the screen, in the screen's pixels.
    QRect playerGeometry() const
    {
        const QString id = windowId();
        if (id.isEmpty())
            return {};
        QHash<QString, int> values;
        const QStringList lines = runX(display, QStringLiteral("xdotool"),
                                       {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
                                      .split(QLatin1Char('\n'));
        for (const QString &line : lines)
            values.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
        return {values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")), values.value(QStringLiteral("WIDTH")),
                values.value(QStringLiteral("HEIGHT"))};
    }
    // Ends the player as the window manager's close would, and waits for it to be gone.
    void endPlayer()
    {
        player.terminate();
        ASSERT_TRUE(player.waitForFinished(15000));
    }
    QStringList serverRequests()
    {
        QStringList requests;
        const QStringList lines = QString::fromUtf8(server.readAllStandardOutput()).split(QLatin1Char('\n'));
        m_serverLog += lines;
        for (const QString &line : m_serverLog) {
            if (line.contains(QStringLiteral(" GET ")))
                requests << line.section(QLatin1Char(' '), 2, 2);
        }
        return requests;
    }

private:
    QStringList m_serverLog;
};
