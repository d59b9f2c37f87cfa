#include "app/settings.h"
#include "catalogue/cataloguefile.h"
#include "editor/playlisteditor.h"
#include "player/playerstate.h"
#include "support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::readFile;
using testing_support::writeFile;

namespace {

using Names = std::vector<std::string>;

// Three tunes of 03:00, 04:30 and 02:45, and two more.
const char *const catalogue = "Carol,Kim,Piano,Xmas,0300,a.mid\r\n"
                              "Bells,Lee,Piano,Xmas,0430,b.mid\r\n"
                              "Snow,Lee,Harp,Xmas,0245,c.mid\r\n"
                              "Moon,Kim,Flute,Pops,0312,d.mid,1\r\n"
                              "Star,Kim,Flute,Pops,0100,e.mid\r\n";

class PlayListEditing : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    PlayerState state;
    CatalogueList list;
    PlayListEditor editor{state, list};

    QString ini() const { return state.settingsFile(); }
    QString cataloguePath() const { return dir.filePath(QStringLiteral("@Midi.DBF")); }

    // The settings as the editor finds them when it is shown, and the catalogue loaded.
    void open(const std::string &settings, const std::string &catalogueText = catalogue)
    {
        state.locate(dir.filePath(QStringLiteral("quavelo")));
        writeFile(ini(), settings);
        writeFile(cataloguePath(), catalogueText);
        state.LoadFavNames();
        state.LoadCurrentPlayList();
        state.LoadWait();
        editor.loadFavorites();
        ASSERT_TRUE(editor.LoadCatalogue(cataloguePath()));
    }

    Names stored(const std::string &name) const
    {
        Names tunes;
        ReadIniList(state.SettingsBase, PlayListSection(name), tunes);
        return tunes;
    }
    Names storedNames() const
    {
        Names names;
        ReadIniList(state.SettingsBase, "MIDI_FAV", names);
        return names;
    }
    int storedFavNo() const { return ReadIniInt(state.SettingsBase, "OPT", "FavNo", -1); }

    Names column(const CellTable &grid, int column) const
    {
        Names cells;
        for (int row = 0; row < grid.rowCount(); ++row)
            cells.push_back(grid.cell(row, column));
        return cells;
    }
    Names markedFiles() const
    {
        Names files;
        for (int row = 0; row < list.grid().rowCount(); ++row) {
            if (list.isMarked(row))
                files.push_back(list.grid().cell(row, CellFileName));
        }
        return files;
    }
    void selectCatalogueFile(const std::string &fileName)
    {
        const int row = list.rowOfFile(fileName);
        ASSERT_GE(row, 0) << fileName;
        editor.selectCatalogueTune(row);
    }
};

const std::string twoLists = "[OPT]\r\nWaite=2000\r\nFavNo=0\r\n"
                             "[MIDI_FAV]\r\n1=one\r\n2=two\r\n"
                             "[MIDI_one]\r\n1=a.mid\r\n2=b.mid\r\n3=c.mid\r\n"
                             "[MIDI_two]\r\n1=e.mid\r\n";

} // namespace

TEST(PlayListTotal, GapsBetweenTunesAndTheCutToTwoDigits)
{
    EXPECT_EQ(PlayListTotalText(3, 3 + 4 + 2, 0 + 30 + 45, 2000), QStringLiteral("( 3 曲 00:10:19 )"));
    EXPECT_EQ(PlayListTotalText(0, 0, 0, 9000), QStringLiteral("( 0 曲 00:00:00 )"));
    EXPECT_EQ(PlayListTotalText(1, 0, 0, 9000), QStringLiteral("( 1 曲 00:00:00 )"));
    EXPECT_EQ(PlayListTotalText(14, 40, 7 * 60 + 7, 0), QStringLiteral("( 14 曲 00:47:07 )"));
    // 100 hours shows as "00"; the gap is rounded toward zero, summed once.
    EXPECT_EQ(PlayListTotalText(1, 6000, 0, 0), QStringLiteral("( 1 曲 00:00:00 )"));
    EXPECT_EQ(PlayListTotalText(4, 0, 0, 1500), QStringLiteral("( 4 曲 00:00:04 )"));
    // A long list with a long gap does not overflow.
    EXPECT_EQ(PlayListTotalText(300000, 0, 0, 9000), QStringLiteral("( 300000 曲 49:59:51 )"));
}

