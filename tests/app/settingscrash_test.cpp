// A process writing play lists is killed at random moments: after every kill the settings
// file reads back whole, with either the list before the interrupted write or the one
// after it, and everything else in the file untouched; the killed writers' temporary
// files are cleared away afterwards.
#include "app/atomicfile.h"
#include "app/settings.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Generation k of the play list: k + 1 tunes, each naming its generation.
std::vector<std::string> generation(int k)
{
    std::vector<std::string> tunes;
    for (int i = 0; i <= k % 40; ++i)
        tunes.push_back("gen" + std::to_string(k) + "_tune" + std::to_string(i) + ".mid");
    return tunes;
}

// The generation that a list read back belongs to, or -1 when it is no whole generation.
int generationOf(const std::vector<std::string> &tunes)
{
    if (tunes.empty())
        return -1;
    const std::string &first = tunes.front();
    const int k = std::stoi(first.substr(3, first.find('_') - 3));
    return tunes == generation(k) ? k : -1;
}

} // namespace

TEST(SettingsCrash, AKilledWriterLeavesTheOldStateOrTheNewOne)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    const std::string others = "[OPT]\r\nUsed=1\r\nWaite=2000\r\n[MIDI_FAV]\r\n1=list\r\n";
    testing_support::writeFile(base + QStringLiteral(".ini"), others);
    WriteIniList(base, "MIDI_list", generation(0), 0);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> pause(200, 6000); // microseconds
    int kills = 0;
    int lastSeen = 0;
    for (int round = 0; round < 300; ++round) {
        const int start = lastSeen + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int k = start;; ++k)
                WriteIniList(base, "MIDI_list", generation(k), 0);
        }
        ::usleep(useconds_t(pause(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        kills += WIFSIGNALED(status) ? 1 : 0;

        std::vector<std::string> tunes;
        ReadIniList(base, "MIDI_list", tunes);
        const int seen = generationOf(tunes);
        ASSERT_GE(seen, 0) << "round " << round << ": the list is not a whole generation";
        ASSERT_TRUE(seen == lastSeen || seen >= start) << "round " << round << ": an older list came back";
        ASSERT_EQ(ReadIniInt(base, "OPT", "Waite", 0), 2000) << "round " << round;
        std::vector<std::string> names;
        ReadIniList(base, "MIDI_FAV", names);
        ASSERT_EQ(names, std::vector<std::string>{"list"}) << "round " << round;
        lastSeen = seen;
    }
    EXPECT_EQ(kills, 300);
    EXPECT_GT(lastSeen, 0) << "the writer never got a write through";

    // The temporary files of the killed writers go with one clean-up, which leaves the
    // settings file and the user's own files as they are.
    testing_support::writeFile(base + QStringLiteral(".ini.backup"), "mine");
    const std::string settings = testing_support::readFile(base + QStringLiteral(".ini"));
    atomicfile::removeLeftovers(base + QStringLiteral(".ini"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("quavelo.ini"), QStringLiteral("quavelo.ini.backup")}));
    EXPECT_EQ(testing_support::readFile(base + QStringLiteral(".ini")), settings);
}
