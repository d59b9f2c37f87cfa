#pragma once

#include "app/cursors.h"
#include "midi/mediaplayer.h"
#include "net/httpget.h"
#include "player/playerstate.h"

#include <QObject>
#include <QTimer>

#include <functional>

class SequencerView;

// The player's main loop: makes sure the catalogue is on disk, then downloads the tunes
// of the play list one by one into the tune file, plays each, waits the gap and goes on,
// wrapping after the last tune, until the user stops it.
//
// The sequence is always in exactly one Phase. Each press of a button and each event
// (a download's end, the end of a tune, a timer) is a transition from the phase it meets;
// a press that has no meaning in a phase is ignored there. Every timer belongs to one
// phase and is stopped when the sequence leaves it, so no step of an earlier phase can
// run late. Downloads never nest an event loop: they report their end as an event, and
// the step that follows runs from a short one-shot timer.
class PlaybackSequencer : public QObject
{
public:
    enum class Phase {
        Initialising,      // timBegin: the start-up step, 250 ms after the show
        FetchingCatalogue, // timDown1, the catalogue download, then timDown2
        CatalogueFailed,   // no catalogue in this run: only closing is left
        Ready,             // a tune is shown and nothing runs
        FetchingTune,      // the tune download runs
        EndingTransfer,    // a cancelled download is ending; what was asked for follows
        Starting,          // timDown: the tune has arrived and starts 150 ms later
        Playing,           // timPlay blinks the title and moves the progress bar
        Gap,               // the pause after a tune, then the next one
        TuneFailed,        // the tune download failed; the sequence rests at that tune
        EditorOpen,        // the editor window runs; the player waits for it
        Closed,            // nothing runs any more: the window may close
    };

    PlaybackSequencer(PlayerState &state, SequencerView &view, QObject *parent = nullptr);
    ~PlaybackSequencer() override;

    // The state of a fresh show: no tune file, no catalogue yet, before the first tune.
    void resetForStart();
    // Starts the sequence 250 ms from now.
    void begin();

    // The presses of the player's buttons.
    void btnPlayClick(QObject *Sender);
    void btnStopClick(QObject *Sender);
    void btnNextClick(QObject *Sender);
    // Stops the sequence and, once no download runs any more, opens the editor. After OK
    // playback starts again at the first tune of the list.
    void btnMemuClick();
    // Stops the sequence and, once no download runs any more, lets the window close.
    void btnCloseClick();

    Phase phase() const { return m_phase; }
    bool isPlaying() const { return m_phase == Phase::Playing; }
    // Whether the sequence is under way: a tune downloads, is about to start or plays, or
    // the next one follows the gap or a download that Next cancelled.
    bool isRunning() const;
    // Whether any of the sequencer's timers would wake the program up.
    bool hasActiveTimers() const;
    QString catalogueFile() const;

    // Told after every change of phase.
    std::function<void(Phase phase)> OnPhaseChanged;

    THTTPGet HTTPGet1; // tunes
    THTTPGet HTTPGet2; // the catalogue
    TMediaPlayer MPlay;
    QTimer timBegin;
    QTimer timDown1;
    QTimer timDown2;
    QTimer timDown;
    QTimer timPlay;

private:
    // What follows the end of a cancelled download, in rising precedence.
    enum class AfterTransfer { Rest, NextTune, OpenEditor, Close };

    void enter(Phase phase);
    bool isOneOf(std::initializer_list<Phase> phases) const;

    void timBeginTimer();
    void timDown1Timer();
    void timDown2Timer();
    void timDownTimer();
    void timPlayTimer();
    void HTTPGet1Progress(int totalSize, int readed);
    void HTTPGet1DoneFile();
    void HTTPGet1Error(const THTTPGet &sender);
    void HTTPGet2DoneFile();
    void HTTPGet2Error(const THTTPGet &sender);
    void MPlayNotify();

    void AdvanceTune(bool download);
    void fetchCurrentTune();
    void playTuneFile();
    void stopPlayback();
    void stopPress();
    void rest();
    void showRestingStatus();
    void endTransfer(AfterTransfer after);
    void transferEnded();
    void afterTransfer();
    void openEditor();
    void restartFromFirstTune();
    void showDownloadError(const THTTPGet &sender);
    void showTuneLabels();
    std::string baseUrl() const;

    PlayerState &State;
    SequencerView &m_view;
    Phase m_phase = Phase::Initialising;
    AfterTransfer m_afterTransfer = AfterTransfer::Rest;
    bool m_closeAfterEditor = false;
    QTimer m_gap;           // the pause between two tunes
    QTimer m_transferEnded; // the step after a cancelled download has ended
    BusyCursor m_busyCursor;
    bool m_cannotPlayReported = false;
};
