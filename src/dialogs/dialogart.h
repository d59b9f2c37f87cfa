#pragma once

#include <QImage>

// The small pictures of the two dialogs, drawn in a few solid colours without
// antialiasing. Glyphs have a fuchsia background in their bottom-left pixel, which the
// buttons key out.

// 32 x 32: a white speech bubble holding a blue letter i.
QImage InformationIcon();
// 32 x 32: a yellow five-pointed star.
QImage StarIcon();
// 16 x 16: a blue tick.
QImage TickGlyph();
// 15 x 13: a red cross.
QImage CrossGlyph();
