#include "controls/rbbutton.h"

#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QRgb rgbAt(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

// A look without caption or glyph, so that every pixel comes from gradients and border.
RbButtonLook bareLook(int width = 74, int height = 26)
{
    RbButtonLook look;
    look.width = width;
    look.height = height;
    look.color = 15525862; // a face colour that no gradient holds
    look.defaultGradient = RbGradient(width, height, Qt::white, QColor(175, 190, 209));
    look.overGradient = RbGradient(width, height, Qt::white, QColor(118, 148, 190));
    look.clickedGradient = RbGradient(width, height, QColor(214, 207, 198), QColor(247, 243, 235));
    look.showCaption = false;
    look.caption.clear();
    return look;
}

// Runs fade ticks until the timer stops; the number of ticks it took.
int ticksUntilStopped(TRbButton &button, int limit = 100)
{
    int ticks = 0;
    while (button.isFading() && ticks < limit) {
        button.fadeTick();
        ++ticks;
    }
    return ticks;
}

void enter(QWidget &widget)
{
    QEnterEvent event(QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)),
                      widget.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&widget, &event);
}

void leave(QWidget &widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

void sendKey(QWidget &widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(&widget, &event);
}

// A shown dialog holding one button of the dialog's size.
struct ButtonInDialog
{
    QDialog dialog;
    TRbButton *button = new TRbButton(&dialog);
    int clicks = 0;

    ButtonInDialog()
    {
        button->setGeometry(72, 53, 74, 26);
        button->OnClick = [this](TRbButton *) { ++clicks; };
        dialog.resize(232, 87);
        dialog.show();
        QApplication::processEvents();
    }
};

} // namespace

TEST(RbGradient, RowsStepWithRoundingAndStopOneStepShort)
{
    const QImage g = RbGradient(74, 26, Qt::white, QColor(175, 190, 209));
    // Green falls by 65 / 26 = 2.5 a row, so odd rows land on halves: ties go to even.
    const struct
    {
        int row;
        int red, green, blue;
    } rows[] = {
        {0, 255, 255, 255},
        {1, 252, 252, 253}, // 251.92, 252.5, 253.23
        {3, 246, 248, 250}, // 245.77, 247.5, 249.69
        {13, 215, 222, 232},
        {25, 178, 192, 211}, // the last row, one step short of 175, 190, 209
    };
    for (const auto &r : rows) {
        const QRgb p = rgbAt(g, 40, r.row);
        EXPECT_EQ(qRed(p), r.red) << "row " << r.row;
        EXPECT_EQ(qGreen(p), r.green) << "row " << r.row;
        EXPECT_EQ(qBlue(p), r.blue) << "row " << r.row;
        EXPECT_EQ(rgbAt(g, 0, r.row), p) << "a vertical gradient is the same across a row";
    }
}

TEST(RbGradient, EqualEndsFillFlatAndRisingEndsRoundUpward)
{
    const QImage flat = RbGradient(20, 9, QColor(12, 34, 56), QColor(12, 34, 56));
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(rgbAt(flat, 7, y), qRgb(12, 34, 56));

    // 214 -> 247 over 26 rows: row 25 is 214 + 33 * 25 / 26 = 245.73.
    const QImage up = RbGradient(10, 26, QColor(214, 207, 198), QColor(247, 243, 235));
    EXPECT_EQ(qRed(rgbAt(up, 0, 25)), 246);
    EXPECT_EQ(qGreen(rgbAt(up, 0, 25)), 242); // 207 + 36 * 25 / 26 = 241.62
    EXPECT_EQ(qBlue(rgbAt(up, 0, 13)), 216);  // 198 + 37 / 2 = 216.5, tie to even
}

