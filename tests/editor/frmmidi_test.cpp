#include "app/settings.h"
#include "controls/lbspeedbutton.h"
#include "controls/xxcombobox.h"
#include "editor/editorwindowtest.h"
#include "editor/headerpanel.h"
#include "player/playermediacontrols.h"
#include "support/userinput.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QWheelEvent>

using testing_support::readFile;
using testing_support::TestHttpServer;
using testing_support::waitUntil;
using testing_support::writeFile;

TEST_F(EditorWindow, ShowingFetchesTheCatalogueSortsByGenreAndSelectsTheFirstRow)
{
    writeSettings("1=a.mid\r\n2=b.mid\r\n3=c.mid\r\n4=notlisted.mid\r\n");
    const std::string before = readFile(ini);
    openLoadedEditor();

    EXPECT_EQ(requestedPaths(), std::vector<std::string>{"@Midi.DBF"});
    EXPECT_EQ(readFile(catalogueCopy), catalogue);
    EXPECT_TRUE(player->State.CatalogueReady);
    EXPECT_EQ(readFile(exe + QStringLiteral(".def")), before);
    EXPECT_EQ(editor->lblTune->text(), QStringLiteral("収録曲数 ( 4 曲 )"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Quavelo の設定"));
    EXPECT_EQ(editor->size(), QSize(896, 591));

    // Genre, then title within each genre; the first row selected and shown.
    EXPECT_EQ(titleOfRow(0), "Aria");
    EXPECT_EQ(titleOfRow(1), "Broken");
    EXPECT_EQ(titleOfRow(2), "Blue Lake");
    EXPECT_EQ(editor->sgdMidi->Row(), 0);
    EXPECT_EQ(editor->lblMID01->text(), QStringLiteral("Aria"));
    EXPECT_EQ(editor->Editor.SelectedFile, "c.mid");
    EXPECT_EQ(editor->focusWidget(), editor->sgdMidi);

    // Three listed tunes of 03:00, 04:30 and 02:45 with a two-second gap; the tune that
    // the catalogue lacks is neither shown nor counted.
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 3 曲 00:10:19 )"));
    EXPECT_EQ(editor->sgdList->RowCount(), 3);
    EXPECT_EQ(editor->sgdList->Cells(1, 1), QStringLiteral("Blue Lake"));
    EXPECT_EQ(editor->lblFavNo->text(), QStringLiteral("( 2 種類 )"));
    EXPECT_EQ(editor->sgdFav->Cells(2, 0), QStringLiteral("1"));
    EXPECT_FALSE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("gone.mid")));
    EXPECT_TRUE(editor->Catalogue.isMarked(editor->Catalogue.rowOfFile("a.mid")));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(EditorWindow, HeaderClicksSortOnceAndKeepTheSelectedTune)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    QTest::mouseClick(editor->sgdMidi->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdMidi, 2));
    ASSERT_EQ(editor->Editor.SelectedFile, "b.mid");

    QTest::mouseClick(editor->pnlHeaders[1], Qt::LeftButton);
    EXPECT_EQ(titleOfRow(0), "Aria");
    EXPECT_EQ(titleOfRow(1), "Blue Lake");
    EXPECT_EQ(editor->sgdMidi->Row(), 1);
    EXPECT_EQ(editor->sgdMidi->Cells(1, 1), QStringLiteral("Blue Lake"));
    EXPECT_TRUE(editor->pnlHeaders[1]->font().bold());
    EXPECT_FALSE(editor->pnlHeaders[4]->font().bold());

    // A second click on the active header changes nothing.
    QTest::mouseClick(editor->pnlHeaders[1], Qt::LeftButton);
    EXPECT_EQ(editor->sgdMidi->Row(), 1);
    EXPECT_TRUE(editor->pnlHeaders[1]->font().bold());

    QTest::mouseClick(editor->pnlHeaders[4], Qt::LeftButton);
    EXPECT_EQ(titleOfRow(0), "Aria");
    EXPECT_EQ(editor->Editor.SelectedFile, "b.mid");
    EXPECT_EQ(editor->sgdMidi->Row(), 2);
}

