#pragma once

class QWidget;

// Keeps the owner window above all other windows, or not. The change is made on the
// existing window, in place: it is not re-created, keeps its place and does not flicker.
class TKTop
{
public:
    explicit TKTop(QWidget *owner);
    ~TKTop();

    bool KTop() const { return m_onTop; }
    // Applies also when the value does not change.
    void setKTop(bool onTop);

private:
    QWidget *m_owner;
    bool m_onTop = true;
};