TEST_F(PlayListEditing, LoadingListsTheTunesMarksThemAndSumsTheirTimes)
{
    open(twoLists);
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 3 曲 00:10:19 )"));
    EXPECT_EQ(column(editor.tunes(), 1), (Names{"Carol", "Bells", "Snow"}));
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"a.mid", "b.mid", "c.mid"}));
    // The seventh field of "Moon" is no mark.
    EXPECT_EQ(markedFiles(), (Names{"b.mid", "a.mid", "c.mid"}));
    EXPECT_EQ(list.grid().selectedRow(), 0);
    EXPECT_EQ(editor.SelectedFile, "d.mid");
    EXPECT_EQ(editor.SelectedTitle, "Moon");
    EXPECT_EQ(column(editor.favorites(), 1), (Names{"one", "two"}));
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"1", ""}));
    EXPECT_EQ(editor.favoriteCountText(), QStringLiteral("( 2 種類 )"));
    EXPECT_FALSE(editor.EditorModified);
}

TEST_F(PlayListEditing, TunesMissingFromTheCatalogueAreNeitherShownNorCountedButKept)
{
    open("[OPT]\r\nWaite=0\r\n[MIDI_FAV]\r\n1=one\r\n"
         "[MIDI_one]\r\n1=gone.mid\r\n2=A.MID\r\n3=d.mid\r\n4=x.mid\r\n",
         catalogue + std::string("Odd,Kim,Flute,Pops,245,x.mid\r\n"));
    // "A.MID" is not byte for byte "a.mid"; the three-digit time counts nothing.
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"d.mid", "x.mid"}));
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 2 曲 00:03:12 )"));
    EXPECT_EQ(state.PlayList, (Names{"gone.mid", "A.MID", "d.mid", "x.mid"}));

    // With no catalogue nothing is listed, and the stored list stays as it is.
    QFile::remove(cataloguePath());
    EXPECT_FALSE(editor.LoadCatalogue(cataloguePath()));
    EXPECT_EQ(editor.tunes().rowCount(), 1);
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 0 曲 00:00:00 )"));
    EXPECT_EQ(stored("one").size(), 4u);
}

TEST_F(PlayListEditing, ACatalogueTuneAddedAndRemovedAgainStaysInMemoryOnly)
{
    open(twoLists);
    const std::string before = readFile(ini());
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "b.mid", "c.mid", "d.mid"}));
    EXPECT_TRUE(list.isMarked(list.rowOfFile("d.mid")));
    EXPECT_EQ(editor.tunes().selectedRow(), 3);
    EXPECT_EQ(editor.SelectedFile, "d.mid");
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 4 曲 00:13:33 )"));
    EXPECT_TRUE(editor.EditorModified);

    selectCatalogueFile("b.mid");
    editor.toggleCatalogueTune();
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "c.mid", "d.mid"}));
    EXPECT_EQ(editor.tunes().selectedRow(), 1);
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "c.mid"}));
    EXPECT_EQ(markedFiles(), (Names{"a.mid", "c.mid"}));
    EXPECT_EQ(readFile(ini()), before);
}

TEST_F(PlayListEditing, AnEmptyCatalogueLineIsNoTune)
{
    open(twoLists, std::string("\r\n") + catalogue);
    ASSERT_EQ(list.grid().cell(0, CellFileName), "");
    editor.selectCatalogueTune(0);
    editor.toggleCatalogueTune();
    EXPECT_EQ(state.PlayList.size(), 3u);
    EXPECT_FALSE(list.isMarked(0));
}

TEST_F(PlayListEditing, SwitchingStoresTheOldListFirst)
{
    open(twoLists);
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    EXPECT_FALSE(editor.switchFavorite(0));
    EXPECT_EQ(stored("one").size(), 3u);

    EXPECT_TRUE(editor.switchFavorite(1));
    EXPECT_EQ(stored("one"), (Names{"a.mid", "b.mid", "c.mid", "d.mid"}));
    EXPECT_EQ(storedFavNo(), 1);
    EXPECT_EQ(state.FavIndex, 1);
    EXPECT_EQ(state.PlayList, (Names{"e.mid"}));
    EXPECT_EQ(column(editor.tunes(), 1), (Names{"Star"}));
    EXPECT_EQ(markedFiles(), (Names{"e.mid"}));
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"", "1"}));
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 1 曲 00:01:00 )"));
}

