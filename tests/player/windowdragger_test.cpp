#include "player/windowdragger.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

// A window with a face to drag it by, and the mouse events that a user's hand gives it.
class DraggedWindow : public ::testing::Test
{
protected:
    QWidget window{nullptr, Qt::Window | Qt::FramelessWindowHint};
    QLabel *face = new QLabel(&window);
    WindowDragger dragger{&window};
    int drops = 0;

    void SetUp() override
    {
        window.setGeometry(300, 300, 146, 217);
        face->setGeometry(0, 0, 146, 217);
        dragger.watch(face);
        dragger.OnDropped = [this] { ++drops; };
        window.show();
        QApplication::processEvents();
    }

    void send(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(face->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(face, &event);
    }
    void press(QPoint at) { send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void doubleClick(QPoint at) { send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton); }
    void moveHeld(QPoint to) { send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint at) { send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
};

} // namespace

TEST_F(DraggedWindow, APressAMoveAndAReleaseMoveTheWindowAndDropItOnce)
{
    press({310, 320});
    moveHeld({410, 370});
    EXPECT_EQ(window.pos(), QPoint(400, 350));
    release({410, 370});
    EXPECT_EQ(drops, 1);
    send(QEvent::MouseButtonPress, {420, 380}, Qt::RightButton, Qt::RightButton);
    moveHeld({500, 500});
    EXPECT_EQ(window.pos(), QPoint(400, 350)) << "the right button drags nothing";
}

TEST_F(DraggedWindow, TheSecondPressOfADoubleClickStartsADragToo)
{
    press({310, 320});
    release({310, 320});
    doubleClick({310, 320});
    moveHeld({330, 360});
    EXPECT_EQ(window.pos(), QPoint(320, 340));
    release({330, 360});
    EXPECT_EQ(drops, 2);
}

TEST_F(DraggedWindow, AModalWindowOpeningMidDragDropsItAndTheNextDragStartsAfresh)
{
    press({310, 320});
    moveHeld({320, 330});
    ASSERT_EQ(window.pos(), QPoint(310, 310));
    {
        // The box takes the mouse, so the release goes to it.
        QDialog box;
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QApplication::processEvents();
        EXPECT_EQ(drops, 1);
    }
    QApplication::processEvents();

    // A move with no button held moves nothing; the next press grabs where it is.
    send(QEvent::MouseMove, {600, 600}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(310, 310));
    press({400, 450});
    moveHeld({410, 460});
    EXPECT_EQ(window.pos(), QPoint(320, 320));
    release({410, 460});
    EXPECT_EQ(drops, 2);
}
