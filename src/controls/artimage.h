#pragma once

#include <QImage>
#include <QString>

// One of the program's pictures (":/play.bmp", say) as drawn for a display of the given
// device pixel ratio: from a ratio of 1.5 on the one drawn at twice the size
// (":/play@2x.bmp"), marked with its ratio so that it paints at the plain one's size.
QImage ArtImage(const QString &resource, qreal devicePixelRatio);