TEST_F(PlayListEditing, RenamingRewritesTheNamesAndTheSectionHeaderOnly)
{
    open(twoLists);
    editor.selectFavoriteRow(1);
    editor.renameFavorite("second");
    EXPECT_EQ(storedNames(), (Names{"one", "second"}));
    EXPECT_EQ(stored("second"), (Names{"e.mid"}));
    EXPECT_TRUE(stored("two").empty());
    EXPECT_EQ(column(editor.favorites(), 1), (Names{"one", "second"}));
    // The current favourite stays current.
    EXPECT_EQ(state.FavIndex, 0);
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"1", ""}));
    EXPECT_TRUE(editor.EditorModified);
    EXPECT_NE(readFile(ini()).find("[MIDI_second]\r\n1=e.mid\r\n"), std::string::npos);
    EXPECT_EQ(stored("one"), (Names{"a.mid", "b.mid", "c.mid"}));
}

TEST_F(PlayListEditing, AnAddedFavouriteTakesTheTunesListedNow)
{
    open(twoLists);
    selectCatalogueFile("e.mid");
    editor.toggleCatalogueTune();
    editor.addFavorite("three");
    EXPECT_EQ(state.FavIndex, 2);
    EXPECT_EQ(storedFavNo(), 2);
    EXPECT_EQ(storedNames(), (Names{"one", "two", "three"}));
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"", "", "1"}));
    EXPECT_EQ(editor.favorites().selectedRow(), 2);
    EXPECT_EQ(editor.favoriteCountText(), QStringLiteral("( 3 種類 )"));
    EXPECT_EQ(state.PlayList.size(), 4u);
    // Nothing stored for it yet; the old favourite keeps what was last stored for it.
    EXPECT_TRUE(stored("three").empty());

    editor.switchFavorite(0);
    EXPECT_EQ(stored("three"), (Names{"a.mid", "b.mid", "c.mid", "e.mid"}));
    EXPECT_EQ(stored("one"), (Names{"a.mid", "b.mid", "c.mid"}));
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "b.mid", "c.mid"}));
}

TEST_F(PlayListEditing, DeletingTheCurrentLastFavouriteMakesTheNewLastOneCurrent)
{
    open("[OPT]\r\nWaite=0\r\nFavNo=1\r\n[MIDI_FAV]\r\n1=one\r\n2=two\r\n"
         "[MIDI_one]\r\n1=a.mid\r\n2=b.mid\r\n[MIDI_two]\r\n1=e.mid\r\n");
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    editor.selectFavoriteRow(1);
    EXPECT_TRUE(editor.deleteFavorite());
    EXPECT_EQ(state.FavNames, (Names{"one"}));
    EXPECT_EQ(storedNames(), (Names{"one"}));
    EXPECT_EQ(state.FavIndex, 0);
    EXPECT_EQ(storedFavNo(), 0);
    EXPECT_TRUE(stored("two").empty());
    EXPECT_EQ(readFile(ini()).find("MIDI_two"), std::string::npos);
    // Its stored tunes are shown, and not overwritten by the list that was in memory.
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "b.mid"}));
    EXPECT_EQ(stored("one"), (Names{"a.mid", "b.mid"}));
    EXPECT_EQ(markedFiles(), (Names{"b.mid", "a.mid"}));
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"1"}));
    EXPECT_TRUE(editor.EditorModified);

    // The last remaining favourite is kept.
    const std::string before = readFile(ini());
    EXPECT_FALSE(editor.deleteFavorite());
    EXPECT_EQ(state.FavNames, (Names{"one"}));
    EXPECT_EQ(readFile(ini()), before);
}

TEST_F(PlayListEditing, DeletingAnotherFavouriteKeepsTheCurrentOneAndItsTunes)
{
    open("[OPT]\r\nWaite=0\r\nFavNo=1\r\n[MIDI_FAV]\r\n1=one\r\n2=two\r\n3=three\r\n"
         "[MIDI_one]\r\n1=a.mid\r\n[MIDI_two]\r\n1=b.mid\r\n[MIDI_three]\r\n1=c.mid\r\n");
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    editor.selectFavoriteRow(0);
    EXPECT_TRUE(editor.deleteFavorite());
    EXPECT_EQ(state.FavNames, (Names{"two", "three"}));
    EXPECT_EQ(state.FavIndex, 0);
    EXPECT_EQ(storedFavNo(), 0);
    EXPECT_EQ(state.PlayList, (Names{"b.mid", "d.mid"}));
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"1", ""}));
}

