#pragma once

#include <QPoint>
#include <QRect>

// The corner of the work area nearest to the window's centre: the window's top-left
// position that puts it flush with that corner. Halves are taken by integer division.
QPoint SnapToCorner(const QRect &window, const QRect &workArea);
