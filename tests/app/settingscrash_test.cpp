// A process writing play lists is killed at random moments: after every kill the settings
// file reads back whole, with either the state before the interrupted write or the one
// after it, and everything else in the file untouched; the killed writers' temporary
// files are cleared away afterwards.
#include "app/atomicfile.h"
#include "app/settings.h"
#include "player/playerstate.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
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

// Runs writer in a child process, again and again, and kills it after a random pause of
// 0.2 to 6 ms; check looks at the file after each kill and may end the rounds with a
// fatal failure. Gives the number of children that the kill ended.
int killWritersAtRandomMoments(int rounds, const std::function<void()> &writer,
                               const std::function<void(int round)> &check)
{
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> pause(200, 6000); // microseconds
    int kills = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = ::fork();
        if (child < 0)
            break;
        if (child == 0) {
            writer();
            ::_exit(1);
        }
        ::usleep(useconds_t(pause(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        kills += WIFSIGNALED(status) ? 1 : 0;
        check(round);
        if (::testing::Test::HasFatalFailure())
            break;
    }
    return kills;
}

} // namespace

TEST(SettingsCrash, AKilledWriterLeavesTheOldStateOrTheNewOne)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    const std::string others = "[OPT]\r\nUsed=1\r\nWaite=2000\r\n[MIDI_FAV]\r\n1=list\r\n";
    testing_support::writeFile(base + QStringLiteral(".ini"), others);
    WriteIniList(base, "MIDI_list", generation(0), 0);

    int lastSeen = 0;
    const auto writer = [&] {
        for (int k = lastSeen + 1;; ++k)
            WriteIniList(base, "MIDI_list", generation(k), 0);
    };
    const auto check = [&](int round) {
        std::vector<std::string> tunes;
        ReadIniList(base, "MIDI_list", tunes);
        const int seen = generationOf(tunes);
        ASSERT_GE(seen, 0) << "round " << round << ": the list is not a whole generation";
        ASSERT_GE(seen, lastSeen) << "round " << round << ": an older list came back";
        ASSERT_EQ(ReadIniInt(base, "OPT", "Waite", 0), 2000) << "round " << round;
        std::vector<std::string> names;
        ReadIniList(base, "MIDI_FAV", names);
        ASSERT_EQ(names, std::vector<std::string>{"list"}) << "round " << round;
        lastSeen = seen;
    };
    EXPECT_EQ(killWritersAtRandomMoments(300, writer, check), 300);
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

TEST(SettingsCrash, AKilledRenameLeavesThePlayListUnderTheOldNameOrTheNew)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    std::string content = "[OPT]\r\nUsed=1\r\nFavNo=1\r\n[MIDI_FAV]\r\n1=first\r\n2=list0\r\n3=last\r\n"
                          "[MIDI_first]\r\n1=a.mid\r\n[MIDI_list0]\r\n";
    std::vector<std::string> tunes;
    for (int i = 1; i <= 50; ++i) {
        tunes.push_back("tune" + std::to_string(i) + ".mid");
        content += std::to_string(i) + "=" + tunes.back() + "\r\n";
    }
    content += "[MIDI_last]\r\n1=z.mid\r\n";
    testing_support::writeFile(base + QStringLiteral(".ini"), content);

    int lastSeen = 0;
    const auto renamer = [&] {
        PlayerState state;
        state.SettingsBase = base;
        state.LoadFavNames();
        for (int k = lastSeen + 1;; ++k)
            state.RenameFavName(1, "list" + std::to_string(k));
    };
    const auto check = [&](int round) {
        PlayerState state;
        state.SettingsBase = base;
        state.LoadFavNames();
        ASSERT_EQ(state.FavNames.size(), 3u) << "round " << round;
        EXPECT_EQ(state.FavNames[0], "first");
        EXPECT_EQ(state.FavNames[2], "last");
        const int seen = std::stoi(state.FavNames[1].substr(4));
        ASSERT_GE(seen, lastSeen) << "round " << round << ": an older name came back";
        state.LoadCurrentPlayList();
        ASSERT_EQ(state.PlayList, tunes) << "round " << round << ": " << state.FavNames[1] << " lost its tunes";
        state.LoadPlayList(0);
        ASSERT_EQ(state.PlayList, std::vector<std::string>{"a.mid"}) << "round " << round;
        state.LoadPlayList(2);
        ASSERT_EQ(state.PlayList, std::vector<std::string>{"z.mid"}) << "round " << round;
        lastSeen = seen;
    };
    EXPECT_EQ(killWritersAtRandomMoments(200, renamer, check), 200);
    EXPECT_GT(lastSeen, 0) << "the renamer never got a write through";
}

TEST(SettingsCrash, AFirstStartCutShortKeepsTheUsersFileOrItsCopy)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    const QString ini = base + QStringLiteral(".ini");
    const QString copy = ini + QStringLiteral(".bak");
    std::string users = "[OPT]\r\nUsed=0\r\n[MIDI_FAV]\r\n1=mine\r\n[MIDI_mine]\r\n";
    for (int i = 1; i <= 400; ++i)
        users += std::to_string(i) + "=tune" + std::to_string(i) + ".mid\r\n";
    testing_support::writeFile(ini, users);

    PlayerState state;
    state.SettingsBase = base;
    const auto firstStart = [&] { state.InitialiseSettings(); };
    // The next start after each kill runs the first start again if it has to; then the
    // user's file is either still in place or kept as the copy.
    const auto check = [&](int round) {
        if (!ReadIniBool(base, "OPT", "Used", false))
            state.InitialiseSettings();
        ASSERT_EQ(testing_support::readFile(copy), users) << "round " << round << ": the user's lists are gone";
        ASSERT_TRUE(ReadIniBool(base, "OPT", "Used", false)) << "round " << round;
        testing_support::writeFile(ini, users);
        QFile::remove(copy);
    };
    killWritersAtRandomMoments(150, firstStart, check);
}