TEST(RbBlendTest, LevelsRoundAndSampleTheLayerFromItsCorner)
{
    QImage picture(6, 6, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 255));
    QImage layer(6, 6, QImage::Format_RGB32);
    layer.fill(qRgb(101, 255, 0));
    layer.setPixel(0, 0, qRgb(0, 0, 0));

    QImage half = picture;
    RbBlend(half, layer, QRect(2, 2, 4, 4), 50);
    EXPECT_EQ(rgbAt(half, 1, 1), qRgb(200, 0, 255)) << "outside the rectangle";
    EXPECT_EQ(rgbAt(half, 2, 2), qRgb(100, 0, 128)) << "layer's own (0, 0) at the corner";
    EXPECT_EQ(rgbAt(half, 3, 3), qRgb(150, 128, 128)) << "150.5 and 127.5 go to even";

    QImage light = picture;
    RbBlend(light, layer, light.rect(), 30);
    EXPECT_EQ(rgbAt(light, 4, 4), qRgb(170, 76, 178)); // 170.3, 76.5, 178.5

    QImage full = picture;
    RbBlend(full, layer, full.rect(), 250);
    EXPECT_EQ(rgbAt(full, 4, 4), qRgb(101, 255, 0)) << "more than 100 counts as 100";

    QImage none = picture;
    RbBlend(none, layer, none.rect(), 0);
    EXPECT_EQ(none, picture);
}

TEST(RbButtonPaint, IdleFaceIsTheDefaultGradientShiftedByOnePixelInsideTheBorder)
{
    const RbButtonLook look = bareLook();
    const QImage face = RenderRbButton(look);
    EXPECT_EQ(rgbAt(face, 10, 5), rgbAt(look.defaultGradient, 9, 4));
    EXPECT_EQ(rgbAt(face, 1, 20), rgbAt(look.defaultGradient, 0, 19));
    // Border: grey straight edges, one diagonal pixel per corner, face colour outside.
    const QRgb grey = qRgb(128, 128, 128);
    EXPECT_EQ(rgbAt(face, 10, 0), grey);
    EXPECT_EQ(rgbAt(face, 0, 10), grey);
    EXPECT_EQ(rgbAt(face, 73, 10), grey);
    EXPECT_EQ(rgbAt(face, 10, 25), grey);
    EXPECT_EQ(rgbAt(face, 1, 1), grey);
    EXPECT_EQ(rgbAt(face, 72, 24), grey);
    EXPECT_EQ(rgbAt(face, 0, 0), qRgb(230, 231, 236));
    EXPECT_EQ(rgbAt(face, 1, 0), qRgb(230, 231, 236));
    EXPECT_EQ(rgbAt(face, 73, 25), qRgb(230, 231, 236));
}

TEST(RbButtonPaint, PressedWithGradientBorderKeepsAThreePixelRing)
{
    RbButtonLook look = bareLook();
    look.clickedLevel = 100;
    const QImage ringed = RenderRbButton(look);
    // Inside the ring: the clicked gradient, its own top-left at (3, 3).
    EXPECT_EQ(rgbAt(ringed, 3, 3), rgbAt(look.clickedGradient, 0, 0));
    EXPECT_EQ(rgbAt(ringed, 70, 22), rgbAt(look.clickedGradient, 67, 19));
    // The ring: border at 0, the default gradient at 1 and 2, and at row and column 71+.
    EXPECT_EQ(rgbAt(ringed, 2, 10), rgbAt(look.defaultGradient, 1, 9));
    EXPECT_EQ(rgbAt(ringed, 30, 2), rgbAt(look.defaultGradient, 29, 1));
    EXPECT_EQ(rgbAt(ringed, 71, 10), rgbAt(look.defaultGradient, 70, 9));
    EXPECT_EQ(rgbAt(ringed, 30, 23), rgbAt(look.defaultGradient, 29, 22));

    look.gradientBorder = false;
    const QImage whole = RenderRbButton(look);
    EXPECT_EQ(rgbAt(whole, 2, 10), rgbAt(look.clickedGradient, 2, 10));
    EXPECT_EQ(rgbAt(whole, 1, 1), qRgb(128, 128, 128)) << "the border is drawn over it";
}

