#include "editor/headerpanel.h"

#include <QMouseEvent>

HeaderPanel::HeaderPanel(QWidget *parent, int tag)
    : QLabel(parent)
    , Tag(tag)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setActiveLook(false);
}

void HeaderPanel::setActiveLook(bool active)
{
    m_active = active;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, active ? QColor(192, 192, 192) : QColor(128, 128, 128));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    QFont weight = font();
    weight.setBold(active);
    setFont(weight);
}

void HeaderPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
}
