#include <owl/Gadget.h>
#include <owl/GadgetWindow.h>

#include <gdi/Blit.h>
#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Frames.h>
#include <gdi/Objects.h>
#include <gdi/Resources.h>
#include <gdi/Text.h>
#include <user/Messages.h>
#include <user/Paint.h>

namespace OWL {

namespace {

void fill(HDC dc, const RECT& r, int colour)
{
    FillRect(dc, &r, GetSysColorBrush(colour));
}

}

TGadget::TGadget(int id, TBorderStyle border)
    : m_id(id)
    , m_border(border)
{
}

TGadget::~TGadget()
{
    if (m_window)
        m_window->Remove(*this);
}

void TGadget::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Invalidate();
}

void TGadget::GetDesiredSize(SIZE& size)
{
    size.cx = size.cy = 2 * BorderWidth();
}

void TGadget::SetBounds(const RECT& bounds)
{
    m_bounds = bounds;
}

bool TGadget::PtIn(POINT point) const
{
    return point.x >= m_bounds.left && point.x < m_bounds.right && point.y >= m_bounds.top && point.y < m_bounds.bottom;
}

void TGadget::Paint(HDC dc)
{
    PaintBorder(dc);
}

void TGadget::PaintBorder(HDC dc)
{
    RECT r = m_bounds;
    switch (m_border) {
    case None:
        break;
    case Plain:
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        break;
    case Raised:
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        break;
    case Recessed:
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        break;
    case Embossed:
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
        break;
    }
}

void TGadget::Invalidate()
{
    if (m_window && m_window->GetHandle())
        InvalidateRect(m_window->GetHandle(), &m_bounds, TRUE);
}

TSeparatorGadget::TSeparatorGadget(int size)
    : TGadget(0, None)
    , m_size(size)
{
    SetEnabled(false);
}

void TSeparatorGadget::GetDesiredSize(SIZE& size)
{
    size.cx = size.cy = m_size;
}

TTextGadget::TTextGadget(int id, TBorderStyle border, TAlign align, UINT num_chars, const char* text)
    : TGadget(id, border)
    , m_align(align)
    , m_num_chars(num_chars)
    , m_text(text ? text : "")
{
}

void TTextGadget::SetText(const char* text)
{
    std::string next = text ? text : "";
    if (next == m_text)
        return;
    m_text = std::move(next);
    Invalidate();
}

void TTextGadget::GetDesiredSize(SIZE& size)
{
    TEXTMETRICA metrics {};
    HWND window = GetGadgetWindow() ? GetGadgetWindow()->GetHandle() : nullptr;
    HDC dc = GetDC(window);
    HGDIOBJ old = nullptr;
    if (GetGadgetWindow() && GetGadgetWindow()->GetFont())
        old = SelectObject(dc, GetGadgetWindow()->GetFont());
    GetTextMetricsA(dc, &metrics);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    size.cx = static_cast<LONG>(m_num_chars) * metrics.tmAveCharWidth + 2 * BorderWidth() + 4;
    size.cy = metrics.tmHeight + 2 * BorderWidth() + 2;
}

