#include "player/playermediacontrols.h"

#include "controls/lbspeedbutton.h"
#include "player/frmmain.h"

PlayerMediaControls::PlayerMediaControls(TfrmMain &window)
    : m_window(window)
{
}

NowPlaying PlayerMediaControls::nowPlaying() const
{
    return DescribeNowPlaying(m_window.State, m_window.Sequencer.isRunning());
}

qint64 PlayerMediaControls::positionUs() const
{
    const TMediaPlayer &player = m_window.Sequencer.MPlay;
    if (!m_window.Sequencer.isPlaying() || !player.isOpen())
        return 0;
    return qint64(player.Position()) * 1000;
}

TLbSpeedButton *PlayerMediaControls::buttonFor(Button button) const
{
    switch (button) {
    case Button::Play:
        return m_window.btnPlay;
    case Button::Stop:
        return m_window.btnStop;
    case Button::Next:
        return m_window.btnNext;
    }
    return nullptr;
}

bool PlayerMediaControls::isEnabled(Button button) const
{
    return buttonFor(button)->isEnabled();
}

void PlayerMediaControls::press(Button button)
{
    TLbSpeedButton *target = buttonFor(button);
    if (target->isEnabled())
        target->Click();
}

void PlayerMediaControls::raise()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void PlayerMediaControls::quit()
{
    if (m_window.Sequencer.phase() != PlaybackSequencer::Phase::EditorOpen)
        m_window.close();
}
