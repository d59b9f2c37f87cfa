#pragma once

#include "player/mediacontrols.h"

class TfrmMain;
class TLbSpeedButton;

// The desktop's media controls on the player window: they see what its sequence plays and
// press its buttons.
class PlayerMediaControls : public MediaControlsTarget
{
public:
    explicit PlayerMediaControls(TfrmMain &window);

    NowPlaying nowPlaying() const override;
    qint64 positionUs() const override;
    bool isEnabled(Button button) const override;
    void press(Button button) override;
    void raise() override;
    void quit() override;

private:
    TLbSpeedButton *buttonFor(Button button) const;

    TfrmMain &m_window;
};
