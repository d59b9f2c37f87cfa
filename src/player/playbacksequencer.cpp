#include "player/playbacksequencer.h"

#include "app/atomicfile.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "catalogue/cataloguehost.h"
#include "midi/playbacksteps.h"
#include "player/playeroptions.h"
#include "player/sequencerview.h"

#include <QFile>

#include <algorithm>
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
    makeOneShot(m_transferEnded, 0);
    connect(&timBegin, &QTimer::timeout, this, &PlaybackSequencer::timBeginTimer);
    connect(&timDown1, &QTimer::timeout, this, &PlaybackSequencer::timDown1Timer);
    connect(&timDown2, &QTimer::timeout, this, &PlaybackSequencer::timDown2Timer);
    connect(&timDown, &QTimer::timeout, this, &PlaybackSequencer::timDownTimer);
    connect(&timPlay, &QTimer::timeout, this, &PlaybackSequencer::timPlayTimer);
    connect(&m_gap, &QTimer::timeout, this, [this] { AdvanceTune(true); });
    connect(&m_transferEnded, &QTimer::timeout, this, &PlaybackSequencer::afterTransfer);

    // A download waiting in a nested event loop would let a press open the editor, or
    // start the next download, inside it, and the wait could only end after them.
    for (THTTPGet *get : {&HTTPGet1, &HTTPGet2}) {
        get->WaitThread = false;
        get->OnProgress = [this](THTTPGet *, int totalSize, int readed) { HTTPGet1Progress(totalSize, readed); };
    }
    HTTPGet1.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) { HTTPGet1DoneFile(); };
    HTTPGet1.OnError = [this](THTTPGet *sender, QObject *) { HTTPGet1Error(*sender); };
    HTTPGet2.OnDoneFile = [this](THTTPGet *, QObject *, const std::string &, int) { HTTPGet2DoneFile(); };
    HTTPGet2.OnError = [this](THTTPGet *sender, QObject *) { HTTPGet2Error(*sender); };
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
    for (const QTimer *timer : {&timBegin, &timDown1, &timDown2, &timDown, &timPlay, &m_gap, &m_transferEnded}) {
        if (timer->isActive())
            return true;
    }
    return false;
}

bool PlaybackSequencer::isRunning() const
{
    return isOneOf({Phase::FetchingTune, Phase::Starting, Phase::Playing, Phase::Gap})
        || (m_phase == Phase::EndingTransfer && m_afterTransfer == AfterTransfer::NextTune);
}

bool PlaybackSequencer::isOneOf(std::initializer_list<Phase> phases) const
{
    return std::find(phases.begin(), phases.end(), m_phase) != phases.end();
}

void PlaybackSequencer::enter(Phase phase)
{
    if (phase == m_phase)
        return;
    switch (m_phase) {
    case Phase::Initialising:
        timBegin.stop();
        break;
    case Phase::FetchingCatalogue:
        timDown1.stop();
        timDown2.stop();
        break;
    case Phase::Starting:
        timDown.stop();
        break;
    case Phase::Playing:
        timPlay.stop();
        break;
    case Phase::Gap:
        m_gap.stop();
        break;
    case Phase::EndingTransfer:
        m_transferEnded.stop();
        break;
    default:
        break;
    }
    m_phase = phase;
    // Told once the step that changed the phase is over, so that a listener that presses
    // a button meets a finished transition.
    QMetaObject::invokeMethod(this, [this, phase] {
        if (OnPhaseChanged && m_phase == phase)
            OnPhaseChanged(phase);
    }, Qt::QueuedConnection);
}

void PlaybackSequencer::resetForStart()
{
    QFile::remove(State.TuneFilePath);
    m_view.setProgressMaximum(0);
    State.CatalogueReady = false;
    State.TuneIndex = -1;
    State.FavIndex = 0;
}

void PlaybackSequencer::begin()
{
    enter(Phase::Initialising);
    timBegin.start();
}

void PlaybackSequencer::timBeginTimer()
{
    if (!QFile::exists(catalogueFile())) {
        enter(Phase::FetchingCatalogue);
        timDown1.start();
        return;
    }
    if (ReadPlayerOption(State.SettingsBase, PlayerOption::Minimize))
        m_view.minimise();
    enter(Phase::Ready);
    if (ReadPlayerOption(State.SettingsBase, PlayerOption::AutoRun))
        btnPlayClick(nullptr);
    else
        AdvanceTune(false);
    m_view.focusHiddenPanel();
}

// The catalogue ------------------------------------------------------------------------

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
    if (m_phase == Phase::EndingTransfer) {
        transferEnded();
        return;
    }
    m_view.setProgressPosition(0);
    timDown2.start();
}

void PlaybackSequencer::HTTPGet2Error(const THTTPGet &sender)
{
    if (m_phase == Phase::EndingTransfer) {
        transferEnded();
        return;
    }
    showDownloadError(sender);
    enter(Phase::CatalogueFailed);
}

