#include "controls/tcolor.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor color)
{
    if ((color & 0xFF000000) == 0x80000000) {
        const QPalette palette = QGuiApplication::palette();
        switch (color & 0xFF) {
        case 0x05: // window background
            return palette.color(QPalette::Base);
        case 0x08: // window text
        case 0x12: // button text
            return palette.color(QPalette::Text);
        case 0x10: // button shadow
            return palette.color(QPalette::Mid);
        case 0x14: // 3-D highlight
            return palette.color(QPalette::Light);
        case 0x15: // 3-D dark shadow
            return palette.color(QPalette::Shadow);
        default: // button face and the rest
            return palette.color(QPalette::Button);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
