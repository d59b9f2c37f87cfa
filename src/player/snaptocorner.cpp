#include "player/snaptocorner.h"

QPoint SnapToCorner(const QRect &window, const QRect &workArea)
{
    const int centreX = window.left() - workArea.left() + window.width() / 2;
    const int centreY = window.top() - workArea.top() + window.height() / 2;
    const int left = centreX < workArea.width() / 2 ? workArea.left() : workArea.left() + workArea.width() - window.width();
    const int top = centreY < workArea.height() / 2 ? workArea.top() : workArea.top() + workArea.height() - window.height();
    return {left, top};
}
