#include "app/atomicfile.h"
#include "app/inidocument.h"
#include "app/text.h"
#include "app/settings.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

class SettingsFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString base = dir.path() + QStringLiteral("/quavelo");
    QString file = base + QStringLiteral(".ini");

    void given(std::string_view content) { writeFile(file, content); }
    std::string content() const { return readFile(file); }
    std::vector<std::string> list(std::string_view section) const
    {
        std::vector<std::string> values = {"stale"};
        ReadIniList(base, section, values);
        return values;
    }
};

} // namespace

TEST(SettingsBase, ExtensionIsCutOnlyAfterTheLastSlash)
{
    EXPECT_EQ(SettingsBaseOf(QStringLiteral("/opt/q/player.exe")), QStringLiteral("/opt/q/player"));
    EXPECT_EQ(SettingsBaseOf(QStringLiteral("/opt/q.d/quavelo")), QStringLiteral("/opt/q.d/quavelo"));
    EXPECT_EQ(SettingsBaseOf(QStringLiteral("/opt/q/a.b.c")), QStringLiteral("/opt/q/a.b"));
}

TEST(IniIntegers, DecimalHexadecimalOrTheDefault)
{
    EXPECT_EQ(ParseIniInt("42", 7), 42);
    EXPECT_EQ(ParseIniInt("-3", 7), -3);
    EXPECT_EQ(ParseIniInt("0x10", 7), 16);
    EXPECT_EQ(ParseIniInt("0X1f", 7), 31);
    EXPECT_EQ(ParseIniInt("$10", 7), 16);
    EXPECT_EQ(ParseIniInt("0xFFFFFFFF", 7), -1);
    EXPECT_EQ(ParseIniInt("abc", 7), 7);
    EXPECT_EQ(ParseIniInt("12abc", 7), 7);
    EXPECT_EQ(ParseIniInt("", 7), 7);
    EXPECT_EQ(ParseIniInt("0x", 7), 7);
    EXPECT_EQ(ParseIniInt("2147483648", 7), 7);
    EXPECT_EQ(ParseIniInt("-2147483648", 7), -2147483647 - 1);
}

TEST_F(SettingsFile, MissingFileReadsAsDefaults)
{
    EXPECT_EQ(ReadIniInt(base, "OPT", "Waite", 5), 5);
    EXPECT_TRUE(ReadIniBool(base, "OPT", "AutoRun", true));
    EXPECT_TRUE(list("MIDI_FAV").empty());
    EXPECT_EQ(content(), "<missing>");
}

TEST_F(SettingsFile, NamesMatchWithoutLetterCaseAndFlagsAreNonZero)
{
    given("[opt]\r\nfavno=3\r\nA=-1\r\nB=2\r\nC=0\r\nD=letters\r\nE=0x10\r\n[midi_fav]\r\n1=x\r\n");
    EXPECT_EQ(ReadIniInt(base, "OPT", "FavNo", 0), 3);
    EXPECT_TRUE(ReadIniBool(base, "OPT", "A", false));
    EXPECT_TRUE(ReadIniBool(base, "OPT", "B", false));
    EXPECT_FALSE(ReadIniBool(base, "OPT", "C", true));
    EXPECT_EQ(ReadIniInt(base, "OPT", "D", 9), 9);
    EXPECT_EQ(ReadIniInt(base, "OPT", "E", 9), 16);
    EXPECT_EQ(list("MIDI_FAV"), std::vector<std::string>{"x"});
}

TEST_F(SettingsFile, WritesKeepLinesInPlaceAndAppendNewOnes)
{
    given("[OPT]\r\nUsed=0\r\nWaite=0\r\n[MIDI_FAV]\r\n1=a\r\n");
    WriteIniBool(base, "opt", "used", true);
    EXPECT_EQ(content(), "[OPT]\r\nUsed=1\r\nWaite=0\r\n[MIDI_FAV]\r\n1=a\r\n");
    WriteIniInt(base, "OPT", "MainTop", -20);
    EXPECT_EQ(content(), "[OPT]\r\nUsed=1\r\nWaite=0\r\nMainTop=-20\r\n[MIDI_FAV]\r\n1=a\r\n");
    WriteIniString(base, "NEW", "K", "v");
    EXPECT_EQ(content(), "[OPT]\r\nUsed=1\r\nWaite=0\r\nMainTop=-20\r\n[MIDI_FAV]\r\n1=a\r\n[NEW]\r\nK=v\r\n");
}

TEST_F(SettingsFile, ListsReadValuesInLineOrderFirstKeyWinsEmptySkipped)
{
    given("[MIDI_A]\r\n2=b\r\n1=a\r\n3=\r\n2=dup\r\n4=x=y\r\n[MIDI_B]\r\n1=other\r\n");
    EXPECT_EQ(list("MIDI_A"), (std::vector<std::string>{"b", "a", "x=y"}));
    EXPECT_TRUE(list("MIDI_NONE").empty());
}