TEST_F(PlayListEditing, RemovingTunesStoresAtOnce)
{
    open(twoLists);
    editor.selectPlayListTune(1);
    EXPECT_EQ(editor.SelectedFile, "b.mid");
    EXPECT_EQ(editor.SelectedTitle, "Bells");
    editor.removeTune();
    EXPECT_EQ(stored("one"), (Names{"a.mid", "c.mid"}));
    EXPECT_EQ(editor.tunes().selectedRow(), 1);
    EXPECT_FALSE(list.isMarked(list.rowOfFile("b.mid")));
    editor.selectPlayListTune(1);
    editor.removeTune();
    EXPECT_EQ(editor.tunes().selectedRow(), 0);
    editor.removeTune();
    EXPECT_TRUE(stored("one").empty());
    EXPECT_EQ(editor.tunes().rowCount(), 1);
    EXPECT_EQ(editor.tunes().cell(0, 1), "");
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 0 曲 00:00:00 )"));
    EXPECT_TRUE(markedFiles().empty());
}

TEST_F(PlayListEditing, RemovingAllTunesEmptiesTheStoredList)
{
    open(twoLists);
    editor.removeAllTunes();
    EXPECT_TRUE(state.PlayList.empty());
    EXPECT_TRUE(stored("one").empty());
    EXPECT_EQ(stored("two"), (Names{"e.mid"}));
    EXPECT_EQ(editor.tunes().rowCount(), 1);
    EXPECT_TRUE(markedFiles().empty());
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 0 曲 00:00:00 )"));
}

TEST_F(PlayListEditing, MovesAtEitherEndStoreNothing)
{
    open(twoLists);
    // A tune added in memory, which any store would write.
    selectCatalogueFile("d.mid");
    editor.toggleCatalogueTune();
    const std::string before = readFile(ini());
    editor.selectTuneRow(0);
    EXPECT_FALSE(editor.moveTune(PlayListEditor::Direction::Up));
    editor.selectTuneRow(3);
    EXPECT_FALSE(editor.moveTune(PlayListEditor::Direction::Down));
    EXPECT_EQ(readFile(ini()), before);
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "b.mid", "c.mid", "d.mid"}));

    EXPECT_TRUE(editor.moveTune(PlayListEditor::Direction::Up));
    EXPECT_EQ(editor.tunes().selectedRow(), 2);
    EXPECT_EQ(stored("one"), (Names{"a.mid", "b.mid", "d.mid", "c.mid"}));
    EXPECT_EQ(column(editor.tunes(), 1), (Names{"Carol", "Bells", "Moon", "Snow"}));
    editor.selectTuneRow(0);
    EXPECT_TRUE(editor.moveTune(PlayListEditor::Direction::Down));
    EXPECT_EQ(stored("one"), (Names{"b.mid", "a.mid", "d.mid", "c.mid"}));
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"b.mid", "a.mid", "d.mid", "c.mid"}));

    // An empty list has no tune to move.
    editor.removeAllTunes();
    const std::string empty = readFile(ini());
    EXPECT_FALSE(editor.moveTune(PlayListEditor::Direction::Up));
    EXPECT_FALSE(editor.moveTune(PlayListEditor::Direction::Down));
    EXPECT_EQ(readFile(ini()), empty);
}

TEST_F(PlayListEditing, MovesExchangeTheTunesShownWhenTheCatalogueLacksSome)
{
    open("[OPT]\r\nWaite=0\r\n[MIDI_FAV]\r\n1=one\r\n"
         "[MIDI_one]\r\n1=gone.mid\r\n2=a.mid\r\n3=lost.mid\r\n4=c.mid\r\n");
    ASSERT_EQ(column(editor.tunes(), 2), (Names{"a.mid", "c.mid"}));
    editor.selectTuneRow(1);
    EXPECT_TRUE(editor.moveTune(PlayListEditor::Direction::Up));
    EXPECT_EQ(stored("one"), (Names{"gone.mid", "c.mid", "lost.mid", "a.mid"}));
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"c.mid", "a.mid"}));

    // Removing one shown tune removes that one, not what stands at its row number.
    editor.selectTuneRow(1);
    editor.removeTune();
    EXPECT_EQ(stored("one"), (Names{"gone.mid", "c.mid", "lost.mid"}));
    editor.RefreshPlayList(true);
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"c.mid"}));
}

