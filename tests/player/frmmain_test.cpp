#include "app/application.h"
#include "app/settings.h"
#include "controls/lbspeedbutton.h"
#include "player/frmmain.h"
#include "player/shuffle.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QProgressBar>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

class PlayerWindow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString exe = dir.path() + QStringLiteral("/quavelo");
    QString ini = exe + QStringLiteral(".ini");
    QStringList errors;

    void SetUp() override
    {
        SetErrorSink([this](const QString &message) { errors << message; });
    }
    void TearDown() override { SetErrorSink(nullptr); }

    static QPoint bottomRight()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        return {area.x() + area.width() - TfrmMain::ClientWidth, area.y() + area.height() - TfrmMain::ClientHeight};
    }
    static std::string defaults() { return readFile(QStringLiteral(":/setup.ini")); }
};

} // namespace

TEST_F(PlayerWindow, FirstStartWritesTheDefaultsAndTakesTheBottomRightCorner)
{
    ASSERT_EQ(defaults().size(), 376u);
    {
        TfrmMain window(exe);
        std::string expected = defaults();
        expected.replace(expected.find("Used=0"), 6, "Used=1");
        EXPECT_EQ(readFile(ini), expected);
        EXPECT_EQ(window.pos(), bottomRight());
        EXPECT_EQ(window.size(), QSize(146, 217));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Quavelo"));
        window.show();
        EXPECT_EQ(window.State.PlayList.size(), 14u);
        EXPECT_EQ(window.State.PlayList[4], "santamachinikuru.MID");
        window.close();
    }
    EXPECT_NE(readFile(ini).find("MainTop=" + std::to_string(bottomRight().y())), std::string::npos);
    EXPECT_NE(readFile(ini).find("MainLeft=" + std::to_string(bottomRight().x())), std::string::npos);
    EXPECT_FALSE(QFile::exists(ini + QStringLiteral(".bak")));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(PlayerWindow, AnUninitialisedFileIsReplacedButKeptAsBackup)
{
    const std::string old = "[OPT]\r\nUsed=0\r\n[MIDI_FAV]\r\n1=mine\r\n[MIDI_mine]\r\n1=a.mid\r\n";
    writeFile(ini, old);
    TfrmMain window(exe);
    EXPECT_EQ(readFile(ini + QStringLiteral(".bak")), old);
    EXPECT_EQ(readFile(ini).size(), 376u);
}

// A catalogue server written into the file by hand before the first start stays in use.
TEST_F(PlayerWindow, TheFirstStartKeepsTheCatalogueServerOfTheFileItReplaces)
{
    writeFile(ini, "[OPT]\r\nServer=127.0.0.1:8216\r\n");
    TfrmMain window(exe);
    EXPECT_EQ(ReadIniString(window.State.SettingsBase, "OPT", "Server", ""), "127.0.0.1:8216");
    EXPECT_TRUE(ReadIniBool(window.State.SettingsBase, "OPT", "Used", false));
    EXPECT_FALSE(ReadIniString(window.State.SettingsBase, "MIDI_FAV", "1", "").empty());
}

namespace {

// Play lists bigger than a page of the disk, in a file never marked as used.
std::string uninitialisedPlayLists()
{
    std::string content = "[OPT]\r\nUsed=0\r\n[MIDI_FAV]\r\n1=mine\r\n[MIDI_mine]\r\n";
    for (int i = 1; i <= 2000; ++i)
        content += std::to_string(i) + "=tune" + std::to_string(i) + ".mid\r\n";
    return content;
}

// Settings with a play list of their own, beside a program that cannot write there.
const std::string programFolderSettings = "[OPT]\r\nUsed=1\r\n[MIDI_FAV]\r\n1=mine\r\n[MIDI_mine]\r\n1=a.mid\r\n";

// False when the machine cannot make such a folder.
bool makeReadOnlyProgramFolder(testing_support::ReadOnlyFolder &folder)
{
    if (!folder.isValid())
        return false;
    folder.put(QStringLiteral("quavelo.ini"), programFolderSettings);
    return folder.lock();
}

} // namespace

TEST_F(PlayerWindow, AnUninitialisedFileThatCannotBeCopiedStaysAsItIsAndTheCopyIsReported)
{
    const std::string old = uninitialisedPlayLists();
    const auto expectKept = [&](const QString &folder) {
        errors.clear();
        TfrmMain window(folder + QStringLiteral("/quavelo"));
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0], QStringLiteral("ファイル %1/quavelo.ini.bak を作成できません").arg(folder));
        EXPECT_EQ(readFile(folder + QStringLiteral("/quavelo.ini")), old);
        EXPECT_EQ(window.pos(), bottomRight());
        window.show();
        EXPECT_EQ(window.State.FavNames, std::vector<std::string>{"mine"});
        EXPECT_EQ(window.State.PlayList.size(), 2000u);
    };
    {
        SCOPED_TRACE("a folder of the copy's name");
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("quavelo.ini")), old);
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("quavelo.ini.bak")));
        expectKept(folder.path());
    }
    if (::geteuid() != 0) {
        SCOPED_TRACE("a read-only copy of an earlier start");
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("quavelo.ini")), old);
        writeFile(folder.filePath(QStringLiteral("quavelo.ini.bak")), "older");
        QFile::setPermissions(folder.filePath(QStringLiteral("quavelo.ini.bak")), QFile::ReadOwner);
        expectKept(folder.path());
        EXPECT_EQ(readFile(folder.filePath(QStringLiteral("quavelo.ini.bak"))), "older");
    }
    {
        SCOPED_TRACE("room for the defaults but not for the copy");
        testing_support::FullFolder folder;
        folder.put(QStringLiteral("quavelo.ini"), old);
        folder.fill(4096);
        expectKept(folder.path());
        EXPECT_EQ(folder.files(), QStringList{QStringLiteral("quavelo.ini")});
    }
}

