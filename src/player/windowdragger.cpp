#include "player/windowdragger.h"

#include <QMouseEvent>
#include <QWidget>

WindowDragger::WindowDragger(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    // A modal window that opens mid-drag takes the mouse: the release never comes back.
    window->installEventFilter(this);
}

void WindowDragger::watch(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool WindowDragger::press(const QMouseEvent *event)
{
    // The right button opens the context menu instead.
    if (event->button() == Qt::RightButton)
        return false;
    // A press with no other button held starts a drag afresh, also after a drag whose
    // release went elsewhere.
    if (!m_dragging || event->buttons() == event->button()) {
        m_dragging = true;
        m_grabOffset = event->globalPosition().toPoint() - m_window->pos();
    }
    return true;
}

void WindowDragger::drop()
{
    m_dragging = false;
    if (OnDropped)
        OnDropped();
}

bool WindowDragger::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::WindowBlocked && m_dragging)
            drop();
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    // The second press of a double click arrives as a double click.
    case QEvent::MouseButtonDblClick:
        return press(static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove: {
        if (!m_dragging)
            return false;
        const auto *move = static_cast<QMouseEvent *>(event);
        if (!(move->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
            drop();
            return true;
        }
        m_window->move(move->globalPosition().toPoint() - m_grabOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_dragging || static_cast<QMouseEvent *>(event)->buttons() != Qt::NoButton)
            return m_dragging;
        drop();
        return true;
    default:
        return false;
    }
}
