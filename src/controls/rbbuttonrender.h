#pragma once

#include "controls/lbspeedbuttonrender.h"
#include "controls/tcolor.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

// The glyph positions are the speed button's.
using TButtonLayout = TLbSpeedButtonLayout;

enum TGradientType {
    gtHorizontal,
    gtVertical,
    gtFromTopLeft,
    gtFromTopRight,
    gtRadial,
    gtDoubleHorz,
    gtDoubleVert
};

// A width x height picture going from one colour to the other. Vertically, row y gets
// from + (to - from) / height * y per channel, rounded to the nearest integer (ties to
// the even neighbour), so the last row stops one step short of to. Equal colours fill
// flat. The other types use the same steps along their own axis.
QImage RbGradient(int width, int height, const QColor &from, const QColor &to,
                  TGradientType type = gtVertical);

// Blends layer over rect of picture at level (1..100; more counts as 100, less does
// nothing): round(picture * (100 - level) / 100 + layer * level / 100) per channel, the
// layer read from its own top-left corner at rect's top-left.
void RbBlend(QImage &picture, const QImage &layer, const QRect &rect, int level);

// The disabled form of a glyph: each pixel grey at (r + g + b) / 3 + 64, capped at 255;
// see-through pixels stay see-through.
QImage RbGreyGlyph(const QImage &glyph);

// Everything a gradient button's picture depends on, taken at paint time.
struct RbButtonLook
{
    int width = 75;
    int height = 25;
    QImage defaultGradient;
    QImage overGradient;
    QImage clickedGradient;
    int overLevel = 0;
    int clickedLevel = 0;
    bool gradientBorder = true;
    TColor color = clBtnFace; // the face around the rounded corners
    TColor borderColor = clGray;
    QString caption;
    bool showCaption = true;
    QFont font;
    TColor fontColor = clBlack;
    bool hotTrack = false;
    bool mouseOver = false;
    TColor hotTrackColor = clBlue;
    bool textShadow = true;
    TColor textShadowColor = clWhite;
    bool enabled = true;
    QImage glyph; // see-through on the colour of its bottom-left pixel
    int spacing = 2;
    TButtonLayout layout = blGlyphLeft;
    bool focused = false;
    bool showFocusRect = true;
};

QImage RenderRbButton(const RbButtonLook &look);

// Where the glyph goes and where the caption is centred, for a caption of captionSize.
struct RbButtonPlacement
{
    QRect captionRect;
    QPoint glyphPos;
};
RbButtonPlacement PlaceRbButtonContent(const RbButtonLook &look, QSize captionSize);
