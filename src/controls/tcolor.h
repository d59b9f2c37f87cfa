#pragma once

#include <QColor>
#include <QtGlobal>

// A colour as the window layouts store it: 32 bits with red in the low byte, or a
// system colour (high byte 0x80, the low byte naming the role).
using TColor = quint32;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor cl3DDkShadow = 0x80000015;

// The face and the hot-tracking tint that the speed buttons of both windows share.
constexpr TColor clSpeedButtonFace = 15525862; // red 230, green 231, blue 236
constexpr TColor clSpeedButtonHot = 16744703;  // red 255, green 128, blue 255

// The colour that a stored value stands for; system colours come from the application's
// palette.
QColor ToQColor(TColor color);