TEST_F(PlayerWindow, LaterStartsRestoreThePositionAndTheFileStays)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\nMainTop=0\r\nMainLeft=0\r\n");
    TfrmMain window(exe);
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    EXPECT_EQ(readFile(ini), "[OPT]\r\nUsed=1\r\nMainTop=0\r\nMainLeft=0\r\n");
}

TEST_F(PlayerWindow, APositionOffEveryScreenFallsBackToTheCorner)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\nMainTop=-5000\r\nMainLeft=9000\r\n");
    TfrmMain window(exe);
    EXPECT_EQ(window.pos(), bottomRight());
}

TEST_F(PlayerWindow, AStartRemovesWhatKilledWritesLeftOfTheProgramsFilesAndNothingElse)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\n");
    const QStringList leftovers = {"quavelo.ini.tmp-Ab12Cd", "quavelo.def.tmp-000000", "@Midi.DBF.tmp-xYz789",
                                   "zMusic.mid.tmp-QQQQQQ", "zSample.mid.tmp-a1b2c3", "quavelo.ini.bak.tmp-zzzzzz"};
    const QStringList kept = {"quavelo.ini", "quavelo.ini.backup", "quavelo.ini.tmp-mine", "quavelo.ini.tmp-Ab12Cd.old",
                              "other.txt.tmp-Ab12Cd", "quavelo.ini.Ab12Cd"};
    for (const QString &name : leftovers + kept) {
        if (name != QStringLiteral("quavelo.ini"))
            writeFile(dir.filePath(name), "x");
    }
    TfrmMain window(exe);
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), expected);
}

TEST_F(PlayerWindow, ClosingRemovesTheTemporaryFiles)
{
    TfrmMain window(exe);
    window.show();
    writeFile(window.State.TuneFilePath, "MThd");
    writeFile(dir.path() + QStringLiteral("/@Midi.MDX"), "x");
    window.close();
    EXPECT_FALSE(QFile::exists(window.State.TuneFilePath));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/@Midi.MDX")));
}