TEST_F(SettingsFile, WriteListMovesTheSectionToTheEndWithItsMaximum)
{
    given("[MIDI_A]\r\n1=old\r\n[MIDI_FAV]\r\n1=A\r\n");
    WriteIniList(base, "MIDI_A", {"x", "y", "z"}, 2);
    EXPECT_EQ(content(), "[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=x\r\n2=y\r\n");
    WriteIniList(base, "midi_a", {"x", "y", "z"}, 5);
    EXPECT_EQ(list("MIDI_A"), (std::vector<std::string>{"x", "y", "z"}));
    WriteIniList(base, "MIDI_A", {}, 0);
    EXPECT_EQ(content(), "[MIDI_FAV]\r\n1=A\r\n");
}

TEST_F(SettingsFile, WriteListGivesTheFileThatKeyByKeyWritesGive)
{
    given("[OPT]\r\nUsed=1\r\n[MIDI_A]\r\n1=old\r\n2=older\r\n[MIDI_B]\r\n1=b\r\n");
    const std::vector<std::string> tunes = {"t1.mid", "t2.mid", "t3.mid"};
    WriteIniList(base, "MIDI_A", tunes, 0);
    const std::string atOnce = content();

    given("[OPT]\r\nUsed=1\r\n[MIDI_A]\r\n1=old\r\n2=older\r\n[MIDI_B]\r\n1=b\r\n");
    EraseIniSection(base, "MIDI_A");
    for (std::size_t i = 0; i < tunes.size(); ++i)
        WriteIniString(base, "MIDI_A", std::to_string(i + 1), tunes[i]);
    EXPECT_EQ(content(), atOnce);
}

TEST_F(SettingsFile, ALongPlayListReadsBackWhole)
{
    std::vector<std::string> tunes;
    for (int i = 0; i < 10000; ++i)
        tunes.push_back("tune_number_" + std::to_string(i) + ".mid");
    WriteIniList(base, "MIDI_LONG", tunes, 0);
    EXPECT_EQ(list("MIDI_LONG"), tunes);
}

