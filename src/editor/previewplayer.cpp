#include "editor/previewplayer.h"

#include "midi/playbacksteps.h"

#include <QFile>

#include <utility>

PreviewPlayer::PreviewPlayer(QString samplePath, QString tuneFilePath)
    : SamplePath(std::move(samplePath))
    , m_tuneFilePath(std::move(tuneFilePath))
{
    HTTPGet3.FileName = QFile::encodeName(SamplePath).toStdString();
    HTTPGet3.OnProgress = [this](THTTPGet *, int total, int readed) { showProgress(total, readed); };
    HTTPGet3.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) {
        if (!m_finished)
            timDown4.start();
    };
    HTTPGet3.OnError = [this](THTTPGet *sender, QObject *) { HTTPGet3Error(*sender); };

    timDown4.setInterval(200);
    QObject::connect(&timDown4, &QTimer::timeout, [this] { timDown4Timer(); });
    timPlay.setInterval(35);
    QObject::connect(&timPlay, &QTimer::timeout, [this] { timPlayTimer(); });
    MPlay.OnNotify = [this](QObject *) { MPlayNotify(); };
}

void PreviewPlayer::play(const std::string &url, const QString &title)
{
    if (HTTPGet3.isBusy())
        return;
    m_finished = false;
    stop();
    QFile::remove(SamplePath);
    if (OnTitle)
        OnTitle(title);
    m_busyCursor.setBusy(true);
    HTTPGet3.URL = url;
    HTTPGet3.Download();
}

void PreviewPlayer::stop()
{
    timPlay.stop();
    showTitleColor(false);
    if (MPlay.FileName.isEmpty())
        return;
    StopPlayback(MPlay);
    if (OnTitle)
        OnTitle(QString());
}

void PreviewPlayer::finish()
{
    m_finished = true;
    HTTPGet3.Cancel();
    stop();
    timDown4.stop();
    m_busyCursor.setBusy(false);
    QFile::remove(SamplePath);
}

void PreviewPlayer::timDown4Timer()
{
    m_busyCursor.setBusy(false);
    timDown4.stop();
    showProgress(0, 0);
    timPlay.start();
    try {
        StartPlayback(MPlay, SamplePath);
    } catch (const EMCIDeviceError &) {
        timPlay.stop();
    }
}

void PreviewPlayer::timPlayTimer()
{
    showTitleColor(!m_lit);
    if (MPlay.isOpen())
        showProgress(MPlay.Length(), MPlay.Position());
}

void PreviewPlayer::MPlayNotify()
{
    if (!TakeEndOfPlayback(MPlay))
        return;
    showProgress(0, 0);
    QFile::remove(m_tuneFilePath);
    timPlay.stop();
    showTitleColor(false);
}

void PreviewPlayer::HTTPGet3Error(const THTTPGet &sender)
{
    showProgress(0, 0);
    m_busyCursor.setBusy(false);
    if (!m_finished && OnError)
        OnError(DownloadErrorText(sender));
}

void PreviewPlayer::showTitleColor(bool lit)
{
    m_lit = lit;
    if (OnTitleColor)
        OnTitleColor(lit ? QColor(0, 255, 0) : QColor(Qt::blue));
}

void PreviewPlayer::showProgress(int maximum, int position)
{
    if (OnProgress)
        OnProgress(maximum, position);
}