void TTextGadget::Paint(HDC dc)
{
    PaintBorder(dc);
    RECT r = GetBounds();
    r.left += BorderWidth() + 2;
    r.right -= BorderWidth() + 2;
    r.top += BorderWidth();
    r.bottom -= BorderWidth();
    HGDIOBJ old = nullptr;
    if (GetGadgetWindow() && GetGadgetWindow()->GetFont())
        old = SelectObject(dc, GetGadgetWindow()->GetFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    UINT format = m_align == Left ? DT_LEFT : m_align == Center ? DT_CENTER : DT_RIGHT;
    DrawTextA(dc, m_text.c_str(), static_cast<int>(m_text.size()), &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (old)
        SelectObject(dc, old);
}

TButtonGadget::TButtonGadget(UINT bitmap_id, int id, TType type, bool enabled, TState state, bool)
    : TGadget(id, None)
    , m_bitmap_id(bitmap_id)
    , m_type(type)
    , m_state(state)
{
    TGadget::SetEnabled(enabled);
    LoadGlyph();
}

TButtonGadget::~TButtonGadget()
{
    if (m_glyph)
        DeleteObject(m_glyph);
}

void TButtonGadget::LoadGlyph()
{
    m_glyph = LoadBitmapA(nullptr, MAKEINTRESOURCEA(m_bitmap_id));
    BITMAP info {};
    if (m_glyph && GetObjectA(m_glyph, sizeof info, &info))
        m_glyph_size = { info.bmWidth, info.bmHeight };
}

void TButtonGadget::Inserted()
{
    if (!m_glyph)
        LoadGlyph();
}

void TButtonGadget::SetButtonState(TState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Invalidate();
}

void TButtonGadget::SetEnabled(bool enabled)
{
    if (!enabled)
        m_pressed = m_tracking = false;
    TGadget::SetEnabled(enabled);
}

void TButtonGadget::GetDesiredSize(SIZE& size)
{
    size.cx = m_glyph_size.cx + 7;
    size.cy = m_glyph_size.cy + 6;
}

void TButtonGadget::Paint(HDC dc)
{
    RECT r = GetBounds();
    bool down = m_pressed || m_state == Down;
    bool flat = TGadgetWindow::GetFlatStyle() != 0;
    fill(dc, r, m_state == Down && !m_pressed ? COLOR_3DLIGHT : COLOR_BTNFACE);
    if (down)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (!flat)
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    if (!m_glyph)
        return;
    int x = r.left + (r.right - r.left - m_glyph_size.cx) / 2 + (down ? 1 : 0);
    int y = r.top + (r.bottom - r.top - m_glyph_size.cy) / 2 + (down ? 1 : 0);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, m_glyph);
    BitBlt(dc, x, y, m_glyph_size.cx, m_glyph_size.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (!GetEnabled()) {
        // Greyed: the face colour over every other pixel of the picture.
        for (int py = y; py < y + m_glyph_size.cy; ++py)
            for (int px = x + ((py - y) & 1); px < x + m_glyph_size.cx; px += 2)
                SetPixel(dc, px, py, GetSysColor(COLOR_BTNFACE));
    }
}

void TButtonGadget::LButtonDown(POINT)
{
    if (!GetEnabled())
        return;
    m_pressed = m_tracking = true;
    if (GetGadgetWindow())
        GetGadgetWindow()->GadgetSetCapture(*this);
    Invalidate();
}

void TButtonGadget::MouseMove(POINT point)
{
    if (!m_tracking)
        return;
    bool inside = PtIn(point);
    if (inside != m_pressed) {
        m_pressed = inside;
        Invalidate();
    }
}

void TButtonGadget::LButtonUp(POINT point)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    bool clicked = m_pressed && PtIn(point);
    m_pressed = false;
    Invalidate();
    TGadgetWindow* window = GetGadgetWindow();
    if (window)
        window->GadgetReleaseCapture(*this);
    if (!clicked || !GetEnabled() || !window)
        return;
    if (m_type == NonExclusive)
        SetButtonState(m_state == Down ? Up : Down);
    else if (m_type == Exclusive)
        SetButtonState(Down);
    // Commands go up the frame's route (frame, client, application).
    TWindow* target = window->GetParentO() ? window->GetParentO() : window;
    if (target->GetHandle())
        PostMessageA(target->GetHandle(), WM_COMMAND, static_cast<WPARAM>(GetId()), 0);
}

void TButtonGadget::CommandEnable()
{
    TGadgetWindow* window = GetGadgetWindow();
    if (!window)
        return;
    TWindow* route = window->GetParentO() ? window->GetParentO() : window;
    TButtonGadgetEnabler ce(*this);
    if (!route->RouteEnabler(ce) || !ce.WasHandled())
        SetEnabled(route->CommandHasHandler(static_cast<UINT>(GetId())));
}

TButtonGadgetEnabler::TButtonGadgetEnabler(TButtonGadget& gadget)
    : TCommandEnabler(static_cast<UINT>(gadget.GetId()))
    , m_gadget(gadget)
{
}

void TButtonGadgetEnabler::Enable(bool enable)
{
    TCommandEnabler::Enable(enable);
    m_gadget.SetEnabled(enable);
}

void TButtonGadgetEnabler::SetCheck(int state)
{
    m_handled = true;
    m_gadget.SetButtonState(state == Checked ? TButtonGadget::Down
            : state == Indeterminate           ? TButtonGadget::Indeterminate
                                               : TButtonGadget::Up);
}

TControlGadget::TControlGadget(TWindow& control, TBorderStyle border)
    : TGadget(static_cast<int>(control.Attr.Id), border)
    , m_control(&control)
{
}

TControlGadget::~TControlGadget()
{
    if (GetGadgetWindow())
        GetGadgetWindow()->Remove(*this);
    delete m_control;
}

void TControlGadget::GetDesiredSize(SIZE& size)
{
    size.cx = m_control->Attr.W + 2 * BorderWidth();
    size.cy = m_control->Attr.H + 2 * BorderWidth();
}

void TControlGadget::SetBounds(const RECT& bounds)
{
    TGadget::SetBounds(bounds);
    int b = BorderWidth();
    if (m_control->GetHandle())
        MoveWindow(m_control->GetHandle(), bounds.left + b, bounds.top + b, bounds.right - bounds.left - 2 * b,
            bounds.bottom - bounds.top - 2 * b, TRUE);
}

void TControlGadget::Inserted()
{
    TGadgetWindow* window = GetGadgetWindow();
    if (m_control->GetParentO() != window)
        window->AddChild(m_control);
    if (window->GetHandle()) {
        if (!m_control->GetHandle())
            m_control->Create();
        else if (m_control->Attr.Style & WS_VISIBLE)
            ShowWindow(m_control->GetHandle(), SW_SHOWNA);
    }
}

void TControlGadget::Removed()
{
    if (m_control->GetHandle())
        ShowWindow(m_control->GetHandle(), SW_HIDE);
}

}
