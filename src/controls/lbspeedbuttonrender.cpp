#include "controls/lbspeedbuttonrender.h"

#include "controls/colorkey.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

int blendChannel(int from, int to, int level)
{
    return int(std::trunc(from * (1.0 - level / 8.0) + to * (level / 8.0)));
}

// A pen that draws like a polyline of the original toolkit: from the current point up to
// but not including the next one; horizontal and vertical segments only.
class PolyLine
{
public:
    PolyLine(QPainter &painter, QPoint start)
        : m_painter(painter)
        , m_current(start)
    {
    }

    PolyLine &to(int x, int y)
    {
        const QPoint target(x, y);
        const QPoint step((target.x() > m_current.x()) - (target.x() < m_current.x()),
                          (target.y() > m_current.y()) - (target.y() < m_current.y()));
        if (target != m_current)
            m_painter.drawLine(m_current, target - step);
        m_current = target;
        return *this;
    }

private:
    QPainter &m_painter;
    QPoint m_current;
};

void setPen(QPainter &painter, const QColor &color)
{
    painter.setPen(QPen(color, 0));
    painter.setBrush(Qt::NoBrush);
}

// The inclusive rectangle outline through two corners.
void outline(QPainter &painter, int left, int top, int right, int bottom)
{
    painter.drawLine(left, top, right, top);
    painter.drawLine(left, bottom, right, bottom);
    painter.drawLine(left, top, left, bottom);
    painter.drawLine(right, top, right, bottom);
}

void drawBevel(QPainter &painter, int width, int height, const QColor &topLeft,
               const QColor &bottomRight)
{
    setPen(painter, topLeft);
    PolyLine line(painter, QPoint(0, height - 1));
    line.to(0, 0).to(width - 1, 0);
    setPen(painter, bottomRight);
    line.to(width - 1, height - 1).to(0, height - 1);
}

void drawGlyphCell(QPainter &painter, const QImage &cell, int x, int y)
{
    if (cell.isNull())
        return;
    painter.drawImage(x, y, WithColorKey(cell, cell.pixel(0, cell.height() - 1)));
}

// cellPixels is the cell's width in the glyph's own pixels.
QImage glyphCell(const LbSpeedButtonLook &look, int cellPixels)
{
    if (cellPixels <= 0 || look.glyph.isNull())
        return {};
    int index = LbGlyphCellIndex(look);
    if ((index + 1) * cellPixels > look.glyph.width())
        index = 0;
    QImage cell = look.glyph.copy(index * cellPixels, 0, cellPixels, look.glyph.height());
    cell.setDevicePixelRatio(look.glyph.devicePixelRatio());
    return cell;
}

} // namespace

bool UsesColorKey(const LbSpeedButtonLook &look)
{
    return look.transparent || look.style == bsModern || look.style == bsShape
        || look.style == bsQuicken;
}

QColor LbFillColor(const LbSpeedButtonLook &look)
{
    QColor fill = ToQColor(look.color);
    if (look.enabled && look.hotTrackColor != clNone) {
        const QColor hot = ToQColor(look.hotTrackColor);
        const int level = look.hotLevel;
        fill = QColor(blendChannel(fill.red(), hot.red(), level),
                      blendChannel(fill.green(), hot.green(), level),
                      blendChannel(fill.blue(), hot.blue(), level));
    }
    if (look.down && look.enabled && look.colorWhenDown != clNone)
        fill = ToQColor(look.colorWhenDown);
    return fill;
}

int LbGlyphCellIndex(const LbSpeedButtonLook &look)
{
    if (!look.enabled)
        return 1;
    if (look.down && look.numGlyphs > 2)
        return 2;
    if (look.mouseInside && look.numGlyphs > 3)
        return 3;
    return 0;
}

QString ShortenCaption(const QString &caption, const QFont &font, int room)
{
    const QFontMetrics metrics(font);
    QString text = caption;
    while (!text.isEmpty() && metrics.horizontalAdvance(text) > room)
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    return text;
}

