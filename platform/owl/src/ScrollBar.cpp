#include <owl/ScrollBar.h>

#include <user/Controls.h>

#include <algorithm>

namespace OWL {

TScrollBar::TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool horizontal, TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module)
{
    Attr.Style |= horizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::SetupWindow()
{
    TControl::SetupWindow();
    SetScrollRange(GetHandle(), SB_CTL, m_min, m_max, FALSE);
    SetScrollPos(GetHandle(), SB_CTL, m_position, TRUE);
}

void TScrollBar::GetRange(int& min, int& max) const
{
    min = m_min;
    max = m_max;
}

void TScrollBar::SetRange(int min, int max, bool redraw)
{
    m_min = min;
    m_max = max;
    m_position = std::clamp(m_position, std::min(min, max), std::max(min, max));
    if (GetHandle())
        SetScrollRange(GetHandle(), SB_CTL, min, max, redraw);
}

void TScrollBar::SetPosition(int position, bool redraw)
{
    m_position = std::clamp(position, std::min(m_min, m_max), std::max(m_min, m_max));
    if (GetHandle())
        SetScrollPos(GetHandle(), SB_CTL, m_position, redraw);
}

}
