#include "controls/artimage.h"

#include <QFileInfo>

QImage ArtImage(const QString &resource, qreal devicePixelRatio)
{
    if (devicePixelRatio >= 1.5) {
        const QFileInfo plain(resource);
        QImage doubled(plain.path() + QLatin1Char('/') + plain.completeBaseName() + QStringLiteral("@2x.")
                       + plain.suffix());
        if (!doubled.isNull()) {
            doubled.setDevicePixelRatio(2);
            return doubled;
        }
    }
    return QImage(resource);
}
