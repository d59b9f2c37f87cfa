#include "controls/xxevents.h"

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QWheelEvent>
#include <QWidget>

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState state;
    state.setFlag(ssShift, modifiers & Qt::ShiftModifier);
    state.setFlag(ssAlt, modifiers & Qt::AltModifier);
    state.setFlag(ssCtrl, modifiers & Qt::ControlModifier);
    state.setFlag(ssLeft, buttons & Qt::LeftButton);
    state.setFlag(ssRight, buttons & Qt::RightButton);
    state.setFlag(ssMiddle, buttons & Qt::MiddleButton);
    return state;
}

TShiftState CurrentShiftState()
{
    return ShiftStateOf(QGuiApplication::queryKeyboardModifiers(),
                        QGuiApplication::mouseButtons());
}

int WheelStep(const QWheelEvent *event)
{
    const int turn = event->angleDelta().y();
    if (turn == 0)
        return 0;
    return turn > 0 ? -1 : 1;
}

QPoint CrossingPosition(const QWidget *widget, const QEvent *event)
{
    if (event->type() == QEvent::Enter)
        return static_cast<const QEnterEvent *>(event)->position().toPoint();
    return widget->mapFromGlobal(QCursor::pos());
}