TEST_F(PlayListEditing, EnterInThePlayListScrollsTheCatalogueToTheTune)
{
    open(twoLists);
    editor.selectCatalogueTune(0);
    const std::string previewTarget = editor.SelectedFile;
    editor.selectTuneRow(2);
    EXPECT_TRUE(editor.scrollCatalogueToTune());
    EXPECT_EQ(list.grid().cell(list.grid().selectedRow(), CellFileName), "c.mid");
    EXPECT_EQ(editor.SelectedFile, previewTarget);

    editor.removeAllTunes();
    EXPECT_FALSE(editor.scrollCatalogueToTune());
}

TEST_F(PlayListEditing, ARefusedWriteLeavesTheListsMatchingTheStateInMemory)
{
    testing_support::ReadOnlyFolder folder;
    if (!folder.isValid())
        GTEST_SKIP() << "no read-only folder can be made here";
    folder.put(QStringLiteral("quavelo.ini"), twoLists);
    folder.put(QStringLiteral("@Midi.DBF"), catalogue);
    ASSERT_TRUE(folder.lock());
    // Set by hand: locating the program in a read-only folder would move it elsewhere.
    state.ExeFolder = folder.path();
    state.SettingsBase = folder.path() + QStringLiteral("/quavelo");
    state.LoadFavNames();
    state.LoadCurrentPlayList();
    editor.loadFavorites();
    ASSERT_TRUE(editor.LoadCatalogue(folder.path() + QStringLiteral("/@Midi.DBF")));

    // Removing the last shown tune twice over: each removal takes the tune of its row.
    editor.selectTuneRow(2);
    EXPECT_THROW(editor.removeTune(), SettingsError);
    EXPECT_EQ(state.PlayList, (Names{"a.mid", "b.mid"}));
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"a.mid", "b.mid"}));
    editor.selectTuneRow(2);
    EXPECT_THROW(editor.removeTune(), SettingsError);
    EXPECT_EQ(state.PlayList, (Names{"a.mid"}));
    EXPECT_EQ(column(editor.tunes(), 2), (Names{"a.mid"}));

    // A switch whose first store is refused leaves the current favourite current.
    EXPECT_THROW(editor.switchFavorite(1), SettingsError);
    EXPECT_EQ(state.FavIndex, 0);
    EXPECT_EQ(column(editor.favorites(), 2), (Names{"1", ""}));
    EXPECT_EQ(state.PlayList, (Names{"a.mid"}));

    // A refused erase deletes nothing.
    editor.selectFavoriteRow(1);
    EXPECT_THROW(editor.deleteFavorite(), SettingsError);
    EXPECT_EQ(state.FavNames, (Names{"one", "two"}));

    // A refused rename keeps the old name in memory too, where a later store would
    // otherwise part the name from its tunes.
    EXPECT_THROW(editor.renameFavorite("new"), SettingsError);
    EXPECT_EQ(state.FavNames, (Names{"one", "two"}));
    EXPECT_EQ(column(editor.favorites(), 1), (Names{"one", "two"}));
    EXPECT_EQ(readFile(folder.path() + QStringLiteral("/quavelo.ini")), twoLists);
}

TEST_F(PlayListEditing, AChangedGapIsStoredAndTheTotalFollows)
{
    open(twoLists);
    editor.changeGap(3);
    EXPECT_EQ(ReadIniInt(state.SettingsBase, "OPT", "Waite", -1), 3000);
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 3 曲 00:10:21 )"));
    EXPECT_TRUE(editor.EditorModified);
    // The list itself is not rebuilt, so its selection stays.
    editor.selectTuneRow(2);
    editor.changeGap(0);
    EXPECT_EQ(editor.tunes().selectedRow(), 2);
    EXPECT_EQ(editor.tuneCountText(), QStringLiteral("( 3 曲 00:10:15 )"));
}