TEST(RbButtonPaint, OverLevelBlendsTheOverGradientOverTheWholeFace)
{
    RbButtonLook look = bareLook();
    look.overLevel = 40;
    const QImage lit = RenderRbButton(look);
    const QRgb base = rgbAt(look.defaultGradient, 19, 9);
    const QRgb over = rgbAt(look.overGradient, 20, 10);
    const auto mix = [](int a, int b) { return int(std::lround((a * 60 + b * 40) / 100.0)); };
    const QRgb got = rgbAt(lit, 20, 10);
    EXPECT_NEAR(qRed(got), mix(qRed(base), qRed(over)), 0);
    EXPECT_NEAR(qGreen(got), mix(qGreen(base), qGreen(over)), 1);
    EXPECT_NEAR(qBlue(got), mix(qBlue(base), qBlue(over)), 1);

    look.overLevel = -20;
    EXPECT_EQ(RenderRbButton(look), RenderRbButton(bareLook())) << "below 0 paints as 0";
}

TEST(RbButtonPaint, DisabledGlyphIsLightGreyAndKeepsItsSeeThroughPixels)
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            glyph.setPixel(x, y, qRgb(10, 200, 30));
    glyph.setPixel(5, 5, qRgb(250, 250, 250));

    const QImage grey = RbGreyGlyph(glyph);
    EXPECT_EQ(rgbAt(grey, 4, 4), qRgb(144, 144, 144)); // 240 / 3 + 64
    EXPECT_EQ(rgbAt(grey, 5, 5), qRgb(255, 255, 255)) << "capped";

    RbButtonLook look = bareLook();
    look.glyph = glyph;
    look.spacing = 6;
    look.enabled = false;
    const QImage face = RenderRbButton(look);
    const QPoint at = PlaceRbButtonContent(look, QSize()).glyphPos;
    EXPECT_EQ(rgbAt(face, at.x() + 6, at.y() + 6), qRgb(144, 144, 144));
    // A keyed pixel shows the face beneath it.
    EXPECT_EQ(rgbAt(face, at.x() + 1, at.y() + 1), rgbAt(RenderRbButton(bareLook()), at.x() + 1,
                                                          at.y() + 1));
    look.enabled = true;
    EXPECT_EQ(rgbAt(RenderRbButton(look), at.x() + 6, at.y() + 6), qRgb(10, 200, 30));
}

TEST(RbButtonPaint, GlyphEndsSpacingBeforeTheCentredCaption)
{
    RbButtonLook look = bareLook();
    look.glyph = QImage(16, 16, QImage::Format_RGB32);
    look.spacing = 6;
    look.showCaption = true;
    look.caption = QStringLiteral("決　定");
    // Caption rectangle 22..74: the caption of 40 starts at 28, the glyph at 28 - 6 - 16.
    RbButtonPlacement place = PlaceRbButtonContent(look, QSize(40, 12));
    EXPECT_EQ(place.captionRect.left(), 22);
    EXPECT_EQ(place.glyphPos, QPoint(6, 5));
    // 15 x 13 with spacing 2, no caption: (17 + 74 - 2) / 2 - 15.
    look.glyph = QImage(15, 13, QImage::Format_RGB32);
    look.spacing = 2;
    look.showCaption = false;
    place = PlaceRbButtonContent(look, QSize(40, 12));
    EXPECT_EQ(place.glyphPos, QPoint(29, 6));
}

TEST(RbButtonPaint, FocusRectangleDotsInsetByTwo)
{
    RbButtonLook look = bareLook();
    const QImage plain = RenderRbButton(look);
    look.focused = true;
    const QImage focused = RenderRbButton(look);
    EXPECT_EQ(rgbAt(focused, 2, 2), rgbAt(plain, 2, 2) ^ 0x00FFFFFF);
    EXPECT_EQ(rgbAt(focused, 3, 2), rgbAt(plain, 3, 2)) << "dotted: every other pixel";
    EXPECT_EQ(rgbAt(focused, 71, 23), rgbAt(plain, 71, 23) ^ 0x00FFFFFF);
    EXPECT_EQ(rgbAt(focused, 3, 3), rgbAt(plain, 3, 3));
    look.showFocusRect = false;
    EXPECT_EQ(RenderRbButton(look), plain);
}

