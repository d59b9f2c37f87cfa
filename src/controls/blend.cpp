#include "controls/blend.h"

#include <QBitmap>
#include <QImage>
#include <QWidget>

TBlend::TBlend(QWidget *owner)
    : m_owner(owner)
{
}

void TBlend::setAlpha(quint8 alpha)
{
    if (alpha == m_alpha)
        return;
    m_alpha = alpha;
    apply();
}

void TBlend::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    apply();
}

void TBlend::setBlendMode(TBlendMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    apply();
}

void TBlend::setTransparentColor(TColor color)
{
    if (color == m_key)
        return;
    m_key = color;
    apply();
}

void TBlend::apply()
{
    ++m_applyCount;
    QWidget *window = m_owner->window();
    const bool keyed = m_active && m_mode != bmLWA_ALPHA;
    const bool faded = m_active && m_mode != bmLWA_COLORKEY;
    window->setWindowOpacity(faded ? m_alpha / 255.0 : 1.0);
    if (!keyed) {
        window->clearMask();
        return;
    }
    // The shape is whatever the window paints in any colour but the key, taken at the
    // window's own size: the mask is set in those pixels, and a scaled display scales it.
    QImage picture(window->size(), QImage::Format_RGB32);
    picture.setDevicePixelRatio(1);
    window->render(&picture, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    const QRgb key = ToQColor(m_key).rgb();
    window->setMask(QBitmap::fromImage(picture.createMaskFromColor(key, Qt::MaskInColor)));
}
