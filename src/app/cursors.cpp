#include "app/cursors.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>

#include <array>

namespace {

// '#' black, 'o' white, anything else see-through. Rows shorter than 32 are padded.
using CursorArt = std::array<const char *, 32>;

constexpr CursorArt handArt = {
    "",
    "     ##",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo###",
    "    #oo#oo###",
    "    #oo#oo#oo##",
    "    #oo#oo#oo#o#",
    " ## #oo#oo#oo#o#",
    "#oo##ooooooooooo#",
    "#ooo#ooooooooooo#",
    " #oooooooooooooo#",
    "  #ooooooooooooo#",
    "  #oooooooooooo#",
    "   #ooooooooooo#",
    "   #oooooooooo#",
    "    #ooooooooo#",
    "    #ooooooooo#",
    "    ###########",
};

constexpr CursorArt helpArt = {
    "",
    "     ##",
    "    #oo#",
    "    #oo#",
    "    #oo#           #####",
    "    #oo#          #ooooo#",
    "    #oo###       #oo###oo#",
    "    #oo#oo###    #oo# #oo#",
    "    #oo#oo#oo##   ## #oo#",
    "    #oo#oo#oo#o#    #oo#",
    " ## #oo#oo#oo#o#   #oo#",
    "#oo##ooooooooooo#  #oo#",
    "#ooo#ooooooooooo#   ##",
    " #oooooooooooooo#  #oo#",
    "  #ooooooooooooo#  #oo#",
    "  #oooooooooooo#    ##",
    "   #ooooooooooo#",
    "   #oooooooooo#",
    "    #ooooooooo#",
    "    #ooooooooo#",
    "    ###########",
};

QCursor cursorFromArt(const CursorArt &art)
{
    QImage bits(32, 32, QImage::Format_MonoLSB);
    QImage mask(32, 32, QImage::Format_MonoLSB);
    // Index 1 is Qt's color1: a set bit in both pictures.
    const QList<QRgb> colours = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
    bits.setColorTable(colours);
    mask.setColorTable(colours);
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < 32; ++y) {
        const char *row = art[y] ? art[y] : "";
        for (int x = 0; x < 32 && row[x]; ++x) {
            if (row[x] == '#' || row[x] == 'o') {
                mask.setPixel(x, y, 1);
                bits.setPixel(x, y, row[x] == '#' ? 1 : 0);
            }
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), 6, 1);
}

} // namespace

QCursor AppCursor(int number)
{
    static const QCursor hand = cursorFromArt(handArt);
    static const QCursor help = cursorFromArt(helpArt);
    switch (number) {
    case HandCursor:
        return hand;
    case HelpCursor:
        return help;
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void BusyCursor::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
