#pragma once

class QWidget;

// Turns the input method on for every text-entry and list control of a dialog (line and
// text edits, list views, combo boxes), so that Japanese can be typed through whatever
// input method the platform offers (IBus, Fcitx, ...). Other controls keep their setting.
void SetDialogIme(QWidget *dialog);
