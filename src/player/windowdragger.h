#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QMouseEvent;
class QWidget;

// Moves a window while the left or middle mouse button is held down on one of the watched widgets, and
// reports the drop. Done by the window itself rather than by the window manager's move
// loop, so that the drop is known on every platform.
class WindowDragger : public QObject
{
public:
    explicit WindowDragger(QWidget *window);

    void watch(QWidget *widget);

    std::function<void()> OnDropped;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool press(const QMouseEvent *event);
    void drop();

    QWidget *m_window;
    QPoint m_grabOffset;
    bool m_dragging = false;
};
