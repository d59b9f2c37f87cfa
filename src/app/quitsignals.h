#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

// Turns SIGTERM and SIGINT into a normal close of the main window, so that a session
// logout or Ctrl+C in a terminal still saves the window position and removes the
// temporary files.
class QuitSignals : public QObject
{
public:
    explicit QuitSignals(QWidget *mainWindow);
    ~QuitSignals() override;

private:
    QSocketNotifier *m_notifier = nullptr;
};

// Holds SIGTERM and SIGINT back, in this thread and in every thread it starts, until
// ReleaseQuitSignals(): a signal that comes while the program starts then waits for the
// shown main window, instead of ending the program half set up or closing the window
// while it is being shown.
void HoldQuitSignals();
void ReleaseQuitSignals();
