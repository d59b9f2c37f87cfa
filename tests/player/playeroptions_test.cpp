#include "app/settings.h"
#include "player/playeroptions.h"
#include "player/playerstate.h"
#include "support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PlayerOptions, TagsNameTheirKeys)
{
    QTemporaryDir dir;
    PlayerState state;
    state.locate(dir.filePath(QStringLiteral("quavelo")));
    testing_support::writeFile(state.settingsFile(), "[OPT]\r\nShuffle=0\r\nAutoRun=1\r\n");

    EXPECT_FALSE(PlayerOptionOfTag(0));
    EXPECT_FALSE(PlayerOptionOfTag(5));
    ASSERT_TRUE(PlayerOptionOfTag(4));
    EXPECT_STREQ(PlayerOptionKey(*PlayerOptionOfTag(1)), "Shuffle");
    EXPECT_STREQ(PlayerOptionKey(*PlayerOptionOfTag(2)), "AutoRun");
    EXPECT_STREQ(PlayerOptionKey(*PlayerOptionOfTag(3)), "Minimize");
    EXPECT_STREQ(PlayerOptionKey(*PlayerOptionOfTag(4)), "StayOnTop");

    EXPECT_TRUE(ReadPlayerOption(state.SettingsBase, PlayerOption::AutoRun));
    // A missing key reads unchecked.
    EXPECT_FALSE(ReadPlayerOption(state.SettingsBase, PlayerOption::StayOnTop));
    WritePlayerOption(state.SettingsBase, PlayerOption::StayOnTop, true);
    EXPECT_TRUE(ReadIniBool(state.SettingsBase, "OPT", "StayOnTop", false));
    WritePlayerOption(state.SettingsBase, PlayerOption::AutoRun, false);
    EXPECT_FALSE(ReadPlayerOption(state.SettingsBase, PlayerOption::AutoRun));
}
