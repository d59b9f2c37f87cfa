#include "controls/xxlabel.h"

#include <QMouseEvent>

TxxLabel::TxxLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TxxLabel::enterEvent(QEnterEvent *event)
{
    FireCrossing(OnMouseEnter, this, event);
}

void TxxLabel::leaveEvent(QEvent *event)
{
    FireCrossing(OnMouseLeave, this, event);
}

void TxxLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TxxLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click && OnClick)
        OnClick(this);
}
