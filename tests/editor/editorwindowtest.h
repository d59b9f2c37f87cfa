#pragma once

// The editor window's tests: a player and its editor over a test catalogue server, and
// helpers that answer the dialogs that the editor opens.

#include "app/application.h"
#include "app/text.h"
#include "controls/xxstringgrid.h"
#include "dialogs/frmconfirm.h"
#include "dialogs/frminput.h"
#include "editor/frmmidi.h"
#include "player/frmmain.h"
#include "support/eventwait.h"
#include "support/httpserver.h"
#include "support/smfwriter.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline const std::string musicPath = "/11veruvodirororir/music/";

inline std::string cp932(const char *utf8)
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
    testing_support::TestHttpServer server{[this](const testing_support::TestHttpServer::Request &request) { return answer(request); }};
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

    testing_support::TestHttpServer::Reply answer(const testing_support::TestHttpServer::Request &request)
    {
        const std::string name = request.path.substr(std::min(request.path.size(), musicPath.size()));
        if (name == "@Midi.DBF")
            return catalogueFails ? testing_support::TestHttpServer::Reply::withBody("", 500) : testing_support::TestHttpServer::Reply::withBody(catalogue);
        if (name == "gone.mid")
            return testing_support::TestHttpServer::Reply::withBody("not here", 404);
        return testing_support::TestHttpServer::Reply::withBody(testing_support::makeTune(1));
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
        testing_support::writeFile(ini, "[OPT]\r\nUsed=1\r\nWaite=2000\r\nFavNo=0\r\nSkinCol=0\r\nServer=" + server.host()
                           + "\r\n" + options + "[MIDI_FAV]\r\n1=list\r\n2=other\r\n[MIDI_list]\r\n" + tunes
                           + "[MIDI_other]\r\n1=c.mid\r\n");
    }

    // The player shown with a one-tune list and a catalogue copy, its buttons on.
    void showPlayerOfOneTune()
    {
        writeSettings("1=a.mid\r\n");
        testing_support::writeFile(catalogueCopy, catalogue);
        player = std::make_unique<TfrmMain>(exe);
        player->show();
        ASSERT_TRUE(testing_support::waitUntil([this] { return player->btnMemu->isEnabled(); }));
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
    static bool catalogueShownIn(const TfrmMidi &window) { return window.lblTune->text() != QStringLiteral("収録曲数 ( 0 曲 )"); }
    bool catalogueShown() const { return catalogueShownIn(*editor); }
    void openLoadedEditor()
    {
        openEditor();
        ASSERT_TRUE(testing_support::waitUntil([this] { return catalogueShown(); }));
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
