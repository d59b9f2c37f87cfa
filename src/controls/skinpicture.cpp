#include "controls/skinpicture.h"

#include "controls/artimage.h"
#include "controls/colorkey.h"

#include <QPainter>

#include <cmath>

namespace {

// How far, in the window's pixels, the edge colours reach out on a fractional scale: the
// scaled shape and the nearest-pixel scaling of the picture may each be a pixel off.
constexpr int edgeReach = 2;

bool isWholeRatio(qreal ratio)
{
    return std::abs(ratio - std::round(ratio)) < 0.01;
}

} // namespace

QImage WithEdgesCarriedOverKey(const QImage &picture, QRgb key, int reach)
{
    QImage result = picture.convertToFormat(QImage::Format_RGB32);
    key |= 0xFF000000;
    for (int pass = 0; pass < reach; ++pass) {
        const QImage before = result;
        for (int y = 0; y < result.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
            for (int x = 0; x < result.width(); ++x) {
                if ((line[x] | 0xFF000000) != key)
                    continue;
                for (const QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
                    const QPoint at(x + step.x(), y + step.y());
                    if (!before.rect().contains(at))
                        continue;
                    const QRgb neighbour = before.pixel(at) | 0xFF000000;
                    if (neighbour != key) {
                        line[x] = neighbour;
                        break;
                    }
                }
            }
        }
    }
    return result;
}

SkinPicture::SkinPicture(QWidget *parent)
    : QWidget(parent)
{
}

void SkinPicture::setSkin(const QString &resource)
{
    m_resource = resource;
    m_ratio = 0;
    update();
}

const QImage &SkinPicture::pictureFor(qreal devicePixelRatio)
{
    if (devicePixelRatio != m_ratio) {
        m_ratio = devicePixelRatio;
        m_picture = ArtImage(m_resource, devicePixelRatio);
        if (!isWholeRatio(devicePixelRatio)) {
            const qreal pictureRatio = m_picture.devicePixelRatio();
            m_picture = WithEdgesCarriedOverKey(m_picture, ColorKeyRgb, int(std::ceil(edgeReach * pictureRatio)));
            m_picture.setDevicePixelRatio(pictureRatio);
        }
    }
    return m_picture;
}

void SkinPicture::paintEvent(QPaintEvent *)
{
    // The window paints once before its skin is chosen.
    if (m_resource.isEmpty())
        return;
    QPainter painter(this);
    // The scale from the widget's pixels to the pixels painted: the display's ratio on the
    // screen, 1 when the window is rendered at its own size.
    const qreal ratio = painter.deviceTransform().m11();
    painter.drawImage(QRect(QPoint(0, 0), size()), pictureFor(ratio));
}
