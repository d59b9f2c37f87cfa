#include "controls/lbspeedbutton.h"

#include "controls/artimage.h"
#include "controls/colorkey.h"

#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

TLbSpeedButton::TLbSpeedButton(QWidget *parent)
    : QWidget(parent)
{
    resize(100, 23);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
    if (parent)
        m_hotTrackFont = parent->window()->font();
    // The fade runs on the GUI thread: one step of the hot level every 30 ms.
    m_fade.setInterval(30);
    QObject::connect(&m_fade, &QTimer::timeout, this, [this] { fadeStep(); });
}

void TLbSpeedButton::repaintNow()
{
    // A see-through button needs its parent's background first; an opaque one paints at
    // once, so hover changes never wait for the parent.
    if (m_look.transparent || !isVisible())
        update();
    else
        repaint();
}

void TLbSpeedButton::setStyle(TLbSpeedButtonStyle style)
{
    m_look.style = EffectiveStyle(style, screen() ? screen()->depth() : 32);
    update();
}

void TLbSpeedButton::setColor(TColor color)
{
    m_look.color = color;
    update();
}

void TLbSpeedButton::setColorWhenDown(TColor color)
{
    m_look.colorWhenDown = color;
    repaintNow();
}

void TLbSpeedButton::setLightColor(TColor color)
{
    m_look.lightColor = color;
    repaintNow();
}

void TLbSpeedButton::setShadowColor(TColor color)
{
    m_look.shadowColor = color;
    repaintNow();
}

void TLbSpeedButton::setFontColor(TColor color)
{
    m_look.fontColor = color;
    update();
}

void TLbSpeedButton::setGlyph(const QImage &glyph)
{
    m_look.glyph = glyph;
    m_look.numGlyphs = glyph.height() > 0 ? glyph.width() / glyph.height() : 0;
    update();
}

void TLbSpeedButton::setNumGlyphs(int count)
{
    m_look.numGlyphs = count;
    update();
}

void TLbSpeedButton::setCaption(const QString &caption)
{
    m_look.caption = caption;
    update();
}

void TLbSpeedButton::setAlignment(TAlignment alignment)
{
    m_look.alignment = alignment;
    repaintNow();
}

void TLbSpeedButton::setLayout(TLbSpeedButtonLayout layout)
{
    m_look.layout = layout;
    repaintNow();
}

void TLbSpeedButton::setTransparent(bool transparent)
{
    m_look.transparent = transparent;
    if (transparent)
        update();
    else
        repaintNow();
}

void TLbSpeedButton::setWordWrap(bool wordWrap)
{
    m_look.wordWrap = wordWrap;
    repaintNow();
}

void TLbSpeedButton::setFlat(bool flat)
{
    m_look.flat = flat;
    repaintNow();
}

void TLbSpeedButton::setDown(bool down)
{
    if (m_groupIndex != 0 && down != m_look.down && parentWidget()) {
        for (auto *sibling : parentWidget()->findChildren<TLbSpeedButton *>(Qt::FindDirectChildrenOnly)) {
            if (sibling != this && sibling->m_groupIndex == m_groupIndex && sibling->m_look.down) {
                sibling->m_look.down = false;
                sibling->repaintNow();
            }
        }
    }
    m_look.down = down;
    repaintNow();
}

void TLbSpeedButton::setGroupIndex(int index)
{
    m_groupIndex = index;
    repaintNow();
}

void TLbSpeedButton::setSlowDecease(bool slow)
{
    m_slowDecease = slow;
    if (!slow)
        m_fade.stop();
    update();
}

void TLbSpeedButton::setPopupMenu(QMenu *menu)
{
    m_popupMenu = menu;
    update();
}

LbSpeedButtonLook TLbSpeedButton::look() const
{
    LbSpeedButtonLook look = m_look;
    look.width = width();
    look.height = height();
    look.enabled = isEnabled();
    const bool hotFont = m_look.mouseInside && m_useHotTrackFont;
    look.font = hotFont ? m_hotTrackFont : font();
    look.fontColor = hotFont ? m_hotTrackFontColor : m_look.fontColor;
    look.devicePixelRatio = devicePixelRatioF();
    if (m_popupMenu)
        look.popupArrow = ArtImage(QStringLiteral(":/LBARROW.bmp"), look.devicePixelRatio);
    return look;
}

void TLbSpeedButton::paintEvent(QPaintEvent *)
{
    const LbSpeedButtonLook current = look();
    const QImage picture = RenderLbSpeedButton(current);
    QPainter painter(this);
    painter.drawImage(0, 0, UsesColorKey(current) ? WithColorKey(picture) : picture);
}

bool TLbSpeedButton::parentShowing() const
{
    return !parentWidget() || parentWidget()->isVisible();
}

void TLbSpeedButton::enterEvent(QEnterEvent *)
{
    if (!isEnabled() || !isVisible() || !parentShowing())
        return;
    m_look.mouseInside = true;
    m_look.hotLevel = 8;
    m_fade.stop();
    repaintNow();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TLbSpeedButton::leaveEvent(QEvent *)
{
    m_look.mouseInside = false;
    if (m_slowDecease) {
        if (!m_fade.isActive())
            m_fade.start();
    } else {
        m_look.hotLevel = 0;
        repaintNow();
    }
    if (isEnabled() && isVisible() && parentShowing() && OnMouseExit)
        OnMouseExit(this);
}

void TLbSpeedButton::fadeStep()
{
    --m_look.hotLevel;
    if (m_look.hotLevel <= 0) {
        m_fade.stop();
        m_look.hotLevel = 0;
    }
    repaintNow();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() != Qt::LeftButton)
        return;
    if (m_groupIndex == 0 || !m_look.down)
        setDown(true);
    else if (m_allowAllUp)
        setDown(false);
}

void TLbSpeedButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is one more press, so two quick clicks are two clicks.
    mousePressEvent(event);
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QPointer<TLbSpeedButton> self(this);
    if (event->button() == Qt::LeftButton && rect().contains(pos))
        Click();
    if (!self)
        return;
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (self && m_groupIndex == 0)
        setDown(false);
}

void TLbSpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
}

void TLbSpeedButton::Click()
{
    if (m_popupMenu)
        m_popupMenu->exec(mapToGlobal(QPoint(0, height())));
    if (OnClick)
        OnClick(this);
}
