#include "catalogue/cataloguehost.h"

#include "app/settings.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

std::string CatalogueHost(const QString &settingsBase)
{
    const std::string host = ReadIniString(settingsBase, "OPT", "Server", "");
    return host.empty() ? DefaultCatalogueHost : host;
}

std::string CatalogueBaseUrl(const QString &settingsBase)
{
    return "http://" + CatalogueHost(settingsBase) + "/11veruvodirororir/music/";
}

void OpenOnlineManual(const QString &settingsBase)
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    QDesktopServices::openUrl(QUrl(QString::fromStdString(CatalogueBaseUrl(settingsBase) + "help/help.html")));
    QGuiApplication::restoreOverrideCursor();
}
