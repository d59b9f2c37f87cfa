#include "controls/lbspeedbutton.h"
#include "editor/editorwindowtest.h"

using testing_support::readFile;
using testing_support::TestHttpServer;
using testing_support::waitUntil;
using testing_support::writeFile;

TEST_F(EditorWindow, ADoubleClickAddsATuneAndASecondRemovesIt)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();

    doubleClickCatalogueTune("b.mid");
    EXPECT_EQ(player->State.PlayList, (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_EQ(editor->sgdList->RowCount(), 2);
    EXPECT_EQ(editor->sgdList->Row(), 1);
    EXPECT_EQ(editor->sgdList->Cells(1, 1), QStringLiteral("Blue Lake"));
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 2 曲 00:07:32 )"));
    EXPECT_EQ(editor->lblMID01->text(), QStringLiteral("Blue Lake"));
    EXPECT_TRUE(editor->Editor.EditorModified);
    EXPECT_TRUE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("b.mid")));

    QTest::keyClick(editor->sgdMidi, Qt::Key_Return);
    EXPECT_EQ(player->State.PlayList, std::vector<std::string>{"a.mid"});
    EXPECT_FALSE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("b.mid")));
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 1 曲 00:03:00 )"));
}

TEST_F(EditorWindow, TheLastFavouriteIsNeverDeleted)
{
    writeFile(ini, "[OPT]\r\nUsed=1\r\nFavNo=0\r\nServer=" + server.host()
                       + "\r\n[MIDI_FAV]\r\n1=only\r\n[MIDI_only]\r\n1=a.mid\r\n");
    openLoadedEditor();
    ConfirmAnswerer yes(Qt::Key_Y);
    editor->sgdFav->setFocus();
    QTest::keyClick(editor->sgdFav, Qt::Key_Delete);
    EXPECT_EQ(yes.captions.size(), 1);
    EXPECT_EQ(player->State.FavNames, std::vector<std::string>{"only"});
    EXPECT_NE(readFile(ini).find("[MIDI_only]\r\n1=a.mid"), std::string::npos);
    EXPECT_FALSE(editor->Editor.EditorModified);
}

TEST_F(EditorWindow, SwitchingTheFavouriteStoresTheOldListFirst)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    doubleClickCatalogueTune("b.mid");
    QTest::mouseClick(editor->sgdFav->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdFav, 1));

    const std::string stored = readFile(ini);
    EXPECT_NE(stored.find("[MIDI_list]\r\n1=a.mid\r\n2=b.mid\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("FavNo=1"), std::string::npos);
    EXPECT_EQ(player->State.FavIndex, 1);
    EXPECT_EQ(player->State.PlayList, std::vector<std::string>{"c.mid"});
    EXPECT_EQ(editor->sgdList->Cells(1, 0), QStringLiteral("Aria"));
    EXPECT_EQ(editor->sgdFav->Cells(2, 0), QString());
    EXPECT_EQ(editor->sgdFav->Cells(2, 1), QStringLiteral("1"));
    EXPECT_TRUE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("c.mid")));
    EXPECT_FALSE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("b.mid")));

    // A right click only selects: the favourite stays current.
    QTest::mouseClick(editor->sgdFav->viewport(), Qt::RightButton, {}, cellCentre(editor->sgdFav, 0));
    EXPECT_EQ(editor->sgdFav->Row(), 0);
    EXPECT_EQ(player->State.FavIndex, 1);
}

TEST_F(EditorWindow, MovesExchangeTheTunesShownAndStoreNothingAtTheEnds)
{
    writeSettings("1=a.mid\r\n2=notlisted.mid\r\n3=b.mid\r\n");
    openLoadedEditor();
    const std::string before = readFile(ini);
    QTest::mouseClick(editor->sgdList->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdList, 0));
    editor->btnUp->Click();
    EXPECT_EQ(readFile(ini), before);
    EXPECT_FALSE(editor->Editor.EditorModified);

    QTest::mouseClick(editor->sgdList->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdList, 1));
    editor->btnDown->Click();
    EXPECT_EQ(readFile(ini), before);

    // The two tunes shown change places; the tune that the catalogue lacks keeps its own.
    editor->btnUp->Click();
    EXPECT_EQ(player->State.PlayList, (std::vector<std::string>{"b.mid", "notlisted.mid", "a.mid"}));
    EXPECT_EQ(editor->sgdList->Row(), 0);
    EXPECT_EQ(editor->sgdList->Cells(1, 0), QStringLiteral("Blue Lake"));
    EXPECT_NE(readFile(ini).find("[MIDI_list]\r\n1=b.mid\r\n2=notlisted.mid\r\n3=a.mid\r\n"), std::string::npos);
    EXPECT_TRUE(editor->Editor.EditorModified);
}

