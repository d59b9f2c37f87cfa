#pragma once

#include "player/nowplaying.h"

// What the desktop's media controls may see of the player and do with it. A press acts as
// the user's click on the button would, so a button that the window shows disabled does
// nothing.
class MediaControlsTarget
{
public:
    enum class Button { Play, Stop, Next };

    virtual ~MediaControlsTarget() = default;

    virtual NowPlaying nowPlaying() const = 0;
    virtual qint64 positionUs() const = 0;
    virtual bool isEnabled(Button button) const = 0;
    virtual void press(Button button) = 0;
    // Shows the player window and brings it to the front.
    virtual void raise() = 0;
    // Closes the player as its close button does; while the editor is open, whose window
    // keeps that button from a click, nothing happens.
    virtual void quit() = 0;
};
