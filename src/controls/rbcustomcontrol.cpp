#include "controls/rbcustomcontrol.h"

#include <QEvent>
#include <QMouseEvent>

#include <algorithm>
#include <array>

namespace {

// Intervals by fade speed. The speed that picks from the table is the control's own and
// stays at its first entry; a button's FadeSpeed property does not reach it.
constexpr std::array<int, 4> fadeIntervals = {40, 20, 12, 8};
constexpr int fadeSpeedIndex = 0;

} // namespace

TRbCustomControl::TRbCustomControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_fade.setInterval(fadeIntervals[fadeSpeedIndex]);
    connect(&m_fade, &QTimer::timeout, this, [this] { fadeTick(); });
}

void TRbCustomControl::setTextShadow(bool shadow)
{
    if (shadow == m_textShadow)
        return;
    m_textShadow = shadow;
    update();
}

void TRbCustomControl::setShowCaption(bool show)
{
    if (show == m_showCaption)
        return;
    m_showCaption = show;
    update();
}

void TRbCustomControl::colorsChanged(bool gradients)
{
    if (gradients)
        UpdateGradients();
    else
        update();
}

void TRbCustomControl::fadeTick()
{
    if (m_fadeIn)
        FadeInStep();
    else
        FadeOutStep();
}

void TRbCustomControl::startFade(bool fadeIn)
{
    m_fadeIn = fadeIn;
    startFade();
}

void TRbCustomControl::startFade()
{
    m_fade.start();
}

void TRbCustomControl::EnabledChanged()
{
    update();
}

void TRbCustomControl::FocusChanged() {}

void TRbCustomControl::LeftMouseDown()
{
    if (!hasFocus() && focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
}

void TRbCustomControl::LeftMouseUp() {}

void TRbCustomControl::MouseEntered()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TRbCustomControl::MouseLeft()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TRbCustomControl::MouseMoved() {}

void TRbCustomControl::ParentColorChanged() {}

void TRbCustomControl::Resized() {}

void TRbCustomControl::TextChanged()
{
    update();
}

void TRbCustomControl::FadeInStep()
{
    if (m_over && m_clicked) {
        if (m_clickedLevel >= 100) {
            m_clickedLevel = 100;
            repaint();
            m_fade.stop();
        } else {
            m_clickedLevel += 25;
            repaint();
        }
        return;
    }
    if (m_clickedLevel > 0)
        m_clickedLevel -= 25;
    m_overLevel = std::min(m_overLevel + 10, 100);
    if (m_clickedLevel <= 0 && m_overLevel >= 100)
        m_fade.stop();
    repaint();
}

void TRbCustomControl::FadeOutStep()
{
    if (m_clickedLevel > 0)
        m_clickedLevel -= 25;
    if (m_overLevel > 0 || m_clickedLevel > 0) {
        m_overLevel -= 10;
    } else {
        m_overLevel = 0;
        m_clickedLevel = 0;
        m_fade.stop();
    }
    repaint();
}

void TRbCustomControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        EnabledChanged();
    else if (event->type() == QEvent::PaletteChange)
        ParentColorChanged();
    QWidget::changeEvent(event);
}

void TRbCustomControl::focusInEvent(QFocusEvent *event)
{
    FocusChanged();
    QWidget::focusInEvent(event);
}

void TRbCustomControl::focusOutEvent(QFocusEvent *event)
{
    FocusChanged();
    QWidget::focusOutEvent(event);
}

void TRbCustomControl::mouseCrossed(bool inside)
{
    if (inside == m_mouseInside || (inside && !isEnabled()))
        return;
    m_mouseInside = inside;
    if (inside)
        MouseEntered();
    else
        MouseLeft();
}

void TRbCustomControl::enterEvent(QEnterEvent *event)
{
    mouseCrossed(true);
    QWidget::enterEvent(event);
}

void TRbCustomControl::leaveEvent(QEvent *event)
{
    mouseCrossed(false);
    QWidget::leaveEvent(event);
}

void TRbCustomControl::mouseMoveEvent(QMouseEvent *event)
{
    // While a button is held the mouse stays grabbed, so leaving and coming back are
    // seen here rather than as leave and enter events.
    if (event->buttons() != Qt::NoButton)
        mouseCrossed(rect().contains(event->position().toPoint()));
    MouseMoved();
    QWidget::mouseMoveEvent(event);
}

void TRbCustomControl::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        mouseCrossed(true);
        LeftMouseDown();
    }
}

void TRbCustomControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TRbCustomControl::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        LeftMouseUp();
}

void TRbCustomControl::resizeEvent(QResizeEvent *event)
{
    Resized();
    QWidget::resizeEvent(event);
}
