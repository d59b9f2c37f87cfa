#pragma once

#include <QString>

#include <string>

// The catalogue server that the program talks to when the settings name none.
inline constexpr const char *DefaultCatalogueHost = "127.0.0.1:8157";

// [OPT] Server ("host" or "host:port") when present, else the built-in host.
std::string CatalogueHost(const QString &settingsBase);

// "http://" + host + "/11veruvodirororir/music/": the catalogue, the tunes and the online
// manual all lie under it.
std::string CatalogueBaseUrl(const QString &settingsBase);

// Asks the desktop to show the online manual (base URL + "help/help.html") in the default
// browser, with the hourglass while it does. Nothing is verified or reported.
void OpenOnlineManual(const QString &settingsBase);