TEST_F(SettingsFile, ASectionNameEndingInADoubleByteCharacterWithATrailBracketRoundTrips)
{
    // "ゾ" is 0x83 0x5D in CP932: its second byte is "]".
    const std::string name = "MIDI_" + *text::toCp932(QStringLiteral("ゾウのうた"));
    WriteIniList(base, name, {"a.mid", "b.mid"}, 0);
    WriteIniList(base, "MIDI_OTHER", {"c.mid"}, 0);
    EXPECT_EQ(list(name), (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_EQ(list("MIDI_OTHER"), std::vector<std::string>{"c.mid"});
}

// The section renamed is the one that reading finds, hand-written blanks and all, so the
// list keeps the tunes it showed.
TEST_F(SettingsFile, RenameRewritesTheHeaderOfTheSectionThatIsRead)
{
    given("[MIDI_FAV]\r\n1=old\r\n[ MIDI_old] \r\n1=z\r\n[midi_OLD]\r\n2=b\r\n1=a\r\n[MIDI_OLD]\r\n1=c\r\n");
    EXPECT_EQ(list("MIDI_old"), std::vector<std::string>{"z"});
    RenameIniSection(base, "MIDI_old", "MIDI_new");
    EXPECT_EQ(content(), "[MIDI_FAV]\r\n1=old\r\n[MIDI_new]\r\n1=z\r\n[midi_OLD]\r\n2=b\r\n1=a\r\n[MIDI_OLD]\r\n1=c\r\n");
    EXPECT_EQ(list("MIDI_new"), std::vector<std::string>{"z"});
    const std::string before = content();
    RenameIniSection(base, "MIDI_none", "MIDI_x");
    EXPECT_EQ(content(), before);
}

TEST_F(SettingsFile, EraseRemovesHeaderAndEveryLineOfEverySectionOfTheName)
{
    given("[A]\r\n1=a\r\n\r\n[B]\r\n1=b\r\n[a]\r\n1=second a\r\n");
    EraseIniSection(base, "a");
    EXPECT_EQ(content(), "[B]\r\n1=b\r\n");
}

TEST_F(SettingsFile, AListWrittenOverAHandMadeDuplicateSectionReadsBackAsWritten)
{
    given("[MIDI_A]\r\n1=old\r\n[MIDI_B]\r\n1=b\r\n[midi_a]\r\n1=older\r\n");
    WriteIniList(base, "MIDI_A", {"new.mid"}, 0);
    EXPECT_EQ(list("MIDI_A"), std::vector<std::string>{"new.mid"});
    EXPECT_EQ(content(), "[MIDI_B]\r\n1=b\r\n[MIDI_A]\r\n1=new.mid\r\n");
}

TEST_F(SettingsFile, LongValuesAreCutOnReadingWithoutSplittingACharacter)
{
    const std::string longValue = std::string(2046, 'x') + "\x95\x5C" + "tail";
    given("[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(ReadIniString(base, "S", "K", ""), std::string(2046, 'x'));
    given("[S]\r\nK=" + std::string(3000, 'y') + "\r\n");
    EXPECT_EQ(ReadIniString(base, "S", "K", "").size(), maxIniValueBytes);
}

TEST_F(SettingsFile, FormPositionRoundTrips)
{
    QWidget window;
    window.move(263, 114);
    ReadFormPos(base, "OPT", "Main", &window);
    EXPECT_EQ(window.pos(), QPoint(263, 114));
    window.move(10, 20);
    WriteFormPos(base, "OPT", "Main", &window);
    EXPECT_EQ(content(), "[OPT]\r\nMainTop=20\r\nMainLeft=10\r\n");
    QWidget other;
    ReadFormPos(base, "OPT", "Main", &other);
    EXPECT_EQ(other.pos(), QPoint(10, 20));
}

TEST_F(SettingsFile, CopyFileOverHonoursOverwrite)
{
    const QString copy = base + QStringLiteral(".def");
    given("[OPT]\r\nUsed=1\r\n");
    EXPECT_TRUE(CopyFileOver(file, copy, true));
    EXPECT_EQ(readFile(copy), "[OPT]\r\nUsed=1\r\n");
    writeFile(file, "changed");
    EXPECT_FALSE(CopyFileOver(file, copy, false));
    EXPECT_EQ(readFile(copy), "[OPT]\r\nUsed=1\r\n");
    EXPECT_FALSE(CopyFileOver(base + QStringLiteral(".none"), copy, true));
    EXPECT_EQ(readFile(copy), "[OPT]\r\nUsed=1\r\n");
}

TEST(SettingsRefused, ReadOnlyFolderGivesTheMessageAndLeavesTheFileUntouched)
{
    testing_support::ReadOnlyFolder folder;
    if (!folder.isValid())
        GTEST_SKIP() << "no read-only folder can be made here";
    const std::string original = "[OPT]\r\nUsed=1\r\n[MIDI_FAV]\r\n1=A\r\n";
    folder.put(QStringLiteral("quavelo.ini"), original);
    ASSERT_TRUE(folder.lock());
    const QString base = folder.path() + QStringLiteral("/quavelo");
    try {
        WriteIniInt(base, "OPT", "Waite", 1000);
        FAIL() << "the write was not refused";
    } catch (const SettingsError &error) {
        EXPECT_EQ(error.message(), folder.path() + QStringLiteral("/quavelo.ini に書き込めません"));
    }
    EXPECT_THROW(WriteIniList(base, "MIDI_A", {"a"}, 0), SettingsError);
    EXPECT_THROW(EraseIniSection(base, "MIDI_FAV"), SettingsError);
    EXPECT_EQ(readFile(base + QStringLiteral(".ini")), original);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

TEST(SettingsAtomicity, AFailedWriteLeavesNoHalfFile)
{
    // A write into a folder that is gone fails before anything is renamed.
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/gone/quavelo");
    EXPECT_THROW(WriteIniInt(base, "OPT", "Waite", 1), SettingsError);
    EXPECT_FALSE(QFile::exists(base + QStringLiteral(".ini")));
}

TEST(IniDocumentText, KeepsForeignLinesAndEndsEveryLineWithCrLf)
{
    IniDocument document("; comment\n[A]\nK = v \nnoequals\n[B]\r\nx=1");
    EXPECT_EQ(document.value("a", "k"), std::optional<std::string>("v"));
    document.setValue("B", "y", "2");
    EXPECT_EQ(document.toString(), "; comment\r\n[A]\r\nK = v \r\nnoequals\r\n[B]\r\nx=1\r\ny=2\r\n");
}

TEST(SettingsAtomicity, AFullDiskLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    const std::string original = "[OPT]\r\nUsed=1\r\n[MIDI_FAV]\r\n1=A\r\n";
    writeFile(base + QStringLiteral(".ini"), original);

    // The child may write no file larger than 64 bytes, like a disk that is full.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteIniList(base, "MIDI_A", std::vector<std::string>(100, "tune.mid"), 0);
        } catch (const SettingsError &) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut-off write was not refused";
    EXPECT_EQ(readFile(base + QStringLiteral(".ini")), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(SettingsAtomicity, WritersOnManyThreadsLeaveTheUmaskAloneAndNewFilesFollowIt)
{
    QTemporaryDir dir;
    const mode_t before = ::umask(027);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&dir, t] {
            for (int i = 0; i < 150; ++i)
                atomicfile::writeAll(dir.filePath(QStringLiteral("%1-%2.mid").arg(t).arg(i)), "MThd");
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    const mode_t after = ::umask(before);
    EXPECT_EQ(after, mode_t(027));

    // A replaced file keeps its own mode.
    const QString kept = dir.filePath(QStringLiteral("0-0.mid"));
    ::chmod(QFile::encodeName(kept).constData(), 0604);
    ASSERT_TRUE(atomicfile::writeAll(kept, "MThd again"));

    int wrongModes = 0;
    for (const QFileInfo &file : QDir(dir.path()).entryInfoList(QDir::Files)) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file.filePath()).constData(), &st), 0);
        const mode_t expected = file.filePath() == kept ? 0604 : 0640;
        wrongModes += (st.st_mode & 07777) == expected ? 0 : 1;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 600);
    EXPECT_EQ(wrongModes, 0);
}