TEST_F(PlayerWindow, AReadOnlyProgramFolderKeepsTheFilesInTheDataFolderStartingFromItsSettings)
{
    testing_support::ReadOnlyFolder folder;
    if (!makeReadOnlyProgramFolder(folder))
        GTEST_SKIP() << "no read-only folder can be made here";
    QStandardPaths::setTestModeEnabled(true);
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(dataFolder).removeRecursively();
    {
        TfrmMain window(folder.path() + QStringLiteral("/quavelo"));
        EXPECT_EQ(window.State.ExeFolder, dataFolder);
        EXPECT_EQ(window.State.TuneFilePath, dataFolder + QStringLiteral("/zMusic.mid"));
        window.show();
        EXPECT_EQ(window.State.FavNames, std::vector<std::string>{"mine"});
        EXPECT_EQ(window.State.PlayList, std::vector<std::string>{"a.mid"});
        EXPECT_TRUE(window.close());
    }
    EXPECT_TRUE(errors.isEmpty());
    const std::string kept = readFile(dataFolder + QStringLiteral("/quavelo.ini"));
    EXPECT_NE(kept.find("[MIDI_FAV]\r\n1=mine\r\n[MIDI_mine]\r\n1=a.mid\r\n"), std::string::npos);
    EXPECT_NE(kept.find("MainTop="), std::string::npos);
    EXPECT_EQ(readFile(folder.path() + QStringLiteral("/quavelo.ini")), programFolderSettings);

    // A file there that was never marked as used (a failed copy's start closed later
    // leaves its position alone) gives way to the program folder's settings.
    const std::string stub = "[OPT]\r\nMainTop=1\r\nMainLeft=1\r\n";
    writeFile(dataFolder + QStringLiteral("/quavelo.ini"), stub);
    {
        TfrmMain window(folder.path() + QStringLiteral("/quavelo"));
        window.show();
        EXPECT_EQ(window.State.FavNames, std::vector<std::string>{"mine"});
    }
    EXPECT_EQ(readFile(dataFolder + QStringLiteral("/quavelo.ini.bak")), stub);

    // Once the data folder has settings of its own, they are the ones used.
    writeFile(dataFolder + QStringLiteral("/quavelo.ini"), "[OPT]\r\nUsed=1\r\n[MIDI_FAV]\r\n1=later\r\n");
    {
        TfrmMain window(folder.path() + QStringLiteral("/quavelo"));
        window.show();
        EXPECT_EQ(window.State.FavNames, std::vector<std::string>{"later"});
    }
    QDir(dataFolder).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
}

TEST_F(PlayerWindow, SettingsThatCannotBeCopiedIntoTheDataFolderAreReportedAndStayBesideTheProgram)
{
    testing_support::ReadOnlyFolder folder;
    testing_support::FullFolder dataHome;
    if (!makeReadOnlyProgramFolder(folder))
        GTEST_SKIP() << "no read-only folder can be made here";
    const QByteArray dataHomeBefore = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir().mkpath(dataFolder));
    dataHome.fill();
    {
        TfrmMain window(folder.path() + QStringLiteral("/quavelo"));
        EXPECT_EQ(window.State.ExeFolder, dataFolder);
        EXPECT_EQ(errors, QStringList{QStringLiteral("ファイル %1/quavelo.ini を作成できません").arg(dataFolder)});
        EXPECT_EQ(window.pos(), bottomRight());
    }
    // Nothing stands in the data folder's way: the next start tries the copy again.
    EXPECT_FALSE(QFile::exists(dataFolder + QStringLiteral("/quavelo.ini")));
    EXPECT_EQ(readFile(folder.path() + QStringLiteral("/quavelo.ini")), programFolderSettings);
    if (dataHomeBefore.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHomeBefore);
}

