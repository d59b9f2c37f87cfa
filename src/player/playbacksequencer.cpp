#include "player/playbacksequencer.h"

#include "app/atomicfile.h"
#include "app/settings.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguehost.h"
#include "midi/playbacksteps.h"
#include "player/sequencerview.h"

#include <QFile>

#include <utility>

namespace {

const QColor statusBlue(0, 0, 255);
const QColor statusRed(255, 0, 0);

// Coarse timers may fire 5 % late; the steps of the sequence keep their own time.
void makeOneShot(QTimer &timer, int interval)
{
    timer.setSingleShot(true);
    timer.setInterval(interval);
    timer.setTimerType(Qt::PreciseTimer);
}

} // namespace

PlaybackSequencer::PlaybackSequencer(PlayerState &state, SequencerView &view, QObject *parent)
    : QObject(parent)
    , State(state)
    , m_view(view)
{
    makeOneShot(timBegin, 250);
    makeOneShot(timDown1, 50);
    makeOneShot(timDown2, 50);
    makeOneShot(timDown, 150);
    timPlay.setInterval(50);
    makeOneShot(m_gap, 0);
    makeOneShot(m_deferredAdvance, 0);
    connect(&timBegin, &QTimer::timeout, this, &PlaybackSequencer::timBeginTimer);
    connect(&timDown1, &QTimer::timeout, this, &PlaybackSequencer::timDown1Timer);
    connect(&timDown2, &QTimer::timeout, this, &PlaybackSequencer::timDown2Timer);
    connect(&timDown, &QTimer::timeout, this, &PlaybackSequencer::timDownTimer);
    connect(&timPlay, &QTimer::timeout, this, &PlaybackSequencer::timPlayTimer);
    connect(&m_gap, &QTimer::timeout, this, [this] { AdvanceTune(true); });
    connect(&m_deferredAdvance, &QTimer::timeout, this, [this] { AdvanceTune(true); });

    for (THTTPGet *get : {&HTTPGet1, &HTTPGet2}) {
        get->OnProgress = [this](THTTPGet *, int totalSize, int readed) { HTTPGet1Progress(totalSize, readed); };
        get->OnError = [this](THTTPGet *sender, QObject *) { HTTPGet1Error(*sender); };
    }
    HTTPGet1.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) { HTTPGet1DoneFile(); };
    HTTPGet2.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) { HTTPGet2DoneFile(); };
    MPlay.OnNotify = [this](QObject *) { MPlayNotify(); };
}

PlaybackSequencer::~PlaybackSequencer() = default;

QString PlaybackSequencer::catalogueFile() const
{
    return State.CatalogueFilePath;
}

std::string PlaybackSequencer::baseUrl() const
{
    return CatalogueBaseUrl(State.SettingsBase);
}

bool PlaybackSequencer::hasActiveTimers() const
{
    for (const QTimer *timer : {&timBegin, &timDown1, &timDown2, &timDown, &timPlay, &m_gap, &m_deferredAdvance}) {
        if (timer->isActive())
            return true;
    }
    return false;
}

void PlaybackSequencer::resetForStart()
{
    QFile::remove(State.TuneFilePath);
    m_view.setProgressMaximum(0);
    State.CatalogueReady = false;
    State.TuneIndex = -1;
    State.FavIndex = 0;
    m_currentTuneFetched = false;
}

void PlaybackSequencer::begin()
{
    timBegin.start();
}

void PlaybackSequencer::timBeginTimer()
{
    if (!QFile::exists(catalogueFile())) {
        timDown1.start();
        return;
    }
    if (ReadIniBool(State.SettingsBase, "OPT", "Minimize", false))
        m_view.minimise();
    if (ReadIniBool(State.SettingsBase, "OPT", "AutoRun", false))
        btnPlayClick(nullptr);
    else
        AdvanceTune(false);
    m_view.focusHiddenPanel();
}

void PlaybackSequencer::timDown1Timer()
{
    m_busyCursor.setBusy(true);
    m_view.ShowStatus(QStringLiteral("初期化中..."), statusBlue, StatusStyle::Italic);
    HTTPGet2.FileName = QFile::encodeName(catalogueFile()).toStdString();
    HTTPGet2.URL = baseUrl() + "@Midi.DBF";
    HTTPGet2.Download();
}

void PlaybackSequencer::HTTPGet2DoneFile()
{
    m_view.setProgressPosition(0);
    timDown2.start();
}

void PlaybackSequencer::timDown2Timer()
{
    m_busyCursor.setBusy(false);
    State.CatalogueReady = true;
    timBegin.start();
}

void PlaybackSequencer::AdvanceTune(bool download)
{
    if (State.PlayList.empty()) {
        m_view.ShowStatus(QStringLiteral("No play list !!"), statusRed, StatusStyle::Italic);
        showTuneLabels();
        m_view.SetControlsEnabled(true);
        return;
    }
    ++State.TuneIndex;
    if (State.TuneIndex < 0 || std::size_t(State.TuneIndex) >= State.PlayList.size())
        State.TuneIndex = 0;
    const std::string &name = State.PlayList[std::size_t(State.TuneIndex)];
    State.CurrentTitle = LookupTitle(atomicfile::readAll(catalogueFile()).value_or(std::string()), name);
    m_currentTuneFetched = false;

    m_view.ShowStatus(QStringLiteral("待機中..."), statusBlue, StatusStyle::Italic);
    showTuneLabels();
    if (!download) {
        m_view.SetControlsEnabled(true);
        return;
    }
    downloadCurrentTune();
}

