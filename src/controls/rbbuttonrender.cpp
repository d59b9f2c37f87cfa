#include "controls/rbbuttonrender.h"

#include "controls/colorkey.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr TColor clBtnHighlight = 0x80000014;
constexpr TColor clBtnShadow = 0x80000010;

// numerator / denominator (both >= 0, denominator > 0) rounded to the nearest integer,
// ties to the even one; exact, so no floating-point error decides a tie.
int roundedQuotient(long long numerator, long long denominator)
{
    long long quotient = numerator / denominator;
    const long long twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        ++quotient;
    return int(quotient);
}

// from + (to - from) / steps * position, rounded.
int gradientChannel(int from, int to, int position, int steps)
{
    return std::clamp(roundedQuotient(1LL * from * steps + 1LL * (to - from) * position, steps),
                      0, 255);
}

QRgb gradientColour(const QColor &from, const QColor &to, int position, int steps)
{
    return qRgb(gradientChannel(from.red(), to.red(), position, steps),
                gradientChannel(from.green(), to.green(), position, steps),
                gradientChannel(from.blue(), to.blue(), position, steps));
}

int blendChannel(int picture, int layer, int level)
{
    return roundedQuotient(1LL * picture * (100 - level) + 1LL * layer * level, 100);
}

void setPixel(QImage &image, int x, int y, QRgb colour)
{
    if (image.rect().contains(x, y))
        image.setPixel(x, y, colour);
}

void rectangleOutline(QImage &image, QRgb colour)
{
    const int w = image.width();
    const int h = image.height();
    for (int x = 0; x < w; ++x) {
        setPixel(image, x, 0, colour);
        setPixel(image, x, h - 1, colour);
    }
    for (int y = 0; y < h; ++y) {
        setPixel(image, 0, y, colour);
        setPixel(image, w - 1, y, colour);
    }
}

// The outline of the client area with 5 x 5 corner ellipses: the straight edges stop two
// pixels before each corner, which one diagonal pixel bridges.
void roundedOutline(QImage &image, QRgb colour)
{
    const int w = image.width();
    const int h = image.height();
    for (int x = 2; x <= w - 3; ++x) {
        setPixel(image, x, 0, colour);
        setPixel(image, x, h - 1, colour);
    }
    for (int y = 2; y <= h - 3; ++y) {
        setPixel(image, 0, y, colour);
        setPixel(image, w - 1, y, colour);
    }
    setPixel(image, 1, 1, colour);
    setPixel(image, w - 2, 1, colour);
    setPixel(image, 1, h - 2, colour);
    setPixel(image, w - 2, h - 2, colour);
}

// A dotted rectangle that inverts every other pixel, so it shows on any gradient.
void focusRectangle(QImage &image, const QRect &rect)
{
    const auto invert = [&image](int x, int y) {
        if ((x + y) % 2 == 0 && image.rect().contains(x, y))
            image.setPixel(x, y, image.pixel(x, y) ^ 0x00FFFFFF);
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        invert(x, rect.top());
        if (rect.bottom() != rect.top())
            invert(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        invert(rect.left(), y);
        if (rect.right() != rect.left())
            invert(rect.right(), y);
    }
}

QString shownCaption(const RbButtonLook &look, const QRect &captionRect)
{
    const QFontMetrics metrics(look.font);
    return metrics.elidedText(look.caption, Qt::ElideRight, std::max(captionRect.width(), 0),
                              Qt::TextSingleLine);
}

} // namespace

QImage RbGradient(int width, int height, const QColor &from, const QColor &to,
                  TGradientType type)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    if (from.rgb() == to.rgb()) {
        image.fill(from.rgb());
        return image;
    }
    const int w = image.width();
    const int h = image.height();
    const QPointF centre((w - 1) / 2.0, (h - 1) / 2.0);
    const int radius = int(std::ceil(std::hypot(centre.x(), centre.y()))) + 1;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int position = y;
            int steps = h;
            switch (type) {
            case gtVertical:
                break;
            case gtHorizontal:
                position = x;
                steps = w;
                break;
            case gtFromTopLeft:
                position = x + y;
                steps = w + h - 1;
                break;
            case gtFromTopRight:
                position = (w - 1 - x) + y;
                steps = w + h - 1;
                break;
            case gtRadial:
                position = int(std::hypot(x - centre.x(), y - centre.y()));
                steps = radius;
                break;
            case gtDoubleHorz:
                position = 2 * std::min(x, w - 1 - x);
                steps = w;
                break;
            case gtDoubleVert:
                position = 2 * std::min(y, h - 1 - y);
                break;
            }
            line[x] = gradientColour(from, to, position, steps);
        }
    }
    return image;
}

void RbBlend(QImage &picture, const QImage &layer, const QRect &rect, int level)
{
    if (level <= 0)
        return;
    level = std::min(level, 100);
    const QRect area = rect.intersected(picture.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int layerY = y - rect.top();
        if (layerY >= layer.height())
            break;
        for (int x = area.left(); x <= area.right(); ++x) {
            const int layerX = x - rect.left();
            if (layerX >= layer.width())
                break;
            const QRgb p = picture.pixel(x, y);
            const QRgb l = layer.pixel(layerX, layerY);
            picture.setPixel(x, y,
                             qRgb(blendChannel(qRed(p), qRed(l), level),
                                  blendChannel(qGreen(p), qGreen(l), level),
                                  blendChannel(qBlue(p), qBlue(l), level)));
        }
    }
}

