#include "controls/colorkey.h"
#include "controls/lbspeedbutton.h"
#include "support/eventwait.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr TColor buttonFace = 15525862; // red 230, green 231, blue 236
constexpr TColor hotPink = 16744703;    // red 255, green 128, blue 255

// A strip of cells, each filled with its own colour; the bottom-left pixel of every cell
// is white, the colour that the button keys out.
QImage glyphStrip(const std::vector<QColor> &cells, int cellWidth, int height)
{
    QImage strip(cellWidth * int(cells.size()), height, QImage::Format_RGB32);
    QPainter painter(&strip);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        painter.fillRect(int(i) * cellWidth, 0, cellWidth, height, cells[i]);
        painter.fillRect(int(i) * cellWidth, height - 1, 1, 1, Qt::white);
    }
    return strip;
}

LbSpeedButtonLook shapeButton()
{
    LbSpeedButtonLook look;
    look.width = 25;
    look.height = 22;
    look.style = bsShape;
    look.color = buttonFace;
    look.colorWhenDown = clWhite;
    look.hotTrackColor = hotPink;
    look.lightColor = buttonFace;
    look.glyph = glyphStrip({Qt::red, Qt::green}, 14, 14);
    look.numGlyphs = 2;
    return look;
}

LbSpeedButtonLook modernButton()
{
    LbSpeedButtonLook look;
    look.width = 62;
    look.height = 22;
    look.style = bsModern;
    look.color = buttonFace;
    look.colorWhenDown = clWhite;
    look.hotTrackColor = hotPink;
    look.lightColor = buttonFace;
    look.shadowColor = clSilver;
    return look;
}

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

// The first column that holds a pixel of the given colour, or -1.
int firstColumnOf(const QImage &image, QRgb colour)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (at(image, x, y) == (colour | 0xFF000000))
                return x;
    return -1;
}

int firstRowOf(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) == (colour | 0xFF000000))
                return y;
    return -1;
}

} // namespace

TEST(LbSpeedButtonRender, FillBlendsTowardsTheHotColourByEighths)
{
    LbSpeedButtonLook look = modernButton();
    EXPECT_EQ(LbFillColor(look), QColor(230, 231, 236));
    look.hotLevel = 8;
    EXPECT_EQ(LbFillColor(look), QColor(255, 128, 255));
    look.hotLevel = 3; // 230 * 5/8 + 255 * 3/8 = 239.375; 231 * 5/8 + 128 * 3/8 = 192.375
    EXPECT_EQ(LbFillColor(look), QColor(239, 192, 243));
    look.down = true;
    EXPECT_EQ(LbFillColor(look), QColor(255, 255, 255));
    look.enabled = false; // a disabled button is neither hot nor pressed
    EXPECT_EQ(LbFillColor(look), QColor(230, 231, 236));
    look.enabled = true;
    look.colorWhenDown = clNone;
    EXPECT_EQ(LbFillColor(look), QColor(239, 192, 243));
}

