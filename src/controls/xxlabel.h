#pragma once

#include "controls/xxevents.h"

#include <QLabel>

// A label that reports the mouse entering and leaving it, and clicks on it.
class TxxLabel : public QLabel
{
public:
    using TNotifyEvent = std::function<void(TxxLabel *Sender)>;

    explicit TxxLabel(QWidget *parent = nullptr);

    int Tag = 0;
    TCrossingEvent<TxxLabel> OnMouseEnter;
    TCrossingEvent<TxxLabel> OnMouseLeave;
    // A left press and release on the label.
    TNotifyEvent OnClick;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
