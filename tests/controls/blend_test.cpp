#include "controls/blend.h"
#include "controls/ktop.h"

#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// A window painted fuchsia with an opaque square in the middle, like a skinned window
// whose corners are the see-through colour.
class KeyedWindow : public QWidget
{
public:
    KeyedWindow() { resize(40, 30); }

    QRect square{10, 5, 20, 20};

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(255, 0, 255));
        painter.fillRect(square, Qt::darkGreen);
    }
};

} // namespace

TEST(Blend, OnlyChangesApplyAndEveryChangeAppliesAtOnce)
{
    KeyedWindow window;
    TBlend blend(&window);
    blend.setActive(true);
    blend.setActive(true);
    EXPECT_EQ(blend.applyCount(), 1);

    blend.setAlpha(0);
    blend.setBlendMode(bmLWA_COLORKEY);
    blend.setTransparentColor(clBlack);
    EXPECT_EQ(blend.applyCount(), 1) << "writing the current values changes nothing";

    blend.setDesignActive(true);
    EXPECT_FALSE(blend.DesignActive());
    EXPECT_EQ(blend.applyCount(), 1);
}

TEST(Blend, WhileInactiveEveryChangeLeavesTheWindowOpaqueAndWhole)
{
    KeyedWindow window;
    TBlend blend(&window);
    blend.setAlpha(255);
    blend.setBlendMode(bmBoth);
    blend.setTransparentColor(clFuchsia);
    EXPECT_EQ(blend.applyCount(), 3);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    EXPECT_TRUE(window.mask().isEmpty());
}

TEST(Blend, TheColourKeyCutsTheKeyPixelsOutOfTheShape)
{
    KeyedWindow window;
    TBlend blend(&window);
    blend.setAlpha(255);
    blend.setBlendMode(bmBoth);
    blend.setTransparentColor(clFuchsia);
    blend.setActive(true);

    const QRegion shape = window.mask();
    EXPECT_EQ(shape.boundingRect(), QRect(10, 5, 20, 20));
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_TRUE(shape.contains(QPoint(15, 15)));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}

// Also run on a display scaled by 2: the shape is in the window's own pixels there too.
TEST(Blend, TheShapeIsTakenAgainFromTheNewPictureInTheWindowsOwnPixels)
{
    KeyedWindow window;
    window.show();
    TBlend blend(&window);
    blend.setTransparentColor(clFuchsia);
    blend.setActive(true);
    ASSERT_EQ(window.mask(), QRegion(10, 5, 20, 20));

    // A new picture: what the old shape cut off counts as much as what it kept.
    window.square = QRect(0, 0, 7, 30);
    blend.refresh();
    EXPECT_EQ(window.mask(), QRegion(0, 0, 7, 30));
}

TEST(Blend, AlphaModeFadesTheWholeWindowAndIgnoresTheKey)
{
    KeyedWindow window;
    TBlend blend(&window);
    blend.setTransparentColor(clFuchsia);
    blend.setBlendMode(bmLWA_ALPHA);
    blend.setAlpha(128);
    blend.setActive(true);
    EXPECT_NEAR(window.windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_TRUE(window.mask().isEmpty());

    blend.setBlendMode(bmLWA_COLORKEY);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0) << "the key alone ignores Alpha";
    EXPECT_FALSE(window.mask().isEmpty());

    blend.setActive(false);
    EXPECT_TRUE(window.mask().isEmpty());
}

TEST(KTop, StaysOnTopFromConstructionAndSwitchesOnTheExistingWindow)
{
    QWidget window;
    window.move(120, 80);
    window.resize(50, 40);
    window.show();
    const QWindow *native = window.windowHandle();
    {
        TKTop top(&window);
        EXPECT_TRUE(top.KTop());
        EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));

        top.setKTop(false);
        EXPECT_FALSE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
        top.setKTop(true);
        top.setKTop(true);
        EXPECT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(window.windowHandle(), native) << "the window is not re-created";
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.pos(), QPoint(120, 80));
    }
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "destruction takes it out";
}

TEST(KTop, AHiddenWindowGetsTheFlagForWhenItIsShown)
{
    QWidget window;
    TKTop top(&window);
    top.setKTop(false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.show();
    EXPECT_FALSE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}
