#pragma once

#include "app/cursors.h"
#include "midi/mediaplayer.h"
#include "net/httpget.h"

#include <QColor>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>

// The editor's preview of a single tune: the tune is downloaded into the preview file and
// played 200 ms after the download has completed; while it plays its title blinks and the
// progress follows it. Stop ends it at once, the tune's own end leaves its title shown.
// What it shows goes out through the four events, so that it runs without a window.
class PreviewPlayer
{
public:
    // The preview's file, and the player's tune file, which is deleted when a preview has
    // played to its end.
    PreviewPlayer(QString samplePath, QString tuneFilePath);

    const QString SamplePath;

    THTTPGet HTTPGet3;
    QTimer timDown4; // 200 ms after the download: play
    QTimer timPlay;  // 35 ms, repeating: blink and progress
    TMediaPlayer MPlay;

    // The title of the tune previewed, and its colour: blue, or lime green every other
    // tick while it plays.
    std::function<void(const QString &title)> OnTitle;
    std::function<void(const QColor &color)> OnTitleColor;
    // The download's size and bytes read, then the tune's length and position, in the
    // same bar; 0 and 0 when a step ends.
    std::function<void(int maximum, int position)> OnProgress;
    // A failed download's text.
    std::function<void(const QString &message)> OnError;

    // Stops the preview, deletes the preview file and downloads url into it; ignored
    // while a preview download runs.
    void play(const std::string &url, const QString &title);
    // Ends the preview playing; its title is cleared.
    void stop();
    // Ends the download and the preview for good: a download that completes after all
    // starts nothing, and the preview file is deleted.
    void finish();

private:
    void timDown4Timer();
    void timPlayTimer();
    void MPlayNotify();
    void HTTPGet3Error(const THTTPGet &sender);
    void showTitleColor(bool lit);
    void showProgress(int maximum, int position);

    const QString m_tuneFilePath;
    BusyCursor m_busyCursor;
    bool m_lit = false;
    bool m_finished = false;
};
