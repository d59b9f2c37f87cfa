#pragma once

#include <QString>
#include <QStringList>

// Where the synthesiser looks for a General MIDI SoundFont, best first: a user's own
// .sf2 files in a "soundfonts" folder beside the executable, then the system's default
// and the two common General MIDI fonts that Debian ships.
namespace SoundFontSearch {

inline const QString systemFolder = QStringLiteral("/usr/share/sounds/sf2");

// The existing files, in the order to try them.
QStringList candidates(const QString &exeFolder, const QString &sharedFolder = systemFolder);

} // namespace SoundFontSearch
