#include "support/testfiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The real program, copied into a folder of its own so that its settings file and its
// lock file stay there.
class InstalledCopy
{
public:
    InstalledCopy()
    {
        QFile::copy(testing_support::binaryDir() + QStringLiteral("/quavelo"), exe());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    }
    QString exe() const { return dir.path() + QStringLiteral("/quavelo"); }
    QString ini() const { return dir.path() + QStringLiteral("/quavelo.ini"); }

    void start(QProcess &process) const
    {
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(exe(), {});
    }

    // Starts the program and tells whether it is still running half a second later,
    // that is, whether the single-instance guard let it through.
    bool startAndKeepsRunning(QProcess &process) const
    {
        start(process);
        if (!process.waitForStarted())
            return false;
        QThread::msleep(500);
        return process.state() == QProcess::Running;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

bool waitFor(const std::function<bool()> &condition, int ms = 10000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        QThread::msleep(20);
    }
    return condition();
}

} // namespace

TEST(SingleInstance, ASecondStartEndsSilentlyAndTheFirstRunsOn)
{
    InstalledCopy copy;
    QProcess first;
    copy.start(first);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return testing_support::readFile(copy.ini()).find("Used=1") != std::string::npos; }));

    QProcess second;
    copy.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // Ended by the system, the first closes like a window: position saved, exit code 0.
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_NE(testing_support::readFile(copy.ini()).find("MainLeft="), std::string::npos);

    // With the first one gone the next start runs normally.
    QProcess third;
    EXPECT_TRUE(copy.startAndKeepsRunning(third));
    third.kill();
    third.waitForFinished();
}

TEST(SingleInstance, ACrashedInstanceDoesNotBlockTheNextStart)
{
    InstalledCopy copy;
    QProcess first;
    copy.start(first);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFile::exists(copy.ini()); }));
    first.kill();
    first.waitForFinished();

    QProcess next;
    ASSERT_TRUE(copy.startAndKeepsRunning(next));
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(10000));
    EXPECT_EQ(next.exitCode(), 0);
}