void PlaybackSequencer::downloadCurrentTune()
{
    const std::string name = State.PlayList[std::size_t(State.TuneIndex)];
    m_view.ShowStatus(QStringLiteral("DownLoading..."), statusBlue, StatusStyle::Italic);
    btnStopClick(nullptr);
    QFile::remove(State.TuneFilePath);
    HTTPGet1.FileName = QFile::encodeName(State.TuneFilePath).toStdString();
    HTTPGet1.URL = baseUrl() + name;
    m_currentTuneFetched = true;
    // The window is up; the synthesiser loads while the tune arrives.
    TMediaPlayer::prepare();
    HTTPGet1.Download();
}

void PlaybackSequencer::showTuneLabels()
{
    const std::string *listName = State.currentFavName();
    m_view.setListCaption(QStringLiteral("[ ") + (listName ? text::fromCp932(*listName) : QString()) + QStringLiteral(" ]"));
    if (State.PlayList.empty())
        m_view.setTuneCaption(QStringLiteral("Tune  0 / 0"));
    else
        m_view.setTuneCaption(QStringLiteral("Tune : %1 / %2").arg(State.TuneIndex + 1).arg(State.PlayList.size()));
}

void PlaybackSequencer::HTTPGet1Progress(int totalSize, int readed)
{
    m_view.setProgressMaximum(totalSize);
    m_view.setProgressPosition(readed);
}

void PlaybackSequencer::HTTPGet1DoneFile()
{
    if (endCancelledTune())
        return;
    timDown.start();
}

void PlaybackSequencer::HTTPGet1Error(const THTTPGet &sender)
{
    if (endCancelledTune())
        return;
    m_view.ShowStatus(DownloadErrorText(sender), statusRed, StatusStyle::Bold);
    m_view.setProgressPosition(0);
    m_busyCursor.setBusy(false);
}

// A tune download that the user ended, whether it still failed or had just completed:
// the sequence rests, or moves on when Next ended it.
bool PlaybackSequencer::endCancelledTune()
{
    if (!std::exchange(m_cancellingTune, false))
        return false;
    m_view.setProgressPosition(0);
    if (std::exchange(m_advanceAfterCancel, false)) {
        m_deferredAdvance.start();
    } else {
        m_view.ShowStatus(QStringLiteral("待機中..."), statusBlue, StatusStyle::Italic);
        m_view.SetControlsEnabled(true);
    }
    return true;
}

void PlaybackSequencer::timDownTimer()
{
    if (QFile::exists(State.TuneFilePath)) {
        m_view.ShowStatus(text::fromCp932(State.CurrentTitle), statusBlue, StatusStyle::Normal);
        btnPlayClick(nullptr);
    } else {
        AdvanceTune(true);
    }
    m_view.setProgressPosition(0);
    m_view.SetControlsEnabled(true);
}

void PlaybackSequencer::btnPlayClick(QObject *)
{
    if (HTTPGet1.isBusy())
        return;
    if (State.PlayList.empty()) {
        AdvanceTune(false);
        return;
    }
    m_gap.stop();
    if (!QFile::exists(State.TuneFilePath)) {
        // The tune that the labels show has not been fetched yet (a start without
        // AutoRun): fetch it rather than skipping it.
        if (!m_currentTuneFetched && State.TuneIndex >= 0 && std::size_t(State.TuneIndex) < State.PlayList.size())
            downloadCurrentTune();
        else
            AdvanceTune(true);
        return;
    }
    timPlay.start();
    try {
        StartPlayback(MPlay, State.TuneFilePath);
    } catch (const EMCIDeviceError &error) {
        timPlay.stop();
        // A file the synthesiser cannot take stays silent; a missing synthesiser would
        // silence every tune, so the user hears of that once.
        if (dynamic_cast<const ESynthUnavailable *>(&error) && !std::exchange(m_cannotPlayReported, true))
            m_view.reportCannotPlay(error);
    }
}

void PlaybackSequencer::timPlayTimer()
{
    m_view.setStatusColor(m_view.statusColor() == statusRed ? statusBlue : statusRed);
    try {
        m_view.setProgressMaximum(MPlay.Length());
        m_view.setProgressPosition(MPlay.Position());
    } catch (const EMCIDeviceError &) {
        timPlay.stop();
    }
}

void PlaybackSequencer::MPlayNotify()
{
    if (!TakeEndOfPlayback(MPlay))
        return;
    timPlay.stop();
    m_view.setStatusColor(statusBlue);
    m_view.setProgressPosition(0);
    m_gap.start(std::max(0, State.WaitMs));
}

void PlaybackSequencer::btnStopClick(QObject *Sender)
{
    timPlay.stop();
    m_gap.stop();
    m_view.setStatusColor(statusBlue);
    StopPlayback(MPlay);
    if (Sender)
        cancelTuneDownload();
}

void PlaybackSequencer::btnNextClick(QObject *)
{
    if (HTTPGet1.isBusy()) {
        m_advanceAfterCancel = true;
        cancelTuneDownload();
        return;
    }
    AdvanceTune(true);
}

void PlaybackSequencer::cancelTuneDownload()
{
    if (!HTTPGet1.isBusy())
        return;
    m_cancellingTune = true;
    HTTPGet1.Cancel();
}

void PlaybackSequencer::restartFromFirstTune()
{
    QFile::remove(State.TuneFilePath);
    m_view.setProgressPosition(0);
    State.TuneIndex = -1;
    AdvanceTune(true);
}