TEST(LbSpeedButtonRender, GradientHasThirtyTwoBandsAndNeverPaintsItsEndColour)
{
    QImage image(4, 70, QImage::Format_RGB32);
    image.fill(Qt::black);
    FillVerticalGradient(image, 1, 3, 0, 62, QColor(0, 0, 0), QColor(62, 31, 248));

    // 62 rows in bands of two (62 div 31), each band a third row wide that the next covers.
    EXPECT_EQ(QColor(image.pixel(1, 0)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(image.pixel(1, 2)), QColor(2, 1, 8));
    EXPECT_EQ(QColor(image.pixel(2, 60)), QColor(60, 30, 240));
    EXPECT_EQ(QColor(image.pixel(2, 61)), QColor(60, 30, 240));
    EXPECT_EQ(QColor(image.pixel(1, 62)), QColor(Qt::black)); // bottom is exclusive
    EXPECT_EQ(QColor(image.pixel(0, 10)), QColor(Qt::black)); // so is right, left is not
    EXPECT_EQ(QColor(image.pixel(3, 10)), QColor(Qt::black));
    for (int y = 0; y < 70; ++y)
        EXPECT_NE(QColor(image.pixel(1, y)), QColor(62, 31, 248)) << y;

    // Fewer rows than bands: bands overlap and still run from top to bottom.
    image.fill(Qt::black);
    FillVerticalGradient(image, 0, 4, 10, 13, QColor(0, 0, 0), QColor(31, 31, 31));
    EXPECT_EQ(QColor(image.pixel(0, 9)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(0, 12)), QColor(30, 30, 30));
    FillVerticalGradient(image, 0, 4, 5, 5, Qt::white, Qt::white);
    EXPECT_EQ(QColor(image.pixel(0, 5)), QColor(Qt::black));
}

TEST(LbSpeedButtonRender, ShapeButtonShowsItsGlyphCellOnASeeThroughBody)
{
    LbSpeedButtonLook look = shapeButton();
    const QImage idle = RenderLbSpeedButton(look);
    EXPECT_TRUE(UsesColorKey(look));
    EXPECT_EQ(at(idle, 0, 0), ColorKeyRgb);
    EXPECT_EQ(at(idle, 12, 11), qRgb(255, 0, 0));
    // The glyph is centred: (25 - 14) div 2 = 5, (22 - 14) div 2 = 4; its keyed pixel shows
    // the body through.
    EXPECT_EQ(firstColumnOf(idle, qRgb(255, 0, 0)), 5);
    EXPECT_EQ(firstRowOf(idle, qRgb(255, 0, 0)), 4);
    EXPECT_EQ(at(idle, 5, 17), ColorKeyRgb);

    look.mouseInside = true;
    look.hotLevel = 8;
    EXPECT_EQ(RenderLbSpeedButton(look), idle); // hot: no tint, same cell
    look.down = true;
    EXPECT_EQ(RenderLbSpeedButton(look), idle); // pressed: the glyph does not move

    look = shapeButton();
    look.enabled = false;
    const QImage disabled = RenderLbSpeedButton(look);
    EXPECT_EQ(at(disabled, 12, 11), qRgb(0, 255, 0));
    look.glyph = glyphStrip({Qt::red}, 14, 14);
    look.numGlyphs = 1;
    EXPECT_EQ(at(RenderLbSpeedButton(look), 12, 11), qRgb(255, 0, 0));
}

TEST(LbSpeedButtonRender, PressedShapeCaptionMovesOnePixel)
{
    LbSpeedButtonLook look;
    look.width = 34;
    look.height = 14;
    look.style = bsShape;
    look.caption = QStringLiteral("MENU");
    look.fontColor = clWhite;
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(9);
    font.setStyleStrategy(QFont::NoAntialias);
    look.font = font;

    const QImage idle = RenderLbSpeedButton(look);
    look.down = true;
    const QImage pressed = RenderLbSpeedButton(look);
    const int idleColumn = firstColumnOf(idle, qRgb(255, 255, 255));
    ASSERT_GE(idleColumn, 0);
    EXPECT_EQ(firstColumnOf(pressed, qRgb(255, 255, 255)), idleColumn + 1);
    EXPECT_EQ(firstRowOf(pressed, qRgb(255, 255, 255)), firstRowOf(idle, qRgb(255, 255, 255)) + 1);

    // Disabled, the caption keeps its colour.
    look.down = false;
    look.enabled = false;
    EXPECT_EQ(RenderLbSpeedButton(look), idle);
}

TEST(LbSpeedButtonRender, ModernButtonIsFlatWhenIdleAndAGradientWhenHot)
{
    LbSpeedButtonLook look = modernButton();
    const QImage idle = RenderLbSpeedButton(look);
    for (int y = 2; y < 21; ++y)
        EXPECT_EQ(at(idle, 30, y), qRgb(230, 231, 236)) << y;
    EXPECT_EQ(at(idle, 0, 0), ColorKeyRgb); // outside the rounded corner
    EXPECT_EQ(at(idle, 30, 0), qRgb(192, 192, 192));
    EXPECT_EQ(at(idle, 30, 21), qRgb(192, 192, 192));

    look.mouseInside = true;
    look.hotLevel = 8;
    const QImage hot = RenderLbSpeedButton(look);
    // Rows 2 to 5 run from the light colour to the hot colour, rows 5 to 21 back again.
    // With fewer rows than bands later bands paint over earlier ones: row 2 shows band
    // 10 (trunc(230 + 10 * 25 / 31) = 238 ...), row 5 band 1 of the second gradient.
    EXPECT_EQ(at(hot, 30, 2), qRgb(238, 197, 242));
    EXPECT_EQ(at(hot, 30, 22 / 4), qRgb(254, 131, 254));
    EXPECT_EQ(at(hot, 1, 10), qRgb(255, 128, 255));   // the inner outline in the fill
    EXPECT_NE(at(hot, 30, 19), qRgb(255, 128, 255));  // back towards the light colour

    look.down = true;
    const QImage pressed = RenderLbSpeedButton(look);
    EXPECT_EQ(at(pressed, 1, 10), qRgb(192, 192, 192)); // inner outline in the shadow
    // Pressed, the second gradient starts a row lower, from white: row 6 shows band 2.
    EXPECT_EQ(at(pressed, 30, 22 / 4 + 1), qRgb(253, 253, 253));
}

TEST(LbSpeedButtonRender, TransparentModernButtonDrawsOnlyItsOutlines)
{
    LbSpeedButtonLook look = modernButton();
    look.width = 16;
    look.height = 16;
    look.transparent = true;
    look.shadowColor = clGray;
    const QImage idle = RenderLbSpeedButton(look);
    EXPECT_EQ(at(idle, 8, 8), ColorKeyRgb);
    EXPECT_EQ(at(idle, 1, 8), qRgb(230, 231, 236));
    EXPECT_EQ(at(idle, 0, 8), qRgb(128, 128, 128));
    EXPECT_EQ(at(idle, 0, 0), ColorKeyRgb);
    EXPECT_EQ(at(idle, 15, 15), ColorKeyRgb);

    look.hotLevel = 8;
    look.mouseInside = true;
    const QImage hot = RenderLbSpeedButton(look);
    EXPECT_EQ(at(hot, 1, 8), qRgb(255, 128, 255));
    EXPECT_EQ(at(hot, 8, 8), ColorKeyRgb);
}

TEST(LbSpeedButtonRender, ASmallCaptionIsSetInWholePixelsAndCondensedOnlyToFit)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(9);
    const QString caption = QStringLiteral("MENU");
    const QFont roomy = FontFittingCaption(font, caption, 100);
    EXPECT_EQ(roomy.stretch(), 100) << "a caption that fits keeps its width";
    EXPECT_EQ(roomy.hintingPreference(), QFont::PreferFullHinting);
    // Whole-pixel advances: every letter starts on a pixel, so the gaps come out even.
    const QFontMetricsF metrics(roomy);
    for (const QChar letter : caption)
        EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(letter), std::round(metrics.horizontalAdvance(letter)));

    const int room = QFontMetrics(roomy).horizontalAdvance(caption) - 1;
    const QFont fitted = FontFittingCaption(font, caption, room);
    EXPECT_LT(fitted.stretch(), 100);
    EXPECT_EQ(ShortenCaption(caption, fitted, room), caption);
    EXPECT_EQ(FontFittingCaption(font, caption, 0).stretch(), 80) << "condensed so far and no further";
}

