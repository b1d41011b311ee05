#include "MySlider.h"

#include <gdi/Blit.h>
#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Frames.h>
#include <gdi/Objects.h>
#include <gdi/Resources.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/Keyboard.h>
#include <user/Paint.h>

#include <algorithm>
#include <cstdlib>

namespace OWL {

namespace {

const TStreamableClass RegisterSlider("TMySlider", &TMyHSlider::Streamer::Build);
const TStreamableClass RegisterHSlider("TMyHSlider", &TMyHSlider::Streamer::Build);

POINT point_of(LPARAM lparam)
{
    return { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
}

// The scroll codes of the slider's keys; -1 for other keys.
int key_code(UINT key)
{
    switch (key) {
    case VK_PRIOR: return SB_PAGEUP;
    case VK_NEXT: return SB_PAGEDOWN;
    case VK_END: return SB_BOTTOM;
    case VK_HOME: return SB_TOP;
    case VK_LEFT:
    case VK_UP: return SB_LINEUP;
    case VK_RIGHT:
    case VK_DOWN: return SB_LINEDOWN;
    default: return -1;
    }
}

}

TMySlider::TMySlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource, TModule* module)
    : TScrollBar(parent, id, x, y, w, h, true, module)
{
    InitSlider(thumb_resource);
}

TMySlider::TMySlider(TWindow* parent, int resource_id, UINT thumb_resource, TModule* module)
    : TScrollBar(parent, resource_id, 0, 0, 0, 0, true, module)
{
    InitSlider(thumb_resource);
}

void TMySlider::InitSlider(UINT thumb_resource)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    m_thumb_resource = thumb_resource;
    m_min = 0;
    m_max = 100;
    m_range = 100;
    m_tic_gap = m_range / 10;
    m_slot_thickness = 4;
    m_snap = true;
    m_native = true; // the common controls are always there
}

TMySlider::~TMySlider()
{
    if (m_thumb_region)
        DeleteObject(m_thumb_region);
    if (m_thumb)
        DeleteObject(m_thumb);
}

const char* TMySlider::GetClassName()
{
    if (m_native) {
        InitCommonControls();
        if (m_tics.empty())
            Attr.Style |= TBS_AUTOTICKS;
        return TRACKBAR_CLASSA;
    }
    return "OWL_Slider";
}

void TMySlider::SetupWindow()
{
    TWindow::SetupWindow(); // the scroll bar's own range calls are for "SCROLLBAR" windows
    if (!m_thumb) {
        m_thumb = LoadBitmapA(nullptr, MAKEINTRESOURCEA(m_thumb_resource));
        BITMAP info {};
        if (m_thumb && GetObjectA(m_thumb, sizeof info, &info))
            m_thumb_size = { info.bmWidth, info.bmHeight };
    }
    if (m_native) {
        SetSliderRange(m_min, m_max, false);
        if (m_tics.empty())
            SetRuler(m_tic_gap, m_snap);
        else
            SetRuler(m_tics, m_snap);
        SetSel(m_sel_start, m_sel_end, false);
        SetSliderPosition(m_position, true);
        return;
    }
    SetupThumbRgn();
    MoveThumb(m_position);
}

void TMySlider::CleanupWindow()
{
    // The trackbar keeps the position the user left it at.
    if (m_native && GetHandle())
        m_position = static_cast<int>(SendMessageA(GetHandle(), TBM_GETPOS, 0, 0));
}

int TMySlider::Clamp(int position) const
{
    return std::clamp(position, std::min(m_min, m_max), std::max(m_min, m_max));
}

int TMySlider::Snap(int position) const
{
    position = Clamp(position);
    if (!m_snap)
        return position;
    if (!m_tics.empty()) {
        int best = m_tics.front();
        for (int tic : m_tics) {
            if (std::abs(tic - position) < std::abs(best - position))
                best = tic;
        }
        return Clamp(best);
    }
    if (m_tic_gap <= 0)
        return position;
    int steps = (std::abs(position - m_min) + m_tic_gap / 2) / m_tic_gap;
    return Clamp(m_min + (m_max >= m_min ? steps : -steps) * m_tic_gap);
}

