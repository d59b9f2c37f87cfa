#include "player/windowdragger.h"

#include <QMouseEvent>
#include <QWidget>

WindowDragger::WindowDragger(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

void WindowDragger::watch(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The right button opens the context menu instead.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return false;
        if (!m_dragging) {
            m_dragging = true;
            m_grabOffset = static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_window->pos();
        }
        return true;
    case QEvent::MouseMove:
        if (m_dragging)
            m_window->move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_grabOffset);
        return m_dragging;
    case QEvent::MouseButtonRelease:
        if (!m_dragging || static_cast<QMouseEvent *>(event)->buttons() != Qt::NoButton)
            return m_dragging;
        m_dragging = false;
        if (OnDropped)
            OnDropped();
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}
