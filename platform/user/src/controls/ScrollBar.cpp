// The "SCROLLBAR" class (SBS_HORZ, SBS_VERT) and the scroll functions for SB_CTL bars.
//
// The bar does not move its thumb on a click: it tells the parent (WM_HSCROLL / WM_VSCROLL with
// the scroll code, the position for the thumb codes, and its handle) and the parent sets the new
// position. While the thumb is dragged the bar draws it at the tracked position.

#include "Control.h"

#include <base/Errors.h>
#include <user/Keyboard.h>

#include <algorithm>

namespace user::controls {

namespace {

enum class Part { None, LineUp, LineDown, PageUp, PageDown, Thumb };

struct ScrollBar : Base {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int track = 0;          // the thumb's position while dragged
    Part pressed = Part::None;
    int grip = 0;           // where in the thumb the drag started
};

bool vertical(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & SBS_VERT) != 0;
}

int top_pos(const ScrollBar& s)
{
    return std::max(s.min, s.max - std::max(static_cast<int>(s.page) - 1, 0));
}

void clamp(ScrollBar& s)
{
    if (s.max < s.min)
        s.max = s.min;
    UINT range = static_cast<UINT>(s.max - s.min + 1);
    s.page = std::min(s.page, range);
    s.pos = std::clamp(s.pos, s.min, top_pos(s));
}

struct Layout {
    int length;       // along the bar
    int thickness;
    int arrow;
    int thumb_start;  // along the bar
    int thumb_length; // 0: no thumb
};

Layout layout_in(RECT r, bool v, const ScrollBar& s, int at)
{
    Layout l {};
    l.length = v ? r.bottom : r.right;
    l.thickness = v ? r.right : r.bottom;
    l.arrow = std::min(l.thickness, l.length / 2);
    int track = l.length - 2 * l.arrow;
    int range = s.max - s.min + 1;
    int thumb = s.page ? std::max(static_cast<int>(static_cast<long long>(track) * s.page / range), 8) : l.arrow;
    if (thumb > track || track < 8)
        return l;
    l.thumb_length = thumb;
    int span = top_pos(s) - s.min;
    l.thumb_start = l.arrow + (span > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * (at - s.min) / span) : 0);
    return l;
}

Layout layout(HWND window, const ScrollBar& s, int at)
{
    RECT r;
    GetClientRect(window, &r);
    return layout_in(r, vertical(window), s, at);
}

Part part_in(RECT r, bool v, const ScrollBar& s, POINT p)
{
    int a = v ? p.y : p.x;
    Layout l = layout_in(r, v, s, s.pos);
    if (a < l.arrow)
        return Part::LineUp;
    if (a >= l.length - l.arrow)
        return Part::LineDown;
    if (l.thumb_length == 0)
        return Part::None;
    if (a < l.thumb_start)
        return Part::PageUp;
    if (a >= l.thumb_start + l.thumb_length)
        return Part::PageDown;
    return Part::Thumb;
}

Part part_at(HWND window, const ScrollBar& s, LPARAM point)
{
    RECT r;
    GetClientRect(window, &r);
    return part_in(r, vertical(window), s, POINT { mouse_x(point), mouse_y(point) });
}

void send(HWND window, int code, int pos = 0)
{
    HWND parent = GetParent(window);
    if (parent)
        SendMessageA(parent, vertical(window) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
            reinterpret_cast<LPARAM>(window));
}

int code_of(Part p)
{
    switch (p) {
    case Part::LineUp: return SB_LINEUP;
    case Part::LineDown: return SB_LINEDOWN;
    case Part::PageUp: return SB_PAGEUP;
    case Part::PageDown: return SB_PAGEDOWN;
    default: return -1;
    }
}