void TMySlider::SetSliderRange(int minimum, int maximum, bool redraw)
{
    m_min = minimum;
    m_max = maximum;
    m_range = maximum == minimum ? 1 : std::abs(maximum - minimum);
    if (m_native && GetHandle()) {
        SendMessageA(GetHandle(), TBM_SETRANGE, redraw, MAKELONG(minimum, maximum));
        return;
    }
    m_position = Clamp(m_position);
    if (GetHandle()) {
        MoveThumb(m_position);
        if (redraw)
            InvalidateRect(GetHandle(), nullptr, TRUE);
    }
}

void TMySlider::GetSliderRange(int& minimum, int& maximum) const
{
    minimum = m_min;
    maximum = m_max;
}

void TMySlider::SetSliderPosition(int position, bool redraw)
{
    m_position = Snap(position);
    if (m_native) {
        if (GetHandle())
            SendMessageA(GetHandle(), TBM_SETPOS, redraw, m_position);
        return;
    }
    if (GetHandle())
        MoveThumb(m_position);
}

int TMySlider::GetSliderPosition() const
{
    if (m_native && GetHandle() && IsWindow(GetHandle()))
        return static_cast<int>(SendMessageA(GetHandle(), TBM_GETPOS, 0, 0));
    return m_position;
}

void TMySlider::SetRuler(int tic_gap, bool snap)
{
    m_tic_gap = std::max(tic_gap, 0);
    m_tics.clear();
    m_snap = snap;
    if (m_native && GetHandle()) {
        SendMessageA(GetHandle(), TBM_CLEARTICS, FALSE, 0);
        SendMessageA(GetHandle(), TBM_SETTICFREQ, static_cast<WPARAM>(m_tic_gap), 0);
    } else if (GetHandle()) {
        InvalidateRect(GetHandle(), nullptr, TRUE);
    }
}

void TMySlider::SetRuler(const std::vector<int>& tics, bool snap)
{
    m_tics = tics;
    m_snap = snap;
    if (m_native && GetHandle()) {
        SendMessageA(GetHandle(), TBM_CLEARTICS, FALSE, 0);
        for (int tic : m_tics)
            SendMessageA(GetHandle(), TBM_SETTIC, 0, tic);
    } else if (GetHandle()) {
        InvalidateRect(GetHandle(), nullptr, TRUE);
    }
}

void TMySlider::SetSel(int start, int end, bool redraw)
{
    m_sel_start = start;
    m_sel_end = end;
    if (m_native && GetHandle())
        SendMessageA(GetHandle(), TBM_SETSEL, redraw, MAKELONG(start, end));
}

void TMySlider::GetSel(int& start, int& end) const
{
    if (m_native && GetHandle() && IsWindow(GetHandle())) {
        start = static_cast<int>(SendMessageA(GetHandle(), TBM_GETSELSTART, 0, 0));
        end = static_cast<int>(SendMessageA(GetHandle(), TBM_GETSELEND, 0, 0));
        return;
    }
    start = m_sel_start;
    end = m_sel_end;
}

void TMySlider::NotifyOwner(int code, int position)
{
    HWND parent = GetHandle() ? GetParent(GetHandle()) : nullptr;
    if (parent)
        SendMessageA(parent, WM_HSCROLL, MAKELONG(code, position), reinterpret_cast<LPARAM>(GetHandle()));
}

void TMySlider::SetupThumbRgn()
{
    if (m_thumb_region)
        DeleteObject(m_thumb_region);
    m_thumb_region = CreateRectRgn(0, 0, m_thumb_size.cx, m_thumb_size.cy);
}

void TMySlider::MoveThumb(int position)
{
    if (GetHandle())
        InvalidateRect(GetHandle(), &m_thumb_rect, TRUE);
    POINT at = PointFromPosition(position);
    m_thumb_rect = { at.x, at.y, at.x + m_thumb_size.cx, at.y + m_thumb_size.cy };
    if (GetHandle())
        InvalidateRect(GetHandle(), &m_thumb_rect, TRUE);
}