TEST_F(EditorWindow, DeletingTheOnlyTuneStoresAtOnceAndLeavesOneEmptyRow)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    editor->sgdList->setFocus();
    QTest::keyClick(editor->sgdList, Qt::Key_Delete);

    EXPECT_TRUE(player->State.PlayList.empty());
    EXPECT_EQ(readFile(ini).find("[MIDI_list]\r\n1="), std::string::npos);
    EXPECT_EQ(editor->sgdList->RowCount(), 1);
    EXPECT_EQ(editor->sgdList->Cells(1, 0), QString());
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 0 曲 00:00:00 )"));
    EXPECT_FALSE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("a.mid")));
}

TEST_F(EditorWindow, AnAddedFavouriteBecomesCurrentWithTheTunesListed)
{
    writeSettings("1=a.mid\r\n2=b.mid\r\n");
    openLoadedEditor();
    NameAnswerer answer(QStringLiteral("new"));
    editor->btnAddFav->Click();

    EXPECT_EQ(answer.title, QStringLiteral("お気に入りの追加"));
    EXPECT_EQ(answer.offered, QStringLiteral("新規"));
    EXPECT_EQ(player->State.FavNames, (std::vector<std::string>{"list", "other", "new"}));
    EXPECT_EQ(player->State.FavIndex, 2);
    EXPECT_EQ(editor->sgdFav->RowCount(), 3);
    EXPECT_EQ(editor->sgdFav->Row(), 2);
    EXPECT_EQ(editor->sgdFav->Cells(2, 2), QStringLiteral("1"));
    EXPECT_EQ(editor->lblFavNo->text(), QStringLiteral("( 3 種類 )"));
    EXPECT_EQ(editor->sgdList->RowCount(), 2);
    const std::string stored = readFile(ini);
    EXPECT_NE(stored.find("FavNo=2"), std::string::npos);
    EXPECT_NE(stored.find("[MIDI_FAV]\r\n1=list\r\n2=other\r\n3=new\r\n"), std::string::npos);

    editor->btnOK->Click();
    EXPECT_NE(readFile(ini).find("[MIDI_new]\r\n1=a.mid\r\n2=b.mid\r\n"), std::string::npos);
    EXPECT_NE(readFile(ini).find("[MIDI_list]\r\n1=a.mid\r\n2=b.mid\r\n"), std::string::npos);
}

TEST_F(EditorWindow, RenamingByEnterKeepsTheFavouritesTunes)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    NameAnswerer answer(QStringLiteral("mine"));
    editor->sgdFav->setFocus();
    QTest::keyClick(editor->sgdFav, Qt::Key_Return);

    EXPECT_EQ(answer.title, QStringLiteral("名前の変更"));
    EXPECT_EQ(answer.offered, QStringLiteral("list"));
    EXPECT_EQ(editor->sgdFav->Cells(1, 0), QStringLiteral("mine"));
    const std::string stored = readFile(ini);
    EXPECT_NE(stored.find("[MIDI_mine]\r\n1=a.mid\r\n"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("[MIDI_list]"), std::string::npos);
    EXPECT_TRUE(editor->Editor.EditorModified);
}

TEST_F(EditorWindow, EnterInThePlayListSelectsItsTuneInTheCatalogue)
{
    writeSettings("1=a.mid\r\n2=b.mid\r\n");
    openLoadedEditor();
    QTest::mouseClick(editor->sgdList->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdList, 1));
    EXPECT_EQ(editor->Editor.SelectedFile, "b.mid");
    EXPECT_EQ(editor->lblMID01->text(), QStringLiteral("Blue Lake"));

    QTest::keyClick(editor->sgdList, Qt::Key_Return);
    EXPECT_EQ(editor->sgdMidi->Row(), editor->Catalogue.rowOfFile("b.mid"));
    EXPECT_EQ(editor->Catalogue.grid().selectedRow(), editor->Catalogue.rowOfFile("b.mid"));
    // Nothing was added or removed by it.
    EXPECT_EQ(player->State.PlayList.size(), 2u);
}
