#include "controls/artimage.h"
#include "controls/colorkey.h"
#include "controls/lbspeedbuttonrender.h"
#include "controls/skinpicture.h"
#include "support/qtprinters.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QString pictures[] = {":/black.gif", ":/white.gif", ":/play.bmp", ":/stop.bmp",
                            ":/next.bmp",  ":/minimize.bmp", ":/LBARROW.bmp"};

bool isKey(QRgb pixel)
{
    return (pixel | 0xFF000000) == ColorKeyRgb;
}

// The bounding rectangle of the pixels that are not the key colour.
QRect paintedArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isKey(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

TEST(ScaledArt, EachPictureComesAtTwiceTheSizeWithTheSameSeeThroughPixelsTwoByTwo)
{
    for (const QString &name : pictures) {
        const QImage plain = ArtImage(name, 1);
        const QImage doubled = ArtImage(name, 2);
        ASSERT_FALSE(plain.isNull()) << name.toStdString();
        EXPECT_EQ(plain.devicePixelRatio(), 1.0);
        EXPECT_EQ(doubled.devicePixelRatio(), 2.0) << name.toStdString();
        EXPECT_EQ(doubled.size(), plain.size() * 2) << name.toStdString();
        EXPECT_EQ(doubled.deviceIndependentSize(), QSizeF(plain.size()));
        int differences = 0;
        for (int y = 0; y < doubled.height(); ++y) {
            for (int x = 0; x < doubled.width(); ++x)
                differences += isKey(doubled.pixel(x, y)) != isKey(plain.pixel(x / 2, y / 2));
        }
        EXPECT_EQ(differences, 0) << name.toStdString();
    }
    // Up to a ratio of 1.5 the plain picture is the nearer one.
    EXPECT_EQ(ArtImage(":/black.gif", 1.25).devicePixelRatio(), 1.0);
    EXPECT_EQ(ArtImage(":/black.gif", 1.5).devicePixelRatio(), 2.0);
    EXPECT_EQ(ArtImage(":/setup.ini", 2).isNull(), true) << "no picture, no picture at twice the size";
}

TEST(SkinPicture, AtItsOwnSizeItPaintsThePlainSkinUnchanged)
{
    SkinPicture picture;
    picture.resize(142, 213);
    picture.setSkin(QStringLiteral(":/white.gif"));
    QImage painted(picture.size(), QImage::Format_RGB32);
    painted.setDevicePixelRatio(1);
    picture.render(&painted);
    EXPECT_EQ(painted, QImage(QStringLiteral(":/white.gif")).convertToFormat(QImage::Format_RGB32));
}

TEST(SkinPicture, BeforeItsSkinIsChosenItPaintsWithoutAWord)
{
    static QStringList warnings;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { warnings << message; });
    SkinPicture picture;
    picture.resize(142, 213);
    QImage painted(picture.size(), QImage::Format_RGB32);
    picture.render(&painted);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList());
}

TEST(SkinPicture, EdgeColoursReachOutOverTheKeyAsFarAsAsked)
{
    QImage image(9, 9, QImage::Format_RGB32);
    image.fill(ColorKeyRgb);
    image.setPixel(4, 4, qRgb(10, 20, 30));
    image.setPixel(0, 0, qRgb(200, 0, 0));
    const QImage carried = WithEdgesCarriedOverKey(image, ColorKeyRgb, 2);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            const int fromMiddle = std::abs(x - 4) + std::abs(y - 4);
            if (fromMiddle <= 2) {
                EXPECT_EQ(carried.pixel(x, y), qRgb(10, 20, 30)) << x << "," << y;
            } else if (x + y > 2) {
                EXPECT_TRUE(isKey(carried.pixel(x, y))) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(carried.pixel(1, 1), qRgb(200, 0, 0));
    EXPECT_EQ(WithEdgesCarriedOverKey(image, ColorKeyRgb, 0), image);
}

TEST(ScaledArt, ASpeedButtonAtTwiceTheSizeDrawsItsGlyphAtTwiceTheSizeInTheSamePlace)
{
    LbSpeedButtonLook look;
    look.width = 25;
    look.height = 22;
    look.style = bsShape;
    look.glyph = ArtImage(":/play.bmp", 1);
    look.numGlyphs = 2;
    const QImage plain = RenderLbSpeedButton(look);
    look.width = 40;
    const int plainRoom = LbCaptionRoom(look);
    look.width = 25;

    look.devicePixelRatio = 2;
    look.glyph = ArtImage(":/play.bmp", 2);
    const QImage doubled = RenderLbSpeedButton(look);
    EXPECT_EQ(doubled.size(), QSize(50, 44));
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    const QRect area = paintedArea(plain);
    ASSERT_FALSE(area.isEmpty());
    EXPECT_EQ(paintedArea(doubled), QRect(area.topLeft() * 2, area.size() * 2));
    look.width = 40;
    EXPECT_EQ(LbCaptionRoom(look), plainRoom) << "the room is in the button's own pixels";
    EXPECT_EQ(plainRoom, 40 - 14 - 12);
}
