#include "app/settings.h"
#include "editor/settingsbackup.h"
#include "player/playerstate.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

class EditorSettingsFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    PlayerState state;
    const std::string original = "[OPT]\r\nWaite=2000\r\nFavNo=1\r\nShuffle=0\r\nAutoRun=1\r\n"
                                 "[MIDI_FAV]\r\n1=one\r\n2=two\r\n"
                                 "[MIDI_one]\r\n1=a.mid\r\n[MIDI_two]\r\n1=b.mid\r\n2=c.mid\r\n";

    void SetUp() override
    {
        state.locate(dir.filePath(QStringLiteral("quavelo")));
        writeFile(state.settingsFile(), original);
    }
};

} // namespace

TEST_F(EditorSettingsFile, RestoringPutsTheFileBackByteForByteAndReloadsTheState)
{
    SettingsBackup backup(state);
    ASSERT_TRUE(backup.take());
    EXPECT_EQ(readFile(backup.path()), original);

    WriteIniBool(state.SettingsBase, "OPT", "Shuffle", true);
    WriteIniInt(state.SettingsBase, "OPT", "Waite", 9000);
    WriteIniInt(state.SettingsBase, "OPT", "FavNo", 0);
    EraseIniSection(state.SettingsBase, "MIDI_two");
    state.FavNames = {"changed"};
    state.PlayList = {"x.mid"};
    state.WaitMs = 9000;

    backup.restore();
    EXPECT_EQ(readFile(state.settingsFile()), original);
    EXPECT_EQ(state.FavNames, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(state.FavIndex, 1);
    EXPECT_EQ(state.PlayList, (std::vector<std::string>{"b.mid", "c.mid"}));
    EXPECT_EQ(state.WaitMs, 2000);

    backup.remove();
    EXPECT_FALSE(QFile::exists(backup.path()));
}

TEST_F(EditorSettingsFile, ABackupLeftByAnEarlierRunIsNeverPutBack)
{
    const std::string stale = "[OPT]\r\nWaite=0\r\n";
    writeFile(state.SettingsBase + QStringLiteral(".def"), stale);
    SettingsBackup backup(state);
    EXPECT_THROW(backup.restore(), SettingsError);
    EXPECT_EQ(readFile(state.settingsFile()), original);

    // A backup that could not be taken (no settings file to copy) restores nothing either.
    QFile::remove(state.settingsFile());
    EXPECT_FALSE(backup.take());
    EXPECT_THROW(backup.restore(), SettingsError);
    EXPECT_EQ(readFile(state.settingsFile()), "<missing>");
}
