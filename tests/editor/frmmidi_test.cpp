#include "app/application.h"
#include "app/text.h"
#include "controls/lbspeedbutton.h"
#include "controls/xxcombobox.h"
#include "controls/xxstringgrid.h"
#include "dialogs/frmconfirm.h"
#include "dialogs/frminput.h"
#include "editor/frmmidi.h"
#include "editor/headerpanel.h"
#include "player/frmmain.h"
#include "support/eventwait.h"
#include "support/httpserver.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"
#include "support/userinput.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using testing_support::readFile;
using testing_support::TestHttpServer;
using testing_support::waitUntil;
using testing_support::writeFile;

namespace {

const std::string musicPath = "/11veruvodirororir/music/";

std::string cp932(const char *utf8)
{
    return text::toCp932(QString::fromUtf8(utf8)).value();
}

// Answers every confirmation box that comes up with Y or N and keeps what it asked.
class ConfirmAnswerer
{
public:
    explicit ConfirmAnswerer(Qt::Key key)
        : m_key(key)
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto *box = dynamic_cast<TfrmConfirm *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            captions << box->windowTitle();
            QTest::keyClick(box, m_key);
        });
        m_poll.start();
    }

    QStringList captions;

private:
    Qt::Key m_key;
    QTimer m_poll;
};

// Types a name into the next name dialog and presses Enter; remembers the text offered.
class NameAnswerer
{
public:
    explicit NameAnswerer(const QString &name)
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this, name] {
            auto *dialog = dynamic_cast<TfrmInput *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            m_poll.stop();
            title = dialog->lblTitle->text();
            offered = dialog->edtInp->text();
            dialog->edtInp->setText(name);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        m_poll.start();
    }

    QString title;
    QString offered;

private:
    QTimer m_poll;
};

class EditorWindow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString exe = dir.path() + QStringLiteral("/quavelo");
    QString ini = exe + QStringLiteral(".ini");
    QString catalogueCopy = dir.path() + QStringLiteral("/@Midi.DBF");
    TestHttpServer server{[this](const TestHttpServer::Request &request) { return answer(request); }};
    std::string catalogue = cp932("ジングルベル,Pierpont,Piano,クリスマス,0300,a.mid\r\n"
                                  "\"Blue Lake\",,Flute,クリスマス,0430,b.mid\r\n"
                                  "Aria,Bach,Organ,クラシック,0245,c.mid\r\n"
                                  "Broken,,Harp,クラシック,0100,gone.mid\r\n");
    bool catalogueFails = false;
    QStringList errors;
    std::unique_ptr<TfrmMain> player;
    std::unique_ptr<TfrmMidi> editor;

    void SetUp() override
    {
        SetErrorSink([this](const QString &message) { errors << message; });
    }
    void TearDown() override
    {
        editor.reset();
        player.reset();
        SetErrorSink(nullptr);
    }

    TestHttpServer::Reply answer(const TestHttpServer::Request &request)
    {
        const std::string name = request.path.substr(std::min(request.path.size(), musicPath.size()));
        if (name == "@Midi.DBF")
            return catalogueFails ? TestHttpServer::Reply::withBody("", 500) : TestHttpServer::Reply::withBody(catalogue);
        if (name == "gone.mid")
            return TestHttpServer::Reply::withBody("not here", 404);
        return TestHttpServer::Reply::withBody(testing_support::makeTune(1));
    }

    std::vector<std::string> requestedPaths() const
    {
        std::vector<std::string> paths;
        for (const auto &request : server.requests())
            paths.push_back(request.path.substr(std::min(request.path.size(), musicPath.size())));
        return paths;
    }

    void writeSettings(const std::string &tunes, const std::string &options = "")
    {
        writeFile(ini, "[OPT]\r\nUsed=1\r\nWaite=2000\r\nFavNo=0\r\nSkinCol=0\r\nServer=" + server.host()
                           + "\r\n" + options + "[MIDI_FAV]\r\n1=list\r\n2=other\r\n[MIDI_list]\r\n" + tunes
                           + "[MIDI_other]\r\n1=c.mid\r\n");
    }

    // The player as the editor finds it: its state read from the settings, not playing.
    void openEditor()
    {
        player = std::make_unique<TfrmMain>(exe);
        player->State.LoadFavNames();
        player->State.LoadCurrentPlayList();
        player->State.LoadWait();
        player->ApplyOptions();
        editor = std::make_unique<TfrmMidi>(player.get());
        editor->show();
    }
    bool catalogueShown() const { return editor->lblTune->text() != QStringLiteral("収録曲数 ( 0 曲 )"); }
    void openLoadedEditor()
    {
        openEditor();
        ASSERT_TRUE(waitUntil([this] { return catalogueShown(); }));
    }

    // A catalogue of 100 tunes "t1000" to "t1099" in files "f0.mid" to "f99.mid", all of
    // one genre, so that row i holds tune i; the play list holds f5.mid.
    void openHundredTuneEditor()
    {
        catalogue.clear();
        for (int i = 0; i < 100; ++i)
            catalogue += "t" + std::to_string(1000 + i) + ",c,i,g,0100,f" + std::to_string(i) + ".mid\r\n";
        writeSettings("1=f5.mid\r\n");
        openLoadedEditor();
    }

    QPoint cellCentre(TxxStringGrid *grid, int row) const
    {
        return grid->visualRect(grid->model()->index(row, 1)).center();
    }
    void doubleClickCatalogueTune(const std::string &fileName)
    {
        const int row = editor->Catalogue.rowOfFile(fileName);
        ASSERT_GE(row, 0);
        QTest::mouseDClick(editor->sgdMidi->viewport(), Qt::LeftButton, {}, cellCentre(editor->sgdMidi, row));
    }
    std::string titleOfRow(int row) const { return editor->Catalogue.grid().cell(row, 1); }
};

} // namespace

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
    EXPECT_TRUE(editor->sgdMidi->hasFocus() || !editor->isActiveWindow());

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
    editor.reset();
    player.reset();
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

TEST_F(EditorWindow, MenuOpensTheEditorModallyAndOkRestartsTheEditedList)
{
    writeSettings("1=a.mid\r\n");
    writeFile(catalogueCopy, catalogue);
    player = std::make_unique<TfrmMain>(exe);
    player->show();
    ASSERT_TRUE(waitUntil([this] { return player->btnMemu->isEnabled(); }));

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
