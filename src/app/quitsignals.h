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
