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

// The busy cursor over the whole program while a step waits for a download; switched on
// and off any number of times, and taken away when its owner goes.
class BusyCursor
{
public:
    BusyCursor() = default;
    ~BusyCursor() { setBusy(false); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void setBusy(bool busy);

private:
    bool m_busy = false;
};