QImage RbGreyGlyph(const QImage &glyph)
{
    QImage grey = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb p = line[x];
            const int g = std::min((qRed(p) + qGreen(p) + qBlue(p)) / 3 + 64, 255);
            line[x] = qRgba(g, g, g, qAlpha(p));
        }
    }
    return grey;
}

RbButtonPlacement PlaceRbButtonContent(const RbButtonLook &look, QSize captionSize)
{
    const int w = look.width;
    const int h = look.height;
    const int gw = look.glyph.isNull() ? 0 : look.glyph.width();
    const int gh = look.glyph.isNull() ? 0 : look.glyph.height();
    const int spacing = look.spacing;
    const bool hasGlyph = !look.glyph.isNull();
    const bool caption = look.showCaption && !look.caption.isEmpty();

    // Edges as exclusive right/bottom coordinates, as the formulas count them.
    int left = 0, top = 0, right = w, bottom = h;
    if (hasGlyph) {
        switch (look.layout) {
        case blGlyphLeft:
            left += gw + spacing;
            break;
        case blGlyphRight:
            right -= gw + spacing;
            break;
        case blGlyphTop:
            top += gh + spacing;
            break;
        case blGlyphBottom:
            bottom -= gh + spacing;
            break;
        }
    }
    RbButtonPlacement placement;
    placement.captionRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    const int cw = caption ? captionSize.width() : 0;
    const int ch = caption ? captionSize.height() : 0;
    switch (look.layout) {
    case blGlyphLeft:
        placement.glyphPos = QPoint(caption ? (left + right - cw) / 2 - spacing - gw
                                            : (left + right - spacing) / 2 - gw,
                                    (h - gh) / 2);
        break;
    case blGlyphRight:
        placement.glyphPos = QPoint(caption ? (left + right + cw) / 2 + spacing
                                            : (left + right + spacing) / 2,
                                    (h - gh) / 2);
        break;
    case blGlyphTop:
        placement.glyphPos = QPoint((w - gw) / 2, caption ? (top + bottom - ch) / 2 - spacing - gh
                                                          : (top + bottom - spacing) / 2 - gh);
        break;
    case blGlyphBottom:
        placement.glyphPos = QPoint((w - gw) / 2, caption ? (top + bottom + ch) / 2 + spacing
                                                          : (top + bottom + spacing) / 2);
        break;
    }
    return placement;
}

QImage RenderRbButton(const RbButtonLook &look)
{
    const int w = std::max(look.width, 1);
    const int h = std::max(look.height, 1);
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(ToQColor(look.color));

    {
        QPainter painter(&picture);
        painter.drawImage(QPoint(1, 1), look.defaultGradient, QRect(0, 0, w - 1, h - 1));
    }
    RbBlend(picture, look.overGradient, picture.rect(), look.overLevel);
    if (look.clickedLevel > 0) {
        const QRect rect = look.gradientBorder ? picture.rect().adjusted(3, 3, -3, -3)
                                               : picture.rect();
        RbBlend(picture, look.clickedGradient, rect, look.clickedLevel);
    }
    rectangleOutline(picture, ToQColor(look.color).rgb());
    roundedOutline(picture, ToQColor(look.borderColor).rgb());

    const QFontMetrics metrics(look.font);
    RbButtonPlacement placement = PlaceRbButtonContent(look, QSize());
    const QString caption = look.showCaption ? shownCaption(look, placement.captionRect) : QString();
    const QSize captionSize(metrics.horizontalAdvance(caption), metrics.height());
    placement = PlaceRbButtonContent(look, captionSize);

    QPainter painter(&picture);
    if (!caption.isEmpty()) {
        painter.setFont(look.font);
        const QRect area = placement.captionRect;
        const int x = (area.left() + area.right() + 1 - captionSize.width()) / 2;
        const QRect textRect(x, area.top(), captionSize.width() + 1, area.height());
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        const auto draw = [&](const QRect &rect, TColor colour) {
            painter.setPen(ToQColor(colour));
            painter.drawText(rect, flags, caption);
        };
        if (look.enabled) {
            if (look.textShadow)
                draw(textRect.translated(1, 1), look.textShadowColor);
            draw(textRect, look.hotTrack && look.mouseOver ? look.hotTrackColor : look.fontColor);
        } else {
            draw(textRect.translated(1, 1), clBtnHighlight);
            draw(textRect, clBtnShadow);
        }
    }
    if (!look.glyph.isNull()) {
        const QImage keyed = WithColorKey(look.glyph.convertToFormat(QImage::Format_RGB32),
                                          look.glyph.pixel(0, look.glyph.height() - 1));
        painter.drawImage(placement.glyphPos, look.enabled ? keyed : RbGreyGlyph(keyed));
    }
    painter.end();

    if (look.focused && look.showFocusRect)
        focusRectangle(picture, picture.rect().adjusted(2, 2, -2, -2));
    return picture;
}
