#pragma once

#include "app/cursors.h"
#include "midi/mediaplayer.h"
#include "net/httpget.h"
#include "player/playerstate.h"

#include <QObject>
#include <QTimer>

class SequencerView;

// The player's main loop: makes sure the catalogue is on disk, then downloads the tunes
// of the play list one by one into the tune file, plays each, waits the gap and goes on,
// wrapping after the last tune, until the user stops it. Every step that follows a
// completion event runs from a short one-shot timer, so that no download or playback
// starts inside the event of the previous one.
class PlaybackSequencer : public QObject
{
public:
    PlaybackSequencer(PlayerState &state, SequencerView &view, QObject *parent = nullptr);
    ~PlaybackSequencer() override;

    // The state of a fresh show: no tune file, no catalogue yet, before the first tune.
    void resetForStart();
    // Starts the sequence 250 ms from now.
    void begin();

    void btnPlayClick(QObject *Sender);
    void btnStopClick(QObject *Sender);
    void btnNextClick(QObject *Sender);
    void AdvanceTune(bool download);
    // After the editor closed with OK: playback starts again at the first tune.
    void restartFromFirstTune();
    // Ends a running tune download; the sequence rests.
    void cancelTuneDownload();

    QString catalogueFile() const;
    bool isPlaying() const { return !MPlay.FileName.isEmpty(); }
    bool isWaitingForGap() const { return m_gap.isActive(); }
    // Whether any of the sequencer's timers would wake the program up.
    bool hasActiveTimers() const;

    THTTPGet HTTPGet1; // tunes
    THTTPGet HTTPGet2; // the catalogue
    TMediaPlayer MPlay;
    QTimer timBegin;
    QTimer timDown1;
    QTimer timDown2;
    QTimer timDown;
    QTimer timPlay;

private:
    void timBeginTimer();
    void timDown1Timer();
    void timDown2Timer();
    void timDownTimer();
    void timPlayTimer();
    void HTTPGet1Progress(int totalSize, int readed);
    void HTTPGet1DoneFile();
    void HTTPGet1Error(const THTTPGet &sender);
    void HTTPGet2DoneFile();
    void MPlayNotify();

    void downloadCurrentTune();
    bool endCancelledTune();
    void showPosition();
    void showTuneLabels();
    std::string baseUrl() const;

    PlayerState &State;
    SequencerView &m_view;
    QTimer m_gap;             // the pause between two tunes
    QTimer m_deferredAdvance; // the next tune after a cancelled download
    bool m_currentTuneFetched = false;
    bool m_cancellingTune = false;
    bool m_advanceAfterCancel = false;
    BusyCursor m_busyCursor;
    bool m_cannotPlayReported = false;
};
