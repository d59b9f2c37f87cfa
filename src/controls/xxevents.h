#pragma once

#include <QFlags>
#include <QPoint>

#include <functional>

class QEvent;
class QWheelEvent;
class QWidget;

// The modifier keys and mouse buttons held at an event.
enum TShiftFlag {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// Read from the current key and button states.
TShiftState CurrentShiftState();

// One wheel event is one step whatever its size: -1 for a turn away from the user, +1
// towards. An event without vertical turn (a touchpad's begin or end of a scroll, a
// sideways tilt) is no step: 0.
int WheelStep(const QWheelEvent *event);

// Where the mouse is in widget's coordinates at an enter (from the event) or leave
// (from the cursor) event.
QPoint CrossingPosition(const QWidget *widget, const QEvent *event);

// The enter and leave events of the list controls: Sender, Shift, X, Y.
template<typename Sender>
using TCrossingEvent = std::function<void(Sender *, TShiftState Shift, int X, int Y)>;

template<typename Sender>
void FireCrossing(const TCrossingEvent<Sender> &handler, Sender *sender, const QEvent *event)
{
    if (!handler)
        return;
    const QPoint at = CrossingPosition(sender, event);
    handler(sender, CurrentShiftState(), at.x(), at.y());
}

// The wheel events: Sender, Wheel (-1 or +1; the grid's sideways scroll gives -2 or +2).
template<typename Sender>
using TWheelEvent = std::function<void(Sender *, int Wheel)>;