// Draws a bar in r (whose top left is the bar's origin).
void draw(HDC dc, RECT r, bool v, const ScrollBar& s, bool enabled)
{
    FillRect(dc, &r, GetSysColorBrush(COLOR_SCROLLBAR));
    RECT size { 0, 0, r.right - r.left, r.bottom - r.top };
    Layout l = layout_in(size, v, s, s.pressed == Part::Thumb ? s.track : s.pos);
    auto along = [&](int from, int to) {
        RECT a = v ? RECT { 0, from, l.thickness, to } : RECT { from, 0, to, l.thickness };
        return shifted(a, r.left, r.top);
    };
    RECT up = along(0, l.arrow);
    RECT down = along(l.length - l.arrow, l.length);
    UINT inactive = enabled ? 0u : DFCS_INACTIVE;
    DrawFrameControl(dc, &up, DFC_SCROLL, (v ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive | (s.pressed == Part::LineUp ? DFCS_PUSHED : 0u));
    DrawFrameControl(dc, &down, DFC_SCROLL, (v ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive | (s.pressed == Part::LineDown ? DFCS_PUSHED : 0u));
    if (l.thumb_length && enabled) {
        RECT thumb = along(l.thumb_start, l.thumb_start + l.thumb_length);
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

void paint(HWND window, ScrollBar& s)
{
    Painter p(window, s);
    draw(p.dc(), p.client(), vertical(window), s, IsWindowEnabled(window) != FALSE);
}

ScrollBar from_info(const SCROLLINFO& info)
{
    ScrollBar s;
    s.min = info.nMin;
    s.max = info.nMax;
    s.page = info.nPage;
    s.pos = info.nPos;
    clamp(s);
    return s;
}

LRESULT set_info(HWND window, ScrollBar& s, const SCROLLINFO& info, bool redraw)
{
    if (info.fMask & SIF_RANGE) {
        s.min = info.nMin;
        s.max = info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        s.page = info.nPage;
    if (info.fMask & SIF_POS)
        s.pos = info.nPos;
    clamp(s);
    if (redraw)
        InvalidateRect(window, nullptr, FALSE);
    return s.pos;
}

}

void draw_scroll_bar(HDC dc, RECT r, bool vertical, const SCROLLINFO& info, bool enabled)
{
    draw(dc, r, vertical, from_info(info), enabled);
}

int scroll_code_at(RECT r, bool vertical, const SCROLLINFO& info, POINT p)
{
    RECT size { 0, 0, r.right - r.left, r.bottom - r.top };
    return code_of(part_in(size, vertical, from_info(info), POINT { p.x - r.left, p.y - r.top }));
}

LRESULT CALLBACK scrollbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    ScrollBar* s = state<ScrollBar>(window, message);
    if (!s)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (common(window, *s, message, wparam, lparam, result))
        return result;
    switch (message) {
    case WM_PAINT:
        paint(window, *s);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: {
        if (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP)
            SetFocus(window);
        Part part = part_at(window, *s, lparam);
        if (part == Part::None)
            return 0;
        SetCapture(window);
        s->pressed = part;
        if (part == Part::Thumb) {
            s->track = s->pos;
            int a = vertical(window) ? mouse_y(lparam) : mouse_x(lparam);
            s->grip = a - layout(window, *s, s->pos).thumb_start;
        } else {
            send(window, code_of(part));
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (s->pressed != Part::Thumb)
            return 0;
        Layout l = layout(window, *s, s->pos);
        int a = (vertical(window) ? mouse_y(lparam) : mouse_x(lparam)) - s->grip;
        int room = l.length - 2 * l.arrow - l.thumb_length;
        int span = top_pos(*s) - s->min;
        int track = room > 0 ? s->min + static_cast<int>((static_cast<long long>(a - l.arrow) * span + room / 2) / room) : s->min;
        track = std::clamp(track, s->min, top_pos(*s));
        if (track != s->track) {
            s->track = track;
            InvalidateRect(window, nullptr, FALSE);
            send(window, SB_THUMBTRACK, track);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (s->pressed == Part::None)
            return 0;
        if (s->pressed == Part::Thumb)
            send(window, SB_THUMBPOSITION, s->track);
        s->pressed = Part::None;
        ReleaseCapture();
        InvalidateRect(window, nullptr, FALSE);
        send(window, SB_ENDSCROLL);
        return 0;
    case WM_CAPTURECHANGED:
        if (s->pressed != Part::None) {
            s->pressed = Part::None;
            InvalidateRect(window, nullptr, FALSE);
            send(window, SB_ENDSCROLL);
        }
        return 0;
    case WM_KEYDOWN:
        switch (wparam) {
        case VK_LEFT:
        case VK_UP: send(window, SB_LINEUP); return 0;
        case VK_RIGHT:
        case VK_DOWN: send(window, SB_LINEDOWN); return 0;
        case VK_PRIOR: send(window, SB_PAGEUP); return 0;
        case VK_NEXT: send(window, SB_PAGEDOWN); return 0;
        case VK_HOME: send(window, SB_TOP); return 0;
        case VK_END: send(window, SB_BOTTOM); return 0;
        default: break;
        }
        break;
    case WM_KEYUP:
        switch (wparam) {
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
            send(window, SB_ENDSCROLL);
            return 0;
        default: break;
        }
        break;
    case SBM_SETPOS: {
        int old = s->pos;
        SCROLLINFO info { sizeof info, SIF_POS, 0, 0, 0, static_cast<int>(wparam), 0 };
        set_info(window, *s, info, lparam != 0);
        return old;
    }
    case SBM_GETPOS:
        return s->pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        int old = s->pos;
        SCROLLINFO info { sizeof info, SIF_RANGE, static_cast<int>(wparam), static_cast<int>(lparam), 0, 0, 0 };
        set_info(window, *s, info, message == SBM_SETRANGEREDRAW);
        return old;
    }
    case SBM_GETRANGE:
        if (wparam)
            *reinterpret_cast<LPINT>(wparam) = s->min;
        if (lparam)
            *reinterpret_cast<LPINT>(lparam) = s->max;
        return 0;
    case SBM_SETSCROLLINFO:
        if (!lparam)
            return s->pos;
        return set_info(window, *s, *reinterpret_cast<const SCROLLINFO*>(lparam), wparam != 0);
    case SBM_GETSCROLLINFO: {
        auto* info = reinterpret_cast<SCROLLINFO*>(lparam);
        if (!info)
            return FALSE;
        if (info->fMask & SIF_RANGE) {
            info->nMin = s->min;
            info->nMax = s->max;
        }
        if (info->fMask & SIF_PAGE)
            info->nPage = s->page;
        if (info->fMask & SIF_POS)
            info->nPos = s->pos;
        if (info->fMask & SIF_TRACKPOS)
            info->nTrackPos = s->pressed == Part::Thumb ? s->track : s->pos;
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}

// Only scroll bar controls keep scroll state; the non-client bars of WS_HSCROLL/WS_VSCROLL
// windows are not drawn or served here.
static bool control_bar(HWND window, int bar)
{
    if (bar == SB_CTL && IsWindow(window))
        return true;
    SetLastError(IsWindow(window) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (!control_bar(window, bar) || !info)
        return 0;
    return static_cast<int>(SendMessageA(window, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info)
{
    if (!control_bar(window, bar) || !info)
        return FALSE;
    return static_cast<BOOL>(SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int SetScrollPos(HWND window, int bar, int pos, BOOL redraw)
{
    if (!control_bar(window, bar))
        return 0;
    return static_cast<int>(SendMessageA(window, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
}

int GetScrollPos(HWND window, int bar)
{
    if (!control_bar(window, bar))
        return 0;
    return static_cast<int>(SendMessageA(window, SBM_GETPOS, 0, 0));
}

BOOL SetScrollRange(HWND window, int bar, int min, int max, BOOL redraw)
{
    if (!control_bar(window, bar))
        return FALSE;
    SendMessageA(window, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(min), max);
    return TRUE;
}

BOOL GetScrollRange(HWND window, int bar, LPINT min, LPINT max)
{
    if (!control_bar(window, bar))
        return FALSE;
    SendMessageA(window, SBM_GETRANGE, reinterpret_cast<WPARAM>(min), reinterpret_cast<LPARAM>(max));
    return TRUE;
}