TEST_F(PlayerWindow, DefaultsThatCannotBeCreatedAreReportedAndTheWindowStillComesUp)
{
    TfrmMain window(dir.path() + QStringLiteral("/missing/quavelo"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("ファイル ")));
    EXPECT_TRUE(errors[0].endsWith(QStringLiteral("missing/quavelo.ini を作成できません")));
    window.show();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(PlayerWindow, PlayListsLoadInLineOrderAndAFavNoBeyondTheEndUsesTheFirst)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\nFavNo=7\r\n[midi_fav]\r\n1=A\r\n2=B\r\n[MIDI_A]\r\n2=b.mid\r\n1=a.mid\r\n");
    TfrmMain window(exe);
    window.show();
    EXPECT_EQ(window.State.FavIndex, 0);
    EXPECT_EQ(window.State.PlayList, (std::vector<std::string>{"b.mid", "a.mid"}));
    window.State.LoadPlayList(1);
    EXPECT_TRUE(window.State.PlayList.empty());
}

TEST_F(PlayerWindow, ItsButtonsFollowEachPlayListLoadedOrStoredWhileItsControlsAreOn)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\n[MIDI_FAV]\r\n1=A\r\n2=B\r\n[MIDI_A]\r\n1=a.mid\r\n");
    TfrmMain window(exe);
    window.State.LoadFavNames();
    window.SetControlsEnabled(true);
    const auto playable = [&] { return window.btnPlay->isEnabled() && window.btnStop->isEnabled() && window.btnNext->isEnabled(); };

    window.State.LoadPlayList(1);
    EXPECT_FALSE(window.btnPlay->isEnabled() || window.btnStop->isEnabled() || window.btnNext->isEnabled());
    window.State.LoadPlayList(0);
    EXPECT_TRUE(playable());
    window.State.PlayList.clear();
    window.State.SavePlayList(0);
    EXPECT_FALSE(window.btnPlay->isEnabled());
    window.State.PlayList = {"b.mid"};
    window.State.SavePlayList(0);
    EXPECT_TRUE(playable());
    EXPECT_TRUE(window.btnMemu->isEnabled());

    // While they are off (the editor is open, a tune is on its way) a list turns none on.
    window.SetControlsEnabled(false);
    window.State.LoadPlayList(0);
    EXPECT_FALSE(window.btnPlay->isEnabled() || window.btnMemu->isEnabled());
}

TEST_F(PlayerWindow, TheSmallCaptionsShowWholeAndTheProgressBarTakesNoKeyColour)
{
    TfrmMain window(exe);
    window.show();
    for (TLbSpeedButton *button : {window.btnMemu, window.btnHelp}) {
        EXPECT_EQ(button->font().letterSpacing(), 0.0);
        EXPECT_EQ(button->font().pixelSize(), 9);
        EXPECT_EQ(ShortenCaption(button->Caption(), button->font(), LbCaptionRoom(button->look())), button->Caption());
    }
    // The window's colour is the see-through key; the bar's frame must not be tinted by it.
    const QImage bar = window.PGB->grab().toImage();
    int tinted = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const QColor pixel = bar.pixelColor(x, y);
            tinted += pixel.red() - pixel.green() > 60 && pixel.blue() - pixel.green() > 60;
        }
    }
    EXPECT_EQ(tinted, 0);
}

TEST(Shuffle, TheGeneratorAndMoveToFrontAreFixedForASeed)
{
    ShuffleRandom random(0);
    EXPECT_EQ(random.next(10), 0u);          // seed 1: 1 * 10 >> 32
    EXPECT_EQ(random.next(10), 0u);          // seed 134775814
    ShuffleRandom big(0xFFFFFFFFu);
    EXPECT_EQ(big.next(100), 96u);           // seed 0xF7F77BFC: upper bits of seed * 100
    std::vector<std::string> list = {"a", "b", "c", "d"};
    ShuffleMoveToFront(list, 12345);
    EXPECT_EQ(list, (std::vector<std::string>{"c", "a", "b", "d"}));
}
