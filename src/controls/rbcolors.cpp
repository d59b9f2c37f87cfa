#include "controls/rbcolors.h"

#include "controls/rbcustomcontrol.h"

TRbCustomColors::TRbCustomColors(TRbCustomControl *owner)
    : m_owner(owner)
{
}

void TRbCustomColors::write(TColor &field, TColor color, bool gradients)
{
    if (field == color)
        return;
    field = color;
    if (m_owner)
        m_owner->colorsChanged(gradients);
}
