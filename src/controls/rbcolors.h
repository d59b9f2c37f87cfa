#pragma once

#include "controls/tcolor.h"

class TRbCustomControl;

// The default and over gradient ends of a gradient control. Writing a different value
// makes the owner rebuild its gradients.
class TRbCustomColors
{
public:
    explicit TRbCustomColors(TRbCustomControl *owner);
    virtual ~TRbCustomColors() = default;
    TRbCustomColors(const TRbCustomColors &) = delete;
    TRbCustomColors &operator=(const TRbCustomColors &) = delete;

    TColor DefaultFrom() const { return m_defaultFrom; }
    void setDefaultFrom(TColor color) { write(m_defaultFrom, color, true); }
    TColor DefaultTo() const { return m_defaultTo; }
    void setDefaultTo(TColor color) { write(m_defaultTo, color, true); }
    TColor OverFrom() const { return m_overFrom; }
    void setOverFrom(TColor color) { write(m_overFrom, color, true); }
    TColor OverTo() const { return m_overTo; }
    void setOverTo(TColor color) { write(m_overTo, color, true); }

protected:
    // Stores color; tells the owner to rebuild (gradients) or repaint when it changed.
    void write(TColor &field, TColor color, bool gradients);

private:
    TRbCustomControl *m_owner;
    TColor m_defaultFrom = clWhite;
    TColor m_defaultTo = 13745839;
    TColor m_overFrom = clWhite;
    TColor m_overTo = 12489846;
};

// Adds the clicked gradient ends, the hot-track caption colour, the border and the text
// shadow. The border rebuilds like a gradient end; hot track and shadow only repaint.
class TRbControlColors : public TRbCustomColors
{
public:
    using TRbCustomColors::TRbCustomColors;

    TColor ClickedFrom() const { return m_clickedFrom; }
    void setClickedFrom(TColor color) { write(m_clickedFrom, color, true); }
    TColor ClickedTo() const { return m_clickedTo; }
    void setClickedTo(TColor color) { write(m_clickedTo, color, true); }
    TColor HotTrack() const { return m_hotTrack; }
    void setHotTrack(TColor color) { write(m_hotTrack, color, false); }
    TColor BorderColor() const { return m_borderColor; }
    void setBorderColor(TColor color) { write(m_borderColor, color, true); }
    TColor TextShadow() const { return m_textShadow; }
    void setTextShadow(TColor color) { write(m_textShadow, color, false); }

private:
    TColor m_clickedFrom = 13029334;
    TColor m_clickedTo = 15463415;
    TColor m_hotTrack = clBlue;
    TColor m_borderColor = clGray;
    TColor m_textShadow = clWhite;
};
