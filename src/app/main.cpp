#include "app/application.h"
#include "app/quitsignals.h"
#include "app/settings.h"
#include "app/singleinstance.h"
#include "dialogs/frmconfirm.h"
#include "player/frmmain.h"
#include "player/mprisservice.h"
#include "player/playermediacontrols.h"

#include <QFileInfo>
#include <QFont>

#include <csignal>

namespace {

// The layouts name two Japanese faces; IPA's fonts keep their metrics.
void mapJapaneseFaces()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
}

} // namespace

int main(int argc, char *argv[])
{
    HoldQuitSignals();
    // Past a file size limit a write then fails and is reported like a full disk,
    // instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // Named before the application exists: the data folder, which the guard may have to
    // lock, is named after it.
    QuaveloApplication::setApplicationName(QStringLiteral("Quavelo"));
    const QString executable = ExecutableFilePath();
    SingleInstanceGuard guard(ProgramFilesFolder(QFileInfo(executable).absolutePath()));
    if (!guard.acquire())
        return 0;

    // The player places its own window, which a Wayland client may not do; XWayland may.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QuaveloApplication app(argc, argv);
    QuaveloApplication::setQuitOnLastWindowClosed(true);
    mapJapaneseFaces();

    TfrmMain frmMain(executable);
    CreateConfirmDialog(&frmMain);
    QuitSignals quitSignals(&frmMain);
    PlayerMediaControls mediaControls(frmMain);
    MprisService mpris(QDBusConnection::sessionBus(), mediaControls);
    QObject::connect(&frmMain, &TfrmMain::nowPlayingChanged, &mpris, &MprisService::refresh);
    frmMain.show();
    ReleaseQuitSignals();
    app.exec();
    return 0;
}
