#include <owl/Slider.h>

#include <user/CommonControls.h>

#include <algorithm>

namespace OWL {

THSlider::THSlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource, TModule* module)
    : TScrollBar(parent, id, x, y, w, h, true, module)
    , m_thumb(thumb_resource)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | TBS_HORZ;
}

const char* THSlider::GetClassName()
{
    InitCommonControls();
    return TRACKBAR_CLASSA;
}

void THSlider::SetupWindow()
{
    TWindow::SetupWindow();
    SetRange(m_min, m_max, false);
    SetRuler(m_tic_gap, m_snap);
    SetPosition(m_position, true);
}

int THSlider::Snapped(int position) const
{
    position = std::clamp(position, std::min(m_min, m_max), std::max(m_min, m_max));
    if (!m_snap || m_tic_gap <= 0)
        return position;
    int steps = (position - m_min + m_tic_gap / 2) / m_tic_gap;
    return std::min(m_min + steps * m_tic_gap, std::max(m_min, m_max));
}

void THSlider::SetRange(int min, int max, bool redraw)
{
    m_min = min;
    m_max = max;
    m_position = Snapped(m_position);
    if (GetHandle()) {
        SendMessageA(GetHandle(), TBM_SETRANGEMIN, FALSE, min);
        SendMessageA(GetHandle(), TBM_SETRANGEMAX, redraw, max);
    }
}

void THSlider::GetRange(int& min, int& max) const
{
    min = m_min;
    max = m_max;
}

int THSlider::GetPosition() const
{
    if (GetHandle() && IsWindow(GetHandle()))
        return static_cast<int>(SendMessageA(GetHandle(), TBM_GETPOS, 0, 0));
    return m_position;
}

void THSlider::SetPosition(int position, bool redraw)
{
    m_position = Snapped(position);
    if (GetHandle())
        SendMessageA(GetHandle(), TBM_SETPOS, redraw, m_position);
}

void THSlider::SetRuler(int tic_gap, bool snap)
{
    m_tic_gap = std::max(tic_gap, 0);
    m_snap = snap;
    if (!GetHandle())
        return;
    LONG style = GetWindowLongA(GetHandle(), GWL_STYLE);
    if (m_tic_gap > 0) {
        SetWindowLongA(GetHandle(), GWL_STYLE, (style | TBS_AUTOTICKS) & ~static_cast<LONG>(TBS_NOTICKS));
        SendMessageA(GetHandle(), TBM_SETTICFREQ, static_cast<WPARAM>(m_tic_gap), 0);
    } else {
        SetWindowLongA(GetHandle(), GWL_STYLE, (style | TBS_NOTICKS) & ~static_cast<LONG>(TBS_AUTOTICKS));
    }
}

}
