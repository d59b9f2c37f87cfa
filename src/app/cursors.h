#pragma once

#include <QCursor>

// The program's own cursors by number, as the controls' layout data names them.
enum AppCursorNumber {
    HandCursor = 1, // "HAND": over everything that can be clicked
    HelpCursor = 2, // "HELP": over the online manual's buttons and links
};

// The cursor of that number; any other number gives the arrow. The cursors are
// 32 by 32 monochrome pictures drawn here, with the hot spot at the fingertip (6, 1).
QCursor AppCursor(int number);
