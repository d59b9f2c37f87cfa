#include "support/testfiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The environment of a start: offscreen, without a runtime folder unless one is given,
// as cron or "sudo -u" start a program.
QProcessEnvironment environmentWith(const QString &runtimeFolder = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtimeFolder.isEmpty())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
    return env;
}

void start(QProcess &process, const QString &exe, const QProcessEnvironment &env)
{
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QFileInfo(exe).absolutePath());
    process.start(exe, {});
    process.waitForStarted();
}

bool waitFor(const std::function<bool()> &condition, int ms = 10000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        QThread::msleep(20);
    }
    return condition();
}

// The program has got past the guard once it has marked its settings file as used.
bool startedUp(const QString &ini)
{
    return waitFor([&] { return testing_support::readFile(ini).find("Used=1") != std::string::npos; });
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished();
}

// The real program, copied into a folder of its own, where it keeps its files.
class InstalledCopy
{
public:
    InstalledCopy() { QFile::copy(testing_support::binaryDir() + QStringLiteral("/quavelo"), exe()); }
    QString exe() const { return dir.path() + QStringLiteral("/quavelo"); }
    QString ini() const { return dir.path() + QStringLiteral("/quavelo.ini"); }

    QTemporaryDir dir;
};

} // namespace

TEST(SingleInstance, ASecondStartEndsSilentlyWhateverItsEnvironmentAndTheFirstRunsOn)
{
    InstalledCopy copy;
    QTemporaryDir runtime;
    QProcess first;
    start(first, copy.exe(), environmentWith(runtime.path()));
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(startedUp(copy.ini()));

    for (const QProcessEnvironment &env : {environmentWith(), environmentWith(runtime.path())}) {
        QProcess second;
        start(second, copy.exe(), env);
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(second.readAllStandardError().isEmpty());
        EXPECT_EQ(first.state(), QProcess::Running);
    }

    // Ended by the system, the first closes like a window: position saved, exit code 0.
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_NE(testing_support::readFile(copy.ini()).find("MainLeft="), std::string::npos);

    // With the first one gone the next start runs normally.
    QFile::remove(copy.ini());
    QProcess third;
    start(third, copy.exe(), environmentWith());
    EXPECT_TRUE(startedUp(copy.ini()));
    stop(third);
}

TEST(SingleInstance, ACrashedInstanceDoesNotBlockTheNextStart)
{
    InstalledCopy copy;
    QProcess first;
    start(first, copy.exe(), environmentWith());
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(startedUp(copy.ini()));
    first.kill();
    first.waitForFinished();

    QFile::remove(copy.ini());
    QProcess next;
    start(next, copy.exe(), environmentWith());
    ASSERT_TRUE(startedUp(copy.ini()));
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(10000));
    EXPECT_EQ(next.exitCode(), 0);
}

TEST(SingleInstance, CopiesThatKeepTheirFilesInFoldersOfTheirOwnRunSideBySide)
{
    InstalledCopy one;
    InstalledCopy other;
    QProcess first;
    QProcess second;
    start(first, one.exe(), environmentWith());
    start(second, other.exe(), environmentWith());
    EXPECT_TRUE(startedUp(one.ini()));
    EXPECT_TRUE(startedUp(other.ini()));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(second.state(), QProcess::Running);
    stop(first);
    stop(second);
}

TEST(SingleInstance, AnInstalledProgramIsOneInstanceThroughItsDataFolder)
{
    testing_support::ReadOnlyFolder installed;
    if (!installed.isValid())
        GTEST_SKIP() << "no read-only folder can be made here";
    const QString exe = installed.path() + QStringLiteral("/quavelo");
    ASSERT_TRUE(QFile::copy(testing_support::binaryDir() + QStringLiteral("/quavelo"), exe));
    ASSERT_TRUE(installed.lock());
    QTemporaryDir dataHome;
    const QString ini = dataHome.path() + QStringLiteral("/Quavelo/quavelo.ini");
    QTemporaryDir runtime;
    QProcessEnvironment desktop = environmentWith(runtime.path());
    QProcessEnvironment cron = environmentWith();
    for (QProcessEnvironment *env : {&desktop, &cron})
        env->insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());

    QProcess first;
    start(first, exe, desktop);
    ASSERT_TRUE(startedUp(ini));
    QProcess second;
    start(second, exe, cron);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    stop(first);
}

TEST(StartUp, AStopSignalWhileTheProgramStartsClosesItLikeItsWindow)
{
    InstalledCopy copy;
    for (int round = 0; round < 10; ++round) {
        QFile::remove(copy.ini());
        QProcess player;
        start(player, copy.exe(), environmentWith());
        // The settings are written while the window is being made, before it is shown.
        ASSERT_TRUE(startedUp(copy.ini()));
        ::kill(pid_t(player.processId()), round % 2 == 0 ? SIGTERM : SIGINT);
        ASSERT_TRUE(player.waitForFinished(10000)) << "round " << round << ": the signal was lost";
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit) << "round " << round;
        EXPECT_EQ(player.exitCode(), 0) << "round " << round;
        EXPECT_NE(testing_support::readFile(copy.ini()).find("MainLeft="), std::string::npos) << "round " << round;
    }
}