TEST(RbButtonPaint, CaptionWithShadowStaysInsideAndLongCaptionsAreCut)
{
    RbButtonLook look = bareLook();
    look.showCaption = true;
    look.font.setPixelSize(12);
    look.caption = QStringLiteral("&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&");
    const QImage face = RenderRbButton(look);
    // The border and the outer face survive: the cut caption does not run over them.
    EXPECT_EQ(rgbAt(face, 0, 0), qRgb(230, 231, 236));
    EXPECT_EQ(rgbAt(face, 0, 12), qRgb(128, 128, 128));
    EXPECT_EQ(rgbAt(face, 73, 12), qRgb(128, 128, 128));
    // Something black was drawn, and white shadow pixels too.
    bool black = false;
    for (int x = 0; x < 74; ++x)
        for (int y = 0; y < 26; ++y)
            black = black || rgbAt(face, x, y) == qRgb(0, 0, 0);
    EXPECT_TRUE(black);
}

TEST(RbButtonFade, HoverBrightensInTenStepsAndLeavingReversesIt)
{
    ButtonInDialog in;
    TRbButton &button = *in.button;
    enter(button);
    EXPECT_TRUE(button.IsOver());
    EXPECT_TRUE(button.isFading());
    EXPECT_EQ(ticksUntilStopped(button), 10);
    EXPECT_EQ(button.OverLevel(), 100);

    leave(button);
    EXPECT_FALSE(button.IsOver());
    button.fadeTick();
    EXPECT_EQ(button.OverLevel(), 90);
    // Nine more to 0, then the tick that finds nothing left stops the timer.
    EXPECT_EQ(ticksUntilStopped(button), 10);
    EXPECT_EQ(button.OverLevel(), 0);
    EXPECT_EQ(in.clicks, 0);
}

TEST(RbButtonFade, PressBlendsInTheClickedGradientInFourStepsWithoutMovingOver)
{
    ButtonInDialog in;
    TRbButton &button = *in.button;
    enter(button);
    button.fadeTick();
    button.fadeTick();
    ASSERT_EQ(button.OverLevel(), 20);

    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(button.hasFocus());
    EXPECT_TRUE(button.IsClicked());
    for (int step = 1; step <= 4; ++step) {
        button.fadeTick();
        EXPECT_EQ(button.ClickedLevel(), 25 * step);
        EXPECT_EQ(button.OverLevel(), 20);
    }
    EXPECT_TRUE(button.isFading());
    button.fadeTick();
    EXPECT_FALSE(button.isFading()) << "the tick that finds 100 stops the timer";

    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(in.clicks, 1);
    EXPECT_FALSE(button.IsClicked());
    button.fadeTick();
    EXPECT_EQ(button.ClickedLevel(), 75);
    EXPECT_EQ(button.OverLevel(), 30);
    ticksUntilStopped(button);
    EXPECT_EQ(button.ClickedLevel(), 0);
    EXPECT_EQ(button.OverLevel(), 100);
}

