#include "controls/colorkey.h"

QImage WithColorKey(const QImage &image, QRgb key)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    key |= 0xFF000000;
    for (int y = 0; y < keyed.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] | 0xFF000000) == key && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return keyed;
}