TEST_F(EditorWindow, AFailedFetchLoadsTheLastGoodCopyAndShowsTheError)
{
    writeSettings("1=a.mid\r\n");
    const std::string older = cp932("Old,Someone,Piano,ポップス,0100,a.mid\r\n");
    writeFile(catalogueCopy, older);
    catalogueFails = true;
    openEditor();
    ASSERT_TRUE(waitUntil([this] { return editor->lblMID01->text() == QStringLiteral("通信エラー！！"); }));

    EXPECT_EQ(readFile(catalogueCopy), older);
    EXPECT_FALSE(player->State.CatalogueReady);
    EXPECT_EQ(editor->lblTune->text(), QStringLiteral("収録曲数 ( 1 曲 )"));
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 1 曲 00:01:00 )"));
    EXPECT_EQ(editor->lblMID01->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(editor->PGB->value(), 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(EditorWindow, PreviewWithoutASelectedTuneRequestsNothing)
{
    writeSettings("1=a.mid\r\n");
    catalogueFails = true;
    openEditor();
    ASSERT_TRUE(waitUntil([this] { return editor->lblMID01->text() == QStringLiteral("通信エラー！！"); }));
    const std::size_t requests = server.requests().size();

    QTest::keyClick(editor->sgdMidi, Qt::Key_Space);
    editor->btnPlayClick();
    testing_support::runEventsFor(100);
    EXPECT_EQ(server.requests().size(), requests);
    EXPECT_FALSE(QFile::exists(editor->Preview.SamplePath));
}

TEST_F(EditorWindow, OkStoresTheEditedListAndGivesTagOne)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    doubleClickCatalogueTune("b.mid");
    // The addition stays in memory until OK stores it.
    EXPECT_EQ(readFile(ini).find("2=b.mid"), std::string::npos);
    editor->btnOK->Click();

    EXPECT_EQ(editor->Tag, 1);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_NE(readFile(ini).find("[MIDI_list]\r\n1=a.mid\r\n2=b.mid\r\n"), std::string::npos) << readFile(ini);
    EXPECT_FALSE(QFile::exists(exe + QStringLiteral(".def")));
    EXPECT_FALSE(QFile::exists(editor->Preview.SamplePath));
}

TEST_F(EditorWindow, CancelAfterAnOptionChangeAsksNothingAndPutsTheFileBack)
{
    writeSettings("1=a.mid\r\n", "Shuffle=0\r\n");
    const std::string before = readFile(ini);
    openLoadedEditor();
    ConfirmAnswerer answerer(Qt::Key_Y);

    QTest::mouseClick(editor->rbOptions[0], Qt::LeftButton);
    EXPECT_NE(readFile(ini).find("Shuffle=1"), std::string::npos);
    EXPECT_TRUE(player->do_Shuffle->isChecked());

    QTest::keyClick(editor->sgdMidi, Qt::Key_Escape);
    EXPECT_TRUE(answerer.captions.isEmpty());
    EXPECT_EQ(editor->Tag, 0);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(readFile(ini), before);
    EXPECT_FALSE(player->do_Shuffle->isChecked());
    EXPECT_FALSE(QFile::exists(exe + QStringLiteral(".def")));
}

TEST_F(EditorWindow, CancelAfterAnEditAsksAndNoKeepsTheWindowAndTheTune)
{
    writeSettings("1=a.mid\r\n");
    const std::string before = readFile(ini);
    openLoadedEditor();
    doubleClickCatalogueTune("c.mid");
    {
        ConfirmAnswerer no(Qt::Key_N);
        QTest::keyClick(editor->sgdMidi, Qt::Key_Escape);
        EXPECT_EQ(no.captions, QStringList{QStringLiteral("終了確認")});
    }
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(player->State.PlayList.size(), 2u);

    editor->cmbSkin->setItemIndex(1);
    editor->cmbSkin->OnChange(editor->cmbSkin);
    EXPECT_EQ(player->State.SkinIndex, 1);
    EXPECT_NE(readFile(ini).find("SkinCol=1"), std::string::npos);

    ConfirmAnswerer yes(Qt::Key_Y);
    editor->btnCan->Click();
    EXPECT_EQ(yes.captions.size(), 1);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(readFile(ini), before);
    EXPECT_EQ(player->State.PlayList, std::vector<std::string>{"a.mid"});
    EXPECT_EQ(player->State.SkinIndex, 0);
    EXPECT_TRUE(player->do_Black->isChecked());
}

TEST_F(EditorWindow, ACancelThatCannotPutTheFileBackIsReportedAndThePlayerFollowsTheFileAsItIs)
{
    testing_support::FullFolder folder(1024);
    exe = folder.path() + QStringLiteral("/quavelo");
    ini = exe + QStringLiteral(".ini");
    writeSettings("1=a.mid\r\n");
    const std::string before = readFile(ini);
    openLoadedEditor();
    doubleClickCatalogueTune("c.mid");
    ASSERT_EQ(player->State.PlayList, (std::vector<std::string>{"a.mid", "c.mid"}));

    folder.fill();
    ConfirmAnswerer yes(Qt::Key_Y);
    editor->btnCan->Click();
    EXPECT_EQ(yes.captions.size(), 1);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->Tag, 0);
    EXPECT_EQ(errors, QStringList{ini + QStringLiteral(" に書き込めません")});
    // The tune added in the editor was never stored, so the player does not play it.
    EXPECT_EQ(player->State.PlayList, std::vector<std::string>{"a.mid"});
    EXPECT_EQ(readFile(exe + QStringLiteral(".def")), before) << "the copy of the settings as they were stays";
    editor.reset();
    player.reset();
}

