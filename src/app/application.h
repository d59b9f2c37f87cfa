#pragma once

#include <QApplication>

#include <exception>
#include <functional>

// The application object. Its notify() is the program's top-level error handler: an
// exception thrown by an event handler (a refused settings write, say) stops the step
// that threw, is shown to the user, and the program goes on.
class QuaveloApplication : public QApplication
{
public:
    QuaveloApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

// Shows an error to the user; used by the top-level handler and by steps that must go on
// after an error (creating and closing the player window).
void ReportError(const std::exception &error);

// Tests replace the message box to see what would have been shown.
using ErrorSink = std::function<void(const QString &message)>;
void SetErrorSink(ErrorSink sink);
