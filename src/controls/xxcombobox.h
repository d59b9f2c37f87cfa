#pragma once

#include "controls/xxevents.h"

#include <QComboBox>

enum TOwnerDrawFlag { odSelected = 0x1, odDisabled = 0x2, odComboBoxEdit = 0x4 };
Q_DECLARE_FLAGS(TOwnerDrawState, TOwnerDrawFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOwnerDrawState)

// A combo box whose wheel handling can be switched off while its list is closed, that
// reports each closing of its drop-down list once, and whose items can be owner-drawn
// in the list and in the closed box.
class TxxComboBox : public QComboBox
{
public:
    using TNotifyEvent = std::function<void(TxxComboBox *Sender)>;
    using TDrawItemEvent = std::function<void(TxxComboBox *Sender, int Index, QPainter &Canvas,
                                              const QRect &Rect, TOwnerDrawState State)>;
    using TMouseEvent = std::function<void(TxxComboBox *Sender, Qt::MouseButton Button,
                                           TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(TxxComboBox *Sender, TShiftState Shift, int X, int Y)>;

    explicit TxxComboBox(QWidget *parent = nullptr);

    // Whether a closed box reacts to the wheel; an open list always scrolls.
    bool WheelActive() const { return m_wheelActive; }
    void setWheelActive(bool active) { m_wheelActive = active; }
    int ItemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);
    int ItemIndex() const { return currentIndex(); }
    void setItemIndex(int index) { setCurrentIndex(index); }
    bool DroppedDown() const;

    int Tag = 0;
    TWheelEvent<TxxComboBox> OnMouseWheel;
    TNotifyEvent OnCloseUp;
    // A change of the selection by the user: the list, the keyboard or the wheel.
    TNotifyEvent OnChange;
    TDrawItemEvent OnDrawItem;
    TCrossingEvent<TxxComboBox> OnMouseEnter;
    TCrossingEvent<TxxComboBox> OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void wheelEvent(QWheelEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fireWheel(const QWheelEvent *event);

    bool m_wheelActive = true;
    int m_itemHeight = 14;
    bool m_listOpen = false;
    bool m_forwardingWheel = false;
    QWidget *m_popup = nullptr;
};