TEST_F(EditorWindow, AnEditorThatCannotCopyTheSettingsSaysSoWhenItOpens)
{
    writeSettings("1=a.mid\r\n");
    ASSERT_TRUE(QDir().mkdir(exe + QStringLiteral(".def")));
    openLoadedEditor();
    EXPECT_EQ(errors, QStringList{QStringLiteral("ファイル %1.def を作成できません").arg(exe)});
}

TEST_F(EditorWindow, TheGapIsStoredInMillisecondsAndTheTotalFollows)
{
    writeSettings("1=a.mid\r\n2=b.mid\r\n3=c.mid\r\n");
    openLoadedEditor();
    EXPECT_EQ(editor->cmbWaite->ItemIndex(), 2);
    editor->cmbWaite->setItemIndex(3);
    editor->cmbWaite->OnChange(editor->cmbWaite);

    EXPECT_NE(readFile(ini).find("Waite=3000"), std::string::npos);
    EXPECT_EQ(player->State.WaitMs, 3000);
    EXPECT_EQ(editor->lblLstNo->text(), QStringLiteral("( 3 曲 00:10:21 )"));
    EXPECT_TRUE(editor->Editor.EditorModified);
}

TEST_F(EditorWindow, APreviewDownloadErrorShowsTheErrorAndResetsTheProgress)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    const int row = editor->Catalogue.rowOfFile("gone.mid");
    QTest::mouseClick(editor->sgdMidi->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdMidi, row));
    ASSERT_EQ(editor->Editor.SelectedFile, "gone.mid");

    editor->btnPlay->Click();
    ASSERT_TRUE(waitUntil([this] { return editor->lblMID01->text() == QStringLiteral("通信エラー！！"); }));
    EXPECT_EQ(requestedPaths().back(), "gone.mid");
    EXPECT_EQ(editor->PGB->value(), 0);
    EXPECT_FALSE(editor->Preview.timPlay.isActive());
    EXPECT_TRUE(editor->Preview.MPlay.FileName.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorWindow, APreviewPlaysToItsEndAndKeepsItsTitleInBlue)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    writeFile(player->State.TuneFilePath, "old tune");
    QTest::keyClick(editor->sgdMidi, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([this] { return editor->Preview.timPlay.isActive(); }));
    EXPECT_EQ(requestedPaths().back(), "c.mid");
    EXPECT_EQ(editor->lblPlay->text(), QStringLiteral("Aria"));

    ASSERT_TRUE(waitUntil([this] { return !editor->Preview.timPlay.isActive(); }, 20000));
    EXPECT_TRUE(editor->Preview.MPlay.FileName.isEmpty());
    EXPECT_EQ(editor->lblPlay->text(), QStringLiteral("Aria"));
    EXPECT_EQ(editor->lblPlay->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(editor->PGB->value(), 0);
    EXPECT_FALSE(QFile::exists(player->State.TuneFilePath));

    // Closing deletes the preview file.
    ASSERT_TRUE(QFile::exists(editor->Preview.SamplePath));
    editor->btnCan->Click();
    EXPECT_FALSE(QFile::exists(editor->Preview.SamplePath));
}

