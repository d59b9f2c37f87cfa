#pragma once

#include <QImage>
#include <QRgb>

// The see-through colour of the off-screen bitmaps and of the skins.
constexpr QRgb ColorKeyRgb = qRgb(255, 0, 255);

// A copy of image in which every pixel of exactly the key colour is fully transparent.
QImage WithColorKey(const QImage &image, QRgb key = ColorKeyRgb);
