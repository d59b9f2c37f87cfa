#include "app/application.h"
#include "app/quitsignals.h"
#include "app/singleinstance.h"
#include "dialogs/frmconfirm.h"
#include "player/frmmain.h"
#include "player/mprisservice.h"
#include "player/playermediacontrols.h"

#include <QFont>

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
    SingleInstanceGuard guard;
    if (!guard.acquire())
        return 0;

    // The player places its own window, which a Wayland client may not do; XWayland may.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QuaveloApplication app(argc, argv);
    QuaveloApplication::setApplicationName(QStringLiteral("Quavelo"));
    QuaveloApplication::setQuitOnLastWindowClosed(true);
    mapJapaneseFaces();

    TfrmMain frmMain(QuaveloApplication::applicationFilePath());
    CreateConfirmDialog(&frmMain);
    QuitSignals quitSignals(&frmMain);
    PlayerMediaControls mediaControls(frmMain);
    MprisService mpris(QDBusConnection::sessionBus(), mediaControls);
    QObject::connect(&frmMain, &TfrmMain::nowPlayingChanged, &mpris, &MprisService::refresh);
    frmMain.show();
    app.exec();
    return 0;
}