TEST_F(EditorWindow, MenuOpensTheEditorModallyAndOkRestartsTheEditedList)
{
    showPlayerOfOneTune();

    bool sawEditor = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *open = dynamic_cast<TfrmMidi *>(QApplication::activeModalWidget());
        if (!open || open->lblTune->text() == QStringLiteral("収録曲数 ( 0 曲 )"))
            return;
        poll.stop();
        sawEditor = true;
        EXPECT_FALSE(player->btnMemu->isEnabled());
        open->Catalogue.selectRow(open->Catalogue.rowOfFile("c.mid"));
        QTest::keyClick(open->sgdMidi, Qt::Key_Return);
        open->btnOK->Click();
    });
    poll.start();
    testing_support::clickLikeAUser(player->btnMemu);

    EXPECT_TRUE(sawEditor);
    EXPECT_EQ(player->State.PlayList, (std::vector<std::string>{"a.mid", "c.mid"}));
    ASSERT_TRUE(waitUntil([this] { return !requestedPaths().empty() && requestedPaths().back() == "a.mid"; }));
    EXPECT_EQ(player->State.TuneIndex, 0);
    EXPECT_TRUE(player->btnMemu->isEnabled());
}

TEST_F(EditorWindow, SpaceDuringAPreviewDownloadStartsNoSecondOne)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    server.setHandler([](const TestHttpServer::Request &) { return TestHttpServer::Reply::stalling(); });
    const std::size_t before = server.requests().size();
    // The first Space waits in its download; the second arrives meanwhile, then Escape
    // ends the window and with it the download.
    QTimer::singleShot(100, [this] {
        QTest::keyClick(editor->sgdMidi, Qt::Key_Space);
        QTimer::singleShot(100, [this] { QTest::keyClick(editor->sgdMidi, Qt::Key_Escape); });
    });
    QTest::keyClick(editor->sgdMidi, Qt::Key_Space);

    EXPECT_EQ(server.requests().size(), before + 1);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->PGB->value(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(EditorWindow, OkDuringAPreviewDownloadEndsItAndNothingPlaysAfterwards)
{
    writeSettings("1=a.mid\r\n");
    openLoadedEditor();
    server.setHandler([](const TestHttpServer::Request &) { return TestHttpServer::Reply::stalling(); });
    const std::size_t before = server.requests().size();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (server.requests().size() == before + 1) {
            poll.stop();
            testing_support::clickLikeAUser(editor->btnOK);
        }
    });
    poll.start();
    QTest::keyClick(editor->sgdMidi, Qt::Key_Space);

    EXPECT_FALSE(editor->Preview.HTTPGet3.isBusy()) << "the preview download ended with the window";
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->Tag, 1);
    testing_support::runEventsFor(400);
    EXPECT_FALSE(editor->Preview.MPlay.isOpen());
    EXPECT_TRUE(waitUntil([this] { return server.openConnections() == 0; }));
    EXPECT_FALSE(QFile::exists(editor->Preview.SamplePath));
}

TEST_F(EditorWindow, ClosingTheWindowByOtherMeansCancels)
{
    writeSettings("1=a.mid\r\n", "StayOnTop=0\r\n");
    const std::string before = readFile(ini);
    openLoadedEditor();
    QTest::mouseClick(editor->rbOptions[3], Qt::LeftButton);
    EXPECT_NE(readFile(ini).find("StayOnTop=1"), std::string::npos);

    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->Tag, 0);
    EXPECT_EQ(readFile(ini), before);
    EXPECT_FALSE(player->do_StayOnTop->isChecked());
}