int LbCaptionRoom(const LbSpeedButtonLook &look)
{
    const int cellPixels = look.numGlyphs > 0 ? look.glyph.width() / look.numGlyphs : 0;
    const int cellWidth = qRound(cellPixels / look.glyph.devicePixelRatio());
    const bool glyphBeside = look.layout == blGlyphLeft || look.layout == blGlyphRight;
    return std::max(0, glyphBeside && cellWidth > 0 ? look.width - cellWidth - 12 : look.width - 8);
}

QFont FontFittingCaption(QFont font, const QString &caption, int room)
{
    font.setHintingPreference(QFont::PreferFullHinting);
    constexpr int narrowest = 80;
    for (int stretch = 100; stretch > narrowest; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(caption) <= room)
            return font;
    }
    font.setStretch(narrowest);
    return font;
}

void FillVerticalGradient(QImage &image, int left, int right, int top, int bottom,
                          const QColor &a, const QColor &b)
{
    if (bottom <= top || right <= left)
        return;
    QPainter painter(&image);
    const int span = bottom - top;
    const auto channel = [](int from, int to, int band) {
        return int(std::trunc(from + band * (to - from) / 31.0));
    };
    for (int band = 0; band < 32; ++band) {
        const int first = top + band * span / 31;
        const int last = std::min(bottom, first + span / 31 + 1);
        if (last <= first)
            continue;
        painter.fillRect(QRect(left, first, right - left, last - first),
                         QColor(channel(a.red(), b.red(), band), channel(a.green(), b.green(), band),
                                channel(a.blue(), b.blue(), band)));
    }
}

TLbSpeedButtonStyle EffectiveStyle(TLbSpeedButtonStyle style, int screenDepth)
{
    return style == bsModern && screenDepth <= 8 ? bsNormal : style;
}

