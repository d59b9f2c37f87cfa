#pragma once

#include "controls/tcolor.h"

#include <QFont>
#include <QImage>
#include <QString>

enum TLbSpeedButtonStyle { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };
enum TLbSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Everything a speed button's picture depends on, taken from the button at paint time.
struct LbSpeedButtonLook
{
    int width = 100;
    int height = 23;
    TLbSpeedButtonStyle style = bsNormal;
    TColor color = clBtnFace;
    TColor colorWhenDown = clNone;
    TColor hotTrackColor = clNone;
    TColor lightColor = clWhite;
    TColor shadowColor = clBlack;
    QFont font;
    TColor fontColor = clBlack;
    QImage glyph;
    int numGlyphs = 0;
    QString caption;
    TAlignment alignment = taLeftJustify;
    TLbSpeedButtonLayout layout = blGlyphLeft;
    bool transparent = false;
    bool wordWrap = false;
    bool flat = false;
    bool down = false;
    bool enabled = true;
    bool mouseInside = false;
    int hotLevel = 0;
    // The arrow drawn at the right when the button opens a menu; null for none.
    QImage popupArrow;
    // The display's device pixels to a pixel of the button; the glyph and the arrow may
    // carry a ratio of their own.
    qreal devicePixelRatio = 1;
};

// The button's off-screen bitmap, in device pixels, laid out in the button's pixels.
// Pixels of ColorKeyRgb are see-through when UsesColorKey(look) holds.
QImage RenderLbSpeedButton(const LbSpeedButtonLook &look);
bool UsesColorKey(const LbSpeedButtonLook &look);

// The fill: the colour blended towards the hot colour by level/8, then the colour for a
// pressed button.
QColor LbFillColor(const LbSpeedButtonLook &look);

// Which cell of the glyph strip shows.
int LbGlyphCellIndex(const LbSpeedButtonLook &look);

// The caption cut from its end until it is at most room pixels wide.
QString ShortenCaption(const QString &caption, const QFont &font, int room);

// The width that the button leaves its caption, beside the glyph or above and below it.
int LbCaptionRoom(const LbSpeedButtonLook &look);

// The font set with whole-pixel advances, so that a short caption in a small size is set
// evenly, and condensed no more than it takes for the caption to fit room (a substitute
// face may run a pixel wider than the one a layout was made for).
QFont FontFittingCaption(QFont font, const QString &caption, int room);

// 32 bands from a towards b over rows top..bottom (exclusive) and columns left..right
// (exclusive); b itself is never painted.
void FillVerticalGradient(QImage &image, int left, int right, int top, int bottom,
                          const QColor &a, const QColor &b);

// The style a button gets on a screen of that many bits per pixel.
TLbSpeedButtonStyle EffectiveStyle(TLbSpeedButtonStyle style, int screenDepth);