void TMySlider::BlitThumb(HDC dc)
{
    if (!m_thumb)
        return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, m_thumb);
    BitBlt(dc, m_thumb_rect.left, m_thumb_rect.top, m_thumb_size.cx, m_thumb_size.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void TMySlider::DrawThumb(HDC dc)
{
    BlitThumb(dc);
}

void TMySlider::Scroll(int code, int position)
{
    int page = m_tic_gap > 0 ? m_tic_gap : std::max(1, m_range / 10);
    int next = m_position;
    switch (code) {
    case SB_LINEUP: next = m_position - 1; break;
    case SB_LINEDOWN: next = m_position + 1; break;
    case SB_PAGEUP: next = m_position - page; break;
    case SB_PAGEDOWN: next = m_position + page; break;
    case SB_TOP: next = std::min(m_min, m_max); break;
    case SB_BOTTOM: next = std::max(m_min, m_max); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
    case DragStart: next = position; break;
    default: break;
    }
    if (next != m_position)
        SetSliderPosition(next, true);
    NotifyOwner(code, m_position);
}

void TMySlider::EvLButtonDown(POINT point)
{
    SetFocus(GetHandle());
    int code = HitTestPoint(point);
    if (code >= SB_LINEUP && code <= SB_PAGEDOWN) {
        Scroll(code, m_position);
    } else if (code == SB_THUMBPOSITION) {
        Scroll(code, PositionFromPoint(point));
    } else if (code == SB_THUMBTRACK) {
        m_sliding = true;
        SetCapture(GetHandle());
        m_drag_offset = point.x - m_thumb_rect.left;
        NotifyOwner(DragStart, m_position);
        NotifyOwner(SB_THUMBTRACK, m_position);
    }
}

void TMySlider::EvMouseMove(UINT keys, POINT point)
{
    if (!(keys & MK_LBUTTON) || !m_sliding)
        return;
    Scroll(SB_THUMBTRACK, PositionFromPoint({ point.x - m_drag_offset, point.y }));
}

void TMySlider::EvLButtonUp(POINT)
{
    if (m_sliding) {
        m_sliding = false;
        NotifyOwner(SB_THUMBPOSITION, m_position);
        MoveThumb(m_position);
        ReleaseCapture();
    }
    NotifyOwner(SB_ENDSCROLL, m_position);
}

void TMySlider::EvKeyDown(UINT key, UINT repeat)
{
    int code = key_code(key);
    if (code < 0)
        return;
    for (UINT i = 0; i < std::max(repeat, 1u); ++i)
        Scroll(code, m_position);
    NotifyOwner(SB_ENDSCROLL, m_position);
}

void TMySlider::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHandle(), &ps);
    DrawSlot(dc);
    DrawRuler(dc);
    DrawThumb(dc);
    EndPaint(GetHandle(), &ps);
}

LRESULT TMySlider::WindowProc(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (m_native)
        return TScrollBar::WindowProc(message, wparam, lparam);
    LRESULT result = 0;
    if (DispatchMsg(message, wparam, lparam, result))
        return result;
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
        EvLButtonDown(point_of(lparam));
        return 0;
    case WM_MOUSEMOVE:
        EvMouseMove(static_cast<UINT>(wparam), point_of(lparam));
        return 0;
    case WM_LBUTTONUP:
        EvLButtonUp(point_of(lparam));
        return 0;
    case WM_KEYDOWN:
        EvKeyDown(static_cast<UINT>(wparam), LOWORD(lparam));
        return 0;
    case WM_SIZE:
        MoveThumb(m_position);
        break;
    default:
        break;
    }
    return TScrollBar::WindowProc(message, wparam, lparam);
}

void TMySlider::Write(opstream& out) const
{
    out << m_min << m_max << m_range << m_position << static_cast<std::int32_t>(m_thumb_resource);
    out << m_thumb_rect.left << m_thumb_rect.top << m_thumb_rect.right << m_thumb_rect.bottom;
    out << (m_thumb_region != nullptr) << m_slot_thickness << m_tic_gap;
    out << static_cast<std::int32_t>(m_tics.size());
    for (int tic : m_tics)
        out << tic;
    out << m_snap << m_sel_start << m_sel_end << m_sliding << m_native;
}

void TMySlider::Read(ipstream& in)
{
    std::int32_t thumb = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool region = false;
    std::int32_t count = 0;
    in >> m_min >> m_max >> m_range >> m_position >> thumb >> left >> top >> right >> bottom >> region >> m_slot_thickness
        >> m_tic_gap >> count;
    m_thumb_resource = static_cast<UINT>(thumb);
    m_thumb_rect = { left, top, right, bottom };
    m_tics.clear();
    for (std::int32_t i = 0; i < count && in.good(); ++i) {
        std::int32_t tic = 0;
        in >> tic;
        m_tics.push_back(tic);
    }
    in >> m_snap >> m_sel_start >> m_sel_end >> m_sliding >> m_native;
    m_sliding = false; // no drag survives a stream
    if (m_range == 0)
        m_range = 1;
}

