#include "app/cursors.h"

#include <QBitmap>
#include <QImage>

#include <gtest/gtest.h>

TEST(Cursors, HandAndHelpAre32By32WithTheHotSpotAtTheFingertip)
{
    for (int number : {HandCursor, HelpCursor}) {
        const QCursor cursor = AppCursor(number);
        EXPECT_EQ(cursor.hotSpot(), QPoint(6, 1));
        const QImage mask = cursor.mask().toImage();
        ASSERT_EQ(mask.size(), QSize(32, 32));
        // The fingertip itself is drawn; the far corner is see-through.
        EXPECT_NE(mask.pixelIndex(6, 1), mask.pixelIndex(31, 31));
    }
    EXPECT_NE(AppCursor(HandCursor).bitmap().toImage(), AppCursor(HelpCursor).bitmap().toImage());
    EXPECT_EQ(AppCursor(0).shape(), Qt::ArrowCursor);
}
