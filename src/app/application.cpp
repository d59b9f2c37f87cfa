#include "app/application.h"

#include "app/settings.h"

#include <QMessageBox>

namespace {

ErrorSink &errorSink()
{
    static ErrorSink sink;
    return sink;
}

QString messageOf(const std::exception &error)
{
    if (const auto *settingsError = dynamic_cast<const SettingsError *>(&error))
        return settingsError->message();
    return QString::fromLocal8Bit(error.what());
}

} // namespace

QuaveloApplication::QuaveloApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool QuaveloApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ReportError(error);
    }
    return false;
}

void ReportError(const std::exception &error)
{
    const QString message = messageOf(error);
    if (errorSink()) {
        errorSink()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Quavelo"), message);
}

void SetErrorSink(ErrorSink sink)
{
    errorSink() = std::move(sink);
}
