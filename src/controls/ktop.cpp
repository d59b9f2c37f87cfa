#include "controls/ktop.h"

#include <QWidget>
#include <QWindow>

TKTop::TKTop(QWidget *owner)
    : m_owner(owner)
{
    setKTop(true);
}

TKTop::~TKTop()
{
    setKTop(false);
}

void TKTop::setKTop(bool onTop)
{
    m_onTop = onTop;
    QWidget *window = m_owner->window();
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    // QWidget::setWindowFlags re-creates a shown window (it flickers and may move). The
    // widget's record of its flags is updated without that, and the change goes to the
    // existing native window, whose platform sends the window manager the new state.
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlags(flags);
}