void PlaybackSequencer::timDown2Timer()
{
    m_busyCursor.setBusy(false);
    State.CatalogueReady = true;
    enter(Phase::Initialising);
    timBegin.start();
}

// Tunes --------------------------------------------------------------------------------

void PlaybackSequencer::AdvanceTune(bool download)
{
    if (State.PlayList.empty()) {
        enter(Phase::Ready);
        m_view.ShowStatus(QStringLiteral("No play list !!"), statusRed, StatusStyle::Italic);
        showTuneLabels();
        m_view.SetControlsEnabled(true);
        return;
    }
    ++State.TuneIndex;
    if (State.TuneIndex < 0 || std::size_t(State.TuneIndex) >= State.PlayList.size())
        State.TuneIndex = 0;
    const std::string &name = State.PlayList[std::size_t(State.TuneIndex)];
    const CatalogueRow row = LookupTune(atomicfile::readAll(catalogueFile()).value_or(std::string()), name)
                                 .value_or(CatalogueRow());
    State.CurrentTitle = row.Title;
    State.CurrentComposer = row.Composer;
    State.CurrentGenre = row.Genre;

    m_view.ShowStatus(QStringLiteral("待機中..."), statusBlue, StatusStyle::Italic);
    if (!download) {
        showTuneLabels();
        enter(Phase::Ready);
        m_view.SetControlsEnabled(true);
        return;
    }
    fetchCurrentTune();
}

void PlaybackSequencer::fetchCurrentTune()
{
    const std::string name = State.PlayList[std::size_t(State.TuneIndex)];
    m_view.ShowStatus(QStringLiteral("DownLoading..."), statusBlue, StatusStyle::Italic);
    stopPlayback();
    // The file of the tune before goes first, so that nothing shows the new title beside
    // the old tune's length or progress.
    QFile::remove(State.TuneFilePath);
    m_view.setProgressPosition(0);
    showTuneLabels();
    HTTPGet1.FileName = QFile::encodeName(State.TuneFilePath).toStdString();
    HTTPGet1.URL = baseUrl() + name;
    enter(Phase::FetchingTune);
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
    if (m_phase == Phase::EndingTransfer) {
        transferEnded();
        return;
    }
    enter(Phase::Starting);
    timDown.start();
}

void PlaybackSequencer::HTTPGet1Error(const THTTPGet &sender)
{
    if (m_phase == Phase::EndingTransfer) {
        transferEnded();
        return;
    }
    showDownloadError(sender);
    enter(Phase::TuneFailed);
    m_view.SetControlsEnabled(true);
}

void PlaybackSequencer::showDownloadError(const THTTPGet &sender)
{
    m_view.ShowStatus(DownloadErrorText(sender), statusRed, StatusStyle::Bold);
    m_view.setProgressPosition(0);
    m_busyCursor.setBusy(false);
}

void PlaybackSequencer::timDownTimer()
{
    if (QFile::exists(State.TuneFilePath)) {
        m_view.ShowStatus(text::fromCp932(State.CurrentTitle), statusBlue, StatusStyle::Normal);
        playTuneFile();
    } else {
        AdvanceTune(true);
    }
    m_view.setProgressPosition(0);
    m_view.SetControlsEnabled(true);
}

// Playing ------------------------------------------------------------------------------

void PlaybackSequencer::btnPlayClick(QObject *)
{
    switch (m_phase) {
    case Phase::Starting:
        timDownTimer();
        return;
    case Phase::Ready:
    case Phase::TuneFailed:
    case Phase::Playing:
    case Phase::Gap:
        break;
    default: // nothing to play yet, a download runs, or the player is leaving
        return;
    }
    if (State.PlayList.empty()) {
        AdvanceTune(false);
        return;
    }
    if (QFile::exists(State.TuneFilePath)) {
        playTuneFile();
        return;
    }
    // Resting without a tune file, the tune shown was never fetched (a start without
    // AutoRun, a download that Stop ended): fetch it rather than skip it. After a failed
    // download the sequence moves on.
    const bool shownTuneValid = State.TuneIndex >= 0 && std::size_t(State.TuneIndex) < State.PlayList.size();
    if (m_phase == Phase::Ready && shownTuneValid)
        fetchCurrentTune();
    else
        AdvanceTune(true);
}

