#pragma once

#include <QColor>
#include <QString>

#include <exception>

enum class StatusStyle { Normal, Italic, Bold };

// What the playback sequencer needs of the window that shows it: the status line, the
// play-list and tune labels, the progress bar, the buttons, the editor and closing.
class SequencerView
{
public:
    virtual ~SequencerView() = default;

    // Sets the status line's text, colour and style, and the window title to the text
    // (to the window's caption when the text is empty).
    virtual void ShowStatus(const QString &text, const QColor &color, StatusStyle style) = 0;
    virtual QColor statusColor() const = 0;
    virtual void setStatusColor(const QColor &color) = 0;
    virtual void setListCaption(const QString &text) = 0;
    virtual void setTuneCaption(const QString &text) = 0;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void SetControlsEnabled(bool enabled) = 0;
    // The minimise step: the status text goes to the task bar, the window is minimised.
    virtual void minimise() = 0;
    // Keeps the keyboard focus away from the status line, so that it never shows a caret.
    virtual void focusHiddenPanel() = 0;
    // Tells the user once that no tune can be played, with the reason.
    virtual void reportCannotPlay(const std::exception &reason) = 0;
    // Shows the editor window modally; true when it was closed with OK.
    virtual bool runEditor() = 0;
    // Closes the open editor and whatever box is open over it, as cancelled: the program
    // is leaving.
    virtual void closeEditor() = 0;
    // Closes the window: nothing of the sequence runs any more.
    virtual void closeWindow() = 0;
};