QImage RenderLbSpeedButton(const LbSpeedButtonLook &look)
{
    const int w = look.width;
    const int h = look.height;
    const bool pressed = look.down && look.enabled;
    const int shift = pressed && look.style != bsEncarta ? 1 : 0;
    const QColor fill = LbFillColor(look);
    const QColor light = ToQColor(look.lightColor);
    const QColor shadow = ToQColor(look.shadowColor);

    const qreal ratio = look.devicePixelRatio > 0 ? look.devicePixelRatio : 1;
    QImage image(int(std::ceil(std::max(w, 1) * ratio)), int(std::ceil(std::max(h, 1) * ratio)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(UsesColorKey(look) ? QColor(ColorKeyRgb) : fill);

    // Background.
    if (look.style == bsModern && !look.transparent) {
        FillVerticalGradient(image, 2, w - 2, 2, h / 4 + shift, light, fill);
        FillVerticalGradient(image, 2, w - 2, h / 4 + shift, h - 1, fill, light);
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Outline.
    const bool bevelShows = !look.flat || ((look.mouseInside || pressed) && look.enabled);
    switch (look.style) {
    case bsModern:
        setPen(painter, pressed ? shadow : fill);
        outline(painter, 1, 1, w - 2, h - 2);
        setPen(painter, shadow);
        painter.drawRoundedRect(QRect(0, 0, w - 1, h - 1), 3, 3, Qt::AbsoluteSize);
        break;
    case bsNormal:
    case bsEncarta:
        if (bevelShows)
            drawBevel(painter, w, h, pressed ? shadow : light, pressed ? light : shadow);
        break;
    case bsOld:
        if (bevelShows) {
            const QColor darkest = ToQColor(cl3DDkShadow);
            setPen(painter, shadow);
            if (pressed)
                PolyLine(painter, QPoint(1, h - 3)).to(1, 1).to(w - 2, 1);
            else
                PolyLine(painter, QPoint(w - 2, 0)).to(w - 2, h - 2).to(0, h - 2);
            drawBevel(painter, w, h, pressed ? darkest : light, pressed ? light : darkest);
        }
        break;
    case bsQuicken: {
        QPainterPath body;
        body.addRoundedRect(QRectF(0, 1, w - 1, h - 2), 2, 2);
        painter.fillPath(body, fill);
        setPen(painter, shadow);
        painter.drawLine(4, 0, w - 6, 0);
        painter.drawLine(4, h - 1, w - 6, h - 1);
        break;
    }
    case bsShape:
        break;
    }

    QFont font = look.font;
    if (look.style == bsEncarta && pressed)
        font.setBold(true);
    // Smoothed edges would mix the caption with the see-through colour into a fringe
    // that is no longer keyed out.
    if (UsesColorKey(look))
        font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);

    const int cellPixels = look.numGlyphs > 0 ? look.glyph.width() / look.numGlyphs : 0;
    const qreal glyphRatio = look.glyph.devicePixelRatio();
    const int cellWidth = qRound(cellPixels / glyphRatio);
    const int glyphHeight = qRound(look.glyph.height() / glyphRatio);
    const QImage cell = glyphCell(look, cellPixels);

    const bool glyphBeside = look.layout == blGlyphLeft || look.layout == blGlyphRight;
    const int room = LbCaptionRoom(look);
    const QString caption = look.wordWrap ? look.caption : ShortenCaption(look.caption, font, room);
    int textWidth = 0;
    int textHeight = 0;
    if (!caption.isEmpty()) {
        const QRect measured =
            QFontMetrics(font).boundingRect(QRect(0, 0, room, INT_MAX / 2), Qt::TextWordWrap, caption);
        textWidth = measured.width();
        textHeight = measured.height();
    }

    if (look.style == bsShape) {
        drawGlyphCell(painter, cell, (w - cellWidth) / 2, (h - glyphHeight) / 2);
        const int top = (h - textHeight) / 2 + shift;
        painter.setPen(ToQColor(look.fontColor));
        painter.drawText(QRect(shift, top, w - shift, h - top),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, caption);
    } else {
        int tx = shift + 4;
        int ty = 0;
        int gx = 0;
        int gy = 0;
        if (!glyphBeside) {
            const int block = glyphHeight <= 0 ? textHeight : textHeight + glyphHeight + 4;
            const int top = (h - block) / 2;
            ty = look.layout == blGlyphTop ? top + glyphHeight + shift : top + shift;
            gy = look.layout == blGlyphTop ? top + shift : top + textHeight + shift;
            switch (look.alignment) {
            case taLeftJustify: gx = shift + 4; break;
            case taRightJustify: gx = w + shift - cellWidth - 4; break;
            case taCenter: gx = (w - cellWidth) / 2 + shift; break;
            }
        } else {
            ty = (h - textHeight) / 2 + shift;
            gy = (h - glyphHeight) / 2 + shift;
            const int besideText = caption.isEmpty() ? 0 : textWidth + 4;
            if (look.layout == blGlyphRight) {
                gx = tx + besideText;
                if (!look.wordWrap && look.alignment == taRightJustify)
                    gx = w + shift - cellWidth - 4;
                else if (!look.wordWrap && look.alignment == taCenter)
                    gx = (w - cellWidth) / 2 + shift + besideText / 2;
            } else {
                if (cellWidth > 0)
                    tx += cellWidth + 4;
                gx = shift + 4;
                if (!look.wordWrap && look.alignment == taRightJustify)
                    gx = w + shift - cellWidth - besideText - 4;
                else if (!look.wordWrap && look.alignment == taCenter)
                    gx = (w - cellWidth) / 2 + shift - besideText / 2;
            }
        }
        const Qt::Alignment horizontal = look.alignment == taCenter ? Qt::AlignHCenter
            : look.alignment == taRightJustify                     ? Qt::AlignRight
                                                                   : Qt::AlignLeft;
        painter.setPen(look.enabled ? ToQColor(look.fontColor) : ToQColor(clGray));
        painter.drawText(QRect(tx, ty, room, textHeight), horizontal | Qt::AlignTop | Qt::TextWordWrap,
                         caption);
        drawGlyphCell(painter, cell, gx, gy);
    }

    if (!look.popupArrow.isNull())
        drawGlyphCell(painter, look.popupArrow, w - 11, h / 2 - 1);
    return image;
}
