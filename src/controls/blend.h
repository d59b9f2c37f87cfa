#pragma once

#include "controls/tcolor.h"

#include <QtGlobal>

class QWidget;

enum TBlendMode { bmLWA_COLORKEY, bmLWA_ALPHA, bmBoth };

// Cuts the owner window to its picture and sets its opacity: with the colour key on,
// every pixel of exactly TransparentColor is see-through (the window's shape is the
// rest); with the opacity on, the whole window is Alpha/255 opaque.
class TBlend
{
public:
    explicit TBlend(QWidget *owner);

    quint8 Alpha() const { return m_alpha; }
    void setAlpha(quint8 alpha);
    bool Active() const { return m_active; }
    void setActive(bool active);
    TBlendMode BlendMode() const { return m_mode; }
    void setBlendMode(TBlendMode mode);
    // Only meaningful in a form designer; kept because the layouts store it.
    bool DesignActive() const { return m_designActive; }
    void setDesignActive(bool) {}
    TColor TransparentColor() const { return m_key; }
    void setTransparentColor(TColor color);

    // Takes the shape again from what the window now shows (after a new skin, say).
    void refresh() { apply(); }

    // How many times the effect was applied, for tests.
    int applyCount() const { return m_applyCount; }

private:
    void apply();

    QWidget *m_owner;
    quint8 m_alpha = 0;
    bool m_active = false;
    TBlendMode m_mode = bmLWA_COLORKEY;
    bool m_designActive = false;
    TColor m_key = clBlack;
    int m_applyCount = 0;
};