// A stop signal or the desktop's Quit closes the player while the name dialog is open
// over the editor: the dialog goes with it as cancelled, and nothing is stored after the
// editor has put the settings back.
TEST_F(EditorWindow, QuittingWithANameDialogOpenCancelsItAndTheEditorAndEndsTheProgram)
{
    showPlayerOfOneTune();

    QPointer<TfrmInput> nameDialog;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *open = dynamic_cast<TfrmMidi *>(modal); open && open->isVisible() && catalogueShownIn(*open)) {
            QTimer::singleShot(0, [open] { testing_support::clickLikeAUser(open->btnAddFav); });
        } else if (auto *dialog = dynamic_cast<TfrmInput *>(modal); dialog && dialog->isVisible()) {
            poll.stop();
            nameDialog = dialog;
            dialog->edtInp->setText(QStringLiteral("新しい名前"));
            player->close();
        }
    });
    poll.start();
    testing_support::clickLikeAUser(player->btnMemu);

    ASSERT_TRUE(waitUntil([this] { return !player->isVisible(); }));
    EXPECT_TRUE(nameDialog.isNull() || !nameDialog->isVisible());
    EXPECT_EQ(ReadIniString(exe, "MIDI_FAV", "3", ""), "");
    EXPECT_EQ(ReadIniString(exe, "MIDI_FAV", "1", ""), "list");
    EXPECT_EQ(ReadIniInt(exe, "OPT", "FavNo", -1), 0);
    EXPECT_EQ(player->Sequencer.phase(), PlaybackSequencer::Phase::Closed);
}

// The desktop's Quit is the player's close button, which the open editor keeps from a click.
TEST_F(EditorWindow, TheDesktopsQuitDoesNothingWhileTheEditorIsOpen)
{
    showPlayerOfOneTune();
    PlayerMediaControls mediaControls(*player);

    bool stillOpen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *open = dynamic_cast<TfrmMidi *>(QApplication::activeModalWidget());
        if (!open || !open->isVisible() || !catalogueShownIn(*open))
            return;
        poll.stop();
        mediaControls.quit();
        testing_support::runEventsFor(100);
        stillOpen = open->isVisible() && player->isVisible();
        open->btnCan->Click();
    });
    poll.start();
    testing_support::clickLikeAUser(player->btnMemu);

    EXPECT_TRUE(stillOpen);
    mediaControls.quit();
    EXPECT_TRUE(waitUntil([this] { return !player->isVisible(); }));
}

TEST_F(EditorWindow, EachWheelStepMovesTheCatalogueThreeRows)
{
    openHundredTuneEditor();
    const auto turn = [this](int delta) {
        const QPointF at = cellCentre(editor->sgdMidi, 0);
        QWheelEvent wheel(at, editor->sgdMidi->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(editor->sgdMidi->viewport(), &wheel);
    };
    for (int step = 0; step < 3; ++step)
        turn(-120);
    EXPECT_EQ(editor->sgdMidi->TopRow(), 9);
    turn(120);
    EXPECT_EQ(editor->sgdMidi->TopRow(), 6);
    for (int step = 0; step < 50; ++step)
        turn(-120);
    EXPECT_LE(editor->sgdMidi->TopRow(), 100 - editor->sgdMidi->VisibleRowCount() + 2);
    EXPECT_GE(editor->sgdMidi->TopRow(), 100 - editor->sgdMidi->VisibleRowCount());
}

TEST_F(EditorWindow, HomeAndEndSelectTheFirstAndLastTuneAndTabLeavesTheGrid)
{
    openHundredTuneEditor();
    editor->sgdMidi->setFocus();
    QTest::keyClick(editor->sgdMidi, Qt::Key_Down);
    ASSERT_EQ(editor->lblMID01->text(), QStringLiteral("t1001"));

    // Each runs the selection step, as the arrow keys do, and the grid stays in line with
    // the header panels above it.
    QTest::keyClick(editor->sgdMidi, Qt::Key_End);
    EXPECT_EQ(editor->sgdMidi->Row(), 99);
    EXPECT_EQ(editor->Editor.SelectedFile, "f99.mid");
    EXPECT_EQ(editor->lblMID01->text(), QStringLiteral("t1099"));
    EXPECT_EQ(editor->sgdMidi->horizontalScrollBar()->value(), 0);
    EXPECT_GT(editor->sgdMidi->TopRow(), 60);
    QTest::keyClick(editor->sgdMidi, Qt::Key_Home);
    EXPECT_EQ(editor->sgdMidi->Row(), 0);
    EXPECT_EQ(editor->lblMID01->text(), QStringLiteral("t1000"));
    EXPECT_EQ(editor->sgdMidi->TopRow(), 0);

    QTest::keyClick(editor->sgdMidi, Qt::Key_Tab);
    EXPECT_NE(editor->focusWidget(), editor->sgdMidi);
    EXPECT_EQ(editor->sgdMidi->Row(), 0);
    EXPECT_EQ(editor->Editor.SelectedFile, "f0.mid");
}