TEST(LbSpeedButtonRender, CaptionsAreShortenedFromTheEnd)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const QString caption = QStringLiteral("ｷｬﾝｾﾙ button caption");
    const int room = metrics.horizontalAdvance(QStringLiteral("ｷｬﾝｾﾙ b"));
    EXPECT_EQ(ShortenCaption(caption, font, room), QStringLiteral("ｷｬﾝｾﾙ b"));
    EXPECT_EQ(ShortenCaption(caption, font, room - 1), QStringLiteral("ｷｬﾝｾﾙ "));
    EXPECT_EQ(ShortenCaption(caption, font, 0), QString());
    EXPECT_EQ(ShortenCaption(QStringLiteral("決 定"), font, 1000), QStringLiteral("決 定"));

    // A button narrower than its margins has no room at all: no caption is drawn.
    LbSpeedButtonLook look = modernButton();
    look.width = 8;
    look.caption = QStringLiteral("決 定");
    look.fontColor = clBlue;
    look.font = font;
    EXPECT_EQ(firstColumnOf(RenderLbSpeedButton(look), qRgb(0, 0, 255)), -1);
}

TEST(LbSpeedButtonRender, ModernNeedsMoreThanEightBitsPerPixel)
{
    EXPECT_EQ(EffectiveStyle(bsModern, 8), bsNormal);
    EXPECT_EQ(EffectiveStyle(bsModern, 24), bsModern);
    EXPECT_EQ(EffectiveStyle(bsShape, 8), bsShape);
}