void PlaybackSequencer::playTuneFile()
{
    enter(Phase::Playing);
    timPlay.start();
    try {
        StartPlayback(MPlay, State.TuneFilePath);
    } catch (const EMCIDeviceError &error) {
        enter(Phase::Ready);
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
    if (m_phase != Phase::Playing || !TakeEndOfPlayback(MPlay))
        return;
    m_view.setStatusColor(statusBlue);
    m_view.setProgressPosition(0);
    enter(Phase::Gap);
    m_gap.start(std::max(0, State.WaitMs));
}

// The playback steps that every stop takes: the title stops blinking, the device closes.
void PlaybackSequencer::stopPlayback()
{
    timPlay.stop();
    m_view.setStatusColor(statusBlue);
    StopPlayback(MPlay);
}

// Stop and Next ------------------------------------------------------------------------

void PlaybackSequencer::btnStopClick(QObject *)
{
    stopPress();
}

void PlaybackSequencer::stopPress()
{
    switch (m_phase) {
    case Phase::FetchingTune:
        stopPlayback();
        endTransfer(AfterTransfer::Rest);
        break;
    case Phase::EndingTransfer:
        if (m_afterTransfer == AfterTransfer::NextTune)
            m_afterTransfer = AfterTransfer::Rest;
        break;
    case Phase::Starting: // the tune has arrived: Play plays it
        rest();
        break;
    case Phase::Playing:
    case Phase::Gap:
        stopPlayback();
        enter(Phase::Ready);
        break;
    case Phase::Ready:
    case Phase::TuneFailed:
        stopPlayback();
        break;
    default:
        break;
    }
}

void PlaybackSequencer::rest()
{
    m_view.setProgressPosition(0);
    showRestingStatus();
    enter(Phase::Ready);
    m_view.SetControlsEnabled(true);
}

// Resting at the tune shown: its title when its file is there to be played, else waiting.
void PlaybackSequencer::showRestingStatus()
{
    if (QFile::exists(State.TuneFilePath))
        m_view.ShowStatus(text::fromCp932(State.CurrentTitle), statusBlue, StatusStyle::Normal);
    else
        m_view.ShowStatus(QStringLiteral("待機中..."), statusBlue, StatusStyle::Italic);
}

void PlaybackSequencer::btnNextClick(QObject *)
{
    switch (m_phase) {
    case Phase::FetchingTune:
        endTransfer(AfterTransfer::NextTune);
        break;
    case Phase::EndingTransfer:
        if (m_afterTransfer == AfterTransfer::Rest)
            m_afterTransfer = AfterTransfer::NextTune;
        break;
    case Phase::Ready:
    case Phase::TuneFailed:
    case Phase::Starting:
    case Phase::Playing:
    case Phase::Gap:
        AdvanceTune(true);
        break;
    default:
        break;
    }
}

// Cancelled downloads ------------------------------------------------------------------

void PlaybackSequencer::endTransfer(AfterTransfer after)
{
    m_afterTransfer = after;
    enter(Phase::EndingTransfer);
    HTTPGet1.Cancel();
    HTTPGet2.Cancel();
}

// A cancelled download has ended, by failing or because its last byte had just arrived.
// The component is still busy in its handler, so what follows waits for a timer.
void PlaybackSequencer::transferEnded()
{
    m_transferEnded.start();
}

void PlaybackSequencer::afterTransfer()
{
    if (HTTPGet1.isBusy() || HTTPGet2.isBusy())
        return; // the end of the other one comes too
    m_busyCursor.setBusy(false);
    m_view.setProgressPosition(0);
    switch (m_afterTransfer) {
    case AfterTransfer::Rest:
        rest();
        break;
    case AfterTransfer::NextTune:
        AdvanceTune(true);
        break;
    case AfterTransfer::OpenEditor:
        showRestingStatus();
        openEditor();
        break;
    case AfterTransfer::Close:
        enter(Phase::Closed);
        m_view.closeWindow();
        break;
    }
}

// MENU and closing ---------------------------------------------------------------------

void PlaybackSequencer::btnMemuClick()
{
    const bool pressable = isOneOf({Phase::Ready, Phase::TuneFailed, Phase::FetchingTune, Phase::Starting,
                                    Phase::Playing, Phase::Gap})
        || (m_phase == Phase::EndingTransfer && m_afterTransfer <= AfterTransfer::NextTune);
    if (!pressable)
        return;
    stopPress();
    m_view.SetControlsEnabled(false);
    if (m_phase == Phase::EndingTransfer) {
        m_afterTransfer = AfterTransfer::OpenEditor;
        return;
    }
    openEditor();
}

void PlaybackSequencer::openEditor()
{
    const Phase resting = m_phase == Phase::TuneFailed ? Phase::TuneFailed : Phase::Ready;
    stopPlayback();
    enter(Phase::EditorOpen);
    const bool accepted = m_view.runEditor();
    enter(resting);
    if (std::exchange(m_closeAfterEditor, false)) {
        btnCloseClick();
        return;
    }
    if (accepted)
        restartFromFirstTune();
    m_view.SetControlsEnabled(true);
}

void PlaybackSequencer::restartFromFirstTune()
{
    QFile::remove(State.TuneFilePath);
    m_view.setProgressPosition(0);
    State.TuneIndex = -1;
    AdvanceTune(true);
}

void PlaybackSequencer::btnCloseClick()
{
    switch (m_phase) {
    case Phase::Closed:
        return;
    case Phase::EditorOpen:
        m_closeAfterEditor = true;
        m_view.closeEditor();
        return;
    default:
        break;
    }
    stopPlayback();
    if (HTTPGet1.isBusy() || HTTPGet2.isBusy()) {
        endTransfer(AfterTransfer::Close);
        return;
    }
    m_busyCursor.setBusy(false);
    enter(Phase::Closed);
    m_view.closeWindow();
}