TEST(RbButtonFade, DraggingOffAndReleasingOutsideFadesBackWithoutAClick)
{
    ButtonInDialog in;
    TRbButton &button = *in.button;
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    button.fadeTick();
    QMouseEvent drag(QEvent::MouseMove, QPointF(120, 10), button.mapToGlobal(QPointF(120, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &drag);
    EXPECT_FALSE(button.IsOver());
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(120, 10));
    EXPECT_EQ(in.clicks, 0);
    ticksUntilStopped(button);
    EXPECT_EQ(button.OverLevel(), 0);
    EXPECT_EQ(button.ClickedLevel(), 0);
}

TEST(RbButtonKeys, SpaceRepeatsEnterClicksEscapeOnlyWhenCancel)
{
    ButtonInDialog in;
    TRbButton &button = *in.button;
    button.setFocus();
    sendKey(button, Qt::Key_Space);
    sendKey(button, Qt::Key_Space, Qt::NoModifier, true);
    sendKey(button, Qt::Key_Space, Qt::NoModifier, true);
    EXPECT_EQ(in.clicks, 3) << "each repeated key-down clicks";
    sendKey(button, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(in.clicks, 3) << "not with a modifier";
    sendKey(button, Qt::Key_Return);
    sendKey(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(in.clicks, 5);
    sendKey(button, Qt::Key_Escape);
    EXPECT_EQ(in.clicks, 5);
    EXPECT_FALSE(in.dialog.isVisible()) << "an Escape the button does not take reaches the window";
    in.dialog.show();
    button.setFocus();
    button.setCancel(true);
    sendKey(button, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(in.clicks, 5);
    sendKey(button, Qt::Key_Escape);
    EXPECT_EQ(in.clicks, 6);
    button.setEnabled(false);
    sendKey(button, Qt::Key_Return);
    EXPECT_EQ(in.clicks, 6);
}

TEST(RbButtonKeys, DefaultAndCancelAnswerKeysFromOtherControls)
{
    ButtonInDialog in;
    auto *edit = new QLineEdit(&in.dialog);
    edit->show();
    edit->setFocus();
    in.button->setDefault(true);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(in.clicks, 1);
    in.button->setDefault(false);
    in.button->setCancel(true);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(in.clicks, 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(in.clicks, 2);
}

TEST(RbButtonClick, ModalResultClosesTheDialogOnlyWhenSet)
{
    ButtonInDialog in;
    in.button->Click();
    EXPECT_TRUE(in.dialog.isVisible()) << "0 leaves the dialog open";
    in.button->setModalResult(QDialog::Accepted);
    in.button->Click();
    EXPECT_FALSE(in.dialog.isVisible());
    EXPECT_EQ(in.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(in.clicks, 2);
}

TEST(RbButtonGroups, DownOnlyInGroupsAndExclusive)
{
    QWidget parent;
    TRbButton plain(&parent);
    plain.setDown(true);
    EXPECT_FALSE(plain.Down());
    plain.Click();
    EXPECT_FALSE(plain.Down());

    TRbButton a(&parent), b(&parent);
    a.setGroupIndex(1);
    b.setGroupIndex(1);
    a.setDown(true);
    EXPECT_TRUE(a.Down());
    b.Click();
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    b.setDown(false);
    EXPECT_TRUE(b.Down()) << "the last down button stays down without AllowAllUp";
    b.Click();
    EXPECT_TRUE(b.Down());
    b.setAllowAllUp(true);
    b.Click();
    EXPECT_FALSE(b.Down());

    // A down button keeps its lit look when the mouse leaves.
    a.setDown(true);
    leave(a);
    enter(a);
    leave(a);
    EXPECT_TRUE(a.IsOver());
    EXPECT_TRUE(a.IsClicked());
}

TEST(RbButtonProperties, ColoursRebuildGradientsAndSpacingStaysNonNegative)
{
    TRbButton button;
    button.resize(74, 26);
    const RbButtonLook before = button.look();
    EXPECT_EQ(rgbAt(before.defaultGradient, 0, 25), qRgb(178, 192, 211));
    button.Colors().setDefaultTo(button.Colors().DefaultFrom());
    EXPECT_EQ(rgbAt(button.look().defaultGradient, 0, 25), qRgb(255, 255, 255));
    EXPECT_EQ(button.Colors().OverTo(), TColor(12489846));
    EXPECT_EQ(button.Colors().ClickedFrom(), TColor(13029334));
    EXPECT_EQ(button.Colors().ClickedTo(), TColor(15463415));

    button.setSpacing(-4);
    EXPECT_EQ(button.Spacing(), 0);
    EXPECT_EQ(button.FadeSpeed(), fsMedium);
    EXPECT_EQ(button.GradientType(), gtVertical);
    EXPECT_EQ(button.width(), 74);
}