namespace {

struct ClickCounter
{
    explicit ClickCounter(TLbSpeedButton &button)
    {
        button.OnClick = [this](TLbSpeedButton *) { ++clicks; };
    }
    int clicks = 0;
};

void enter(TLbSpeedButton &button)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), button.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&button, &event);
}

void leave(TLbSpeedButton &button)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&button, &event);
}

} // namespace

TEST(LbSpeedButton, ClicksPressAndRelease)
{
    QWidget parent;
    TLbSpeedButton button(&parent);
    parent.show();
    ClickCounter counter(button);
    bool downDuringClick = false;
    button.OnClick = [&](TLbSpeedButton *sender) {
        ++counter.clicks;
        downDuringClick = sender->Down();
    };

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_TRUE(downDuringClick);
    EXPECT_FALSE(button.Down());

    // Two quick clicks: press, release, double click, release.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(counter.clicks, 3);

    // Released outside, or by another mouse button: no click, and the button comes up.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(150, 5));
    QTest::mousePress(&button, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(counter.clicks, 3);
    EXPECT_FALSE(button.Down());

    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(counter.clicks, 3);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
}

TEST(LbSpeedButton, GroupedButtonsStayDownOneAtATime)
{
    QWidget parent;
    TLbSpeedButton first(&parent);
    TLbSpeedButton second(&parent);
    TLbSpeedButton other(&parent);
    for (auto *button : {&first, &second})
        button->setGroupIndex(1);
    other.setGroupIndex(2);
    other.setDown(true);
    parent.show();

    QTest::mouseClick(&first, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(first.Down());
    QTest::mouseClick(&second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second.Down());
    EXPECT_FALSE(first.Down());
    EXPECT_TRUE(other.Down());

    QTest::mouseClick(&second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second.Down()); // without AllowAllUp a grouped button stays down
    second.setAllowAllUp(true);
    QTest::mouseClick(&second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(second.Down());
}

TEST(LbSpeedButton, HotTrackingWithAndWithoutFading)
{
    // Away from the pointer, so that only the events sent here reach the button.
    QWidget parent;
    parent.resize(300, 300);
    TLbSpeedButton button(&parent);
    button.move(150, 150);
    QCursor::setPos(parent.mapToGlobal(QPoint(5, 5)));
    parent.show();
    int enters = 0;
    int exits = 0;
    button.OnMouseEnter = [&](TLbSpeedButton *) { ++enters; };
    button.OnMouseExit = [&](TLbSpeedButton *) { ++exits; };

    enter(button);
    EXPECT_TRUE(button.isMouseInside());
    EXPECT_EQ(button.hotLevel(), 8);
    leave(button);
    EXPECT_FALSE(button.isMouseInside());
    EXPECT_EQ(button.hotLevel(), 0);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);

    button.setSlowDecease(true);
    enter(button);
    leave(button);
    EXPECT_EQ(button.hotLevel(), 8);
    std::vector<int> levels;
    ASSERT_TRUE(testing_support::waitUntil([&] {
        if (levels.empty() || levels.back() != button.hotLevel())
            levels.push_back(button.hotLevel());
        return button.hotLevel() == 0;
    }));
    EXPECT_EQ(levels.front(), 8);
    EXPECT_TRUE(std::is_sorted(levels.rbegin(), levels.rend()));

    // A disabled button does not light up.
    button.setEnabled(false);
    enter(button);
    EXPECT_EQ(button.hotLevel(), 0);
    EXPECT_EQ(enters, 2);
}

TEST(LbSpeedButton, GlyphSetsTheCellCount)
{
    TLbSpeedButton button;
    button.setGlyph(glyphStrip({Qt::red, Qt::green}, 14, 14));
    EXPECT_EQ(button.NumGlyphs(), 2);
    button.setNumGlyphs(1);
    EXPECT_EQ(button.NumGlyphs(), 1);
    button.setGlyph(QImage());
    EXPECT_EQ(button.NumGlyphs(), 0);
    EXPECT_EQ(button.size(), QSize(100, 23));
}
