#include "catalogue/cataloguehost.h"

#include "app/settings.h"

std::string CatalogueHost(const QString &settingsBase)
{
    const std::string host = ReadIniString(settingsBase, "OPT", "Server", "");
    return host.empty() ? DefaultCatalogueHost : host;
}

std::string CatalogueBaseUrl(const QString &settingsBase)
{
    return "http://" + CatalogueHost(settingsBase) + "/11veruvodirororir/music/";
}
