#include "midi/soundfontsearch.h"

#include <QDir>
#include <QFileInfo>

namespace SoundFontSearch {

QStringList candidates(const QString &exeFolder, const QString &sharedFolder)
{
    QStringList found;
    const QDir own(exeFolder + QStringLiteral("/soundfonts"));
    const QFileInfoList ownFonts =
        own.entryInfoList({QStringLiteral("*.sf2"), QStringLiteral("*.SF2")},
                          QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : ownFonts)
        found << info.absoluteFilePath();

    for (const char *name : {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"}) {
        const QFileInfo info(sharedFolder + QLatin1Char('/') + QLatin1String(name));
        if (info.isFile() && info.isReadable())
            found << info.absoluteFilePath();
    }
    return found;
}

} // namespace SoundFontSearch
