#include "dialogs/dialogart.h"

#include "controls/colorkey.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

namespace {

QImage canvas(int width, int height, QRgb background)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(background);
    return image;
}

} // namespace

QImage InformationIcon()
{
    QImage image = canvas(32, 32, qRgba(0, 0, 0, 0));
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRect(1, 1, 29, 24));
    const QPolygon tail({QPoint(8, 21), QPoint(5, 30), QPoint(15, 24)});
    painter.drawPolygon(tail);
    // Cover the tail's join so that bubble and tail read as one outline.
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRect(8, 21, 7, 3));
    painter.setBrush(QColor(0, 0, 255));
    painter.drawRect(QRect(14, 5, 4, 4));
    painter.drawRect(QRect(14, 11, 4, 10));
    painter.drawRect(QRect(12, 11, 2, 2));
    painter.drawRect(QRect(12, 19, 8, 2));
    return image;
}

QImage StarIcon()
{
    QImage image = canvas(32, 32, qRgba(0, 0, 0, 0));
    QPolygon star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? 6.5 : 15.0;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << QPoint(int(std::lround(16 + radius * std::cos(angle))),
                       int(std::lround(17 + radius * std::sin(angle))));
    }
    QPainter painter(&image);
    painter.setPen(QPen(QColor(128, 128, 0), 1));
    painter.setBrush(QColor(255, 255, 0));
    painter.drawPolygon(star);
    return image;
}

QImage TickGlyph()
{
    QImage image = canvas(16, 16, ColorKeyRgb);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0, 0, 255), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(QPolygon({QPoint(2, 8), QPoint(6, 12), QPoint(13, 3)}));
    return image;
}

QImage CrossGlyph()
{
    QImage image = canvas(15, 13, ColorKeyRgb);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(3, 2, 11, 10);
    painter.drawLine(11, 2, 3, 10);
    return image;
}