TMyHSlider::TMyHSlider(TWindow* parent, int id, int x, int y, int w, int h, UINT thumb_resource, TModule* module)
    : TMySlider(parent, id, x, y, w, h ? h : 32, thumb_resource, module)
{
}

TMyHSlider::TMyHSlider(TWindow* parent, int resource_id, UINT thumb_resource, TModule* module)
    : TMySlider(parent, resource_id, thumb_resource, module)
{
}

TStreamableBase* TMyHSlider::Streamer::Build()
{
    return new TMyHSlider(nullptr, 0, 0, 0, 0, 0, 0);
}

RECT TMyHSlider::Area() const
{
    RECT r { 0, 0, Attr.W, Attr.H };
    if (GetHandle())
        GetClientRect(GetHandle(), &r);
    return r;
}

int TMyHSlider::Width() const
{
    RECT r = Area();
    return r.right - r.left;
}

int TMyHSlider::Height() const
{
    RECT r = Area();
    return r.bottom - r.top;
}

int TMyHSlider::Travel() const
{
    return std::max(0, Width() - static_cast<int>(ThumbSize().cx) - 2);
}

POINT TMyHSlider::PointFromPosition(int position)
{
    // A control no wider than its thumb has nowhere to move it.
    int travel = Travel();
    if (travel <= 0)
        return { 1, 1 };
    return { static_cast<LONG>(static_cast<long long>(position - Minimum()) * travel / GetSpan() + 1), 1 };
}

int TMyHSlider::PositionFromPoint(POINT point)
{
    int travel = Travel();
    if (travel <= 0)
        return Minimum();
    int position = static_cast<int>(static_cast<long long>(point.x - 1) * GetSpan() / travel + Minimum());
    return std::clamp(position, std::min(Minimum(), Maximum()), std::max(Minimum(), Maximum()));
}

int TMyHSlider::HitTestPoint(POINT point)
{
    const RECT& thumb = GetThumbRect();
    bool inside = point.x >= thumb.left && point.x < thumb.right && point.y >= thumb.top && point.y < thumb.bottom;
    if (inside)
        return SB_THUMBTRACK;
    if (point.y >= thumb.bottom)
        return SB_THUMBPOSITION;
    if (point.x < thumb.left)
        return SB_PAGEUP;
    if (point.x >= thumb.right)
        return SB_PAGEDOWN;
    return -1;
}

void TMyHSlider::DrawRuler(HDC dc)
{
    int y = GetThumbRect().bottom + 1;
    int half = static_cast<int>(ThumbSize().cx) / 2;
    HBRUSH ink = GetSysColorBrush(COLOR_BTNTEXT);
    auto tic = [&](int position, int height) {
        int x = PointFromPosition(position).x + half;
        RECT r { x, y, x + 1, y + height };
        FillRect(dc, &r, ink);
    };
    bool first = true;
    if (!Tics().empty()) {
        for (int position : Tics()) {
            tic(position, first ? 5 : 3);
            first = false;
        }
    } else if (GetTicGap() > 0) {
        // Guarded: a gap of 0 draws only the end tic.
        int low = std::min(Minimum(), Maximum());
        int high = std::max(Minimum(), Maximum());
        for (long long position = low; position <= high; position += GetTicGap()) {
            tic(static_cast<int>(position), first ? 5 : 3);
            first = false;
        }
    }
    tic(Maximum(), 5);
}

void TMyHSlider::DrawSlot(HDC dc)
{
    int w = Width();
    int h = Height();
    int half = static_cast<int>(ThumbSize().cx) / 2;
    int middle = (GetThumbRect().top + GetThumbRect().bottom) / 2;
    int thick = SlotThickness();
    RECT groove { 1 + half, middle - thick / 2, std::max(2 + half, w - 1 - half), middle + (thick + 1) / 2 };
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT above { 0, 0, w, groove.top };
    RECT below { 0, groove.bottom, w, h };
    RECT left { 0, groove.top, groove.left, groove.bottom };
    RECT right { groove.right, groove.top, w, groove.bottom };
    for (const RECT& r : { above, below, left, right })
        FillRect(dc, &r, face);
    FillRect(dc, &groove, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &groove, EDGE_SUNKEN, BF_RECT);
}

}
