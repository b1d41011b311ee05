// The trackbar ("msctls_trackbar32"): a thumb on a channel over a range, with tics and a selection
// range. User actions go to the parent as WM_HSCROLL (WM_VSCROLL with TBS_VERT), lParam the
// trackbar, ending with TB_ENDTRACK.
//
// Horizontal layout: the channel runs from 8 pixels in from the left to 8 pixels in from the right
// at mid height; the thumb is 11 pixels wide, centred on its position along the channel.

#include "Common.h"

#include <user/Keyboard.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kMargin = 8;
constexpr int kThumbHalf = 5;

struct Trackbar {
    LONG min = 0;
    LONG max = 100;
    LONG pos = 0;
    LONG line = 1;
    LONG page = 20;
    LONG tic_freq = 1;
    std::vector<LONG> tics;
    LONG sel_start = 0;
    LONG sel_end = 0;
    bool dragging = false;
};

LONG clamp(const Trackbar& t, LONG v)
{
    return std::max(t.min, std::min(t.max, v));
}

bool vertical(HWND w)
{
    return (GetWindowLongA(w, GWL_STYLE) & TBS_VERT) != 0;
}

// The channel's extent along the trackbar's axis.
void channel(HWND w, int& from, int& to)
{
    RECT c;
    GetClientRect(w, &c);
    int length = vertical(w) ? c.bottom : c.right;
    from = kMargin;
    to = std::max(from + 1, length - kMargin);
}

int offset_of(HWND w, const Trackbar& t, LONG pos)
{
    int from, to;
    channel(w, from, to);
    if (t.max <= t.min)
        return from;
    return from + static_cast<int>(static_cast<long long>(pos - t.min) * (to - from) / (t.max - t.min));
}

LONG pos_at(HWND w, const Trackbar& t, int offset)
{
    int from, to;
    channel(w, from, to);
    long long span = t.max - t.min;
    long long v = t.min + ((offset - from) * span + (to - from) / 2) / (to - from);
    return clamp(t, static_cast<LONG>(std::max<long long>(t.min, std::min<long long>(t.max, v))));
}

RECT thumb_rect(HWND w, const Trackbar& t)
{
    RECT c;
    GetClientRect(w, &c);
    int at = offset_of(w, t, t.pos);
    if (vertical(w))
        return RECT { 2, at - kThumbHalf, c.right - 6, at + kThumbHalf + 1 };
    return RECT { at - kThumbHalf, 2, at + kThumbHalf + 1, c.bottom - 6 };
}

void report(HWND w, const Trackbar& t, int code)
{
    HWND parent = GetParent(w);
    if (!parent)
        return;
    WORD pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(t.pos) : 0;
    SendMessageA(parent, vertical(w) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(w));
}

void move_to(HWND w, Trackbar& t, LONG pos, int code)
{
    t.pos = clamp(t, pos);
    user::common::redraw(w);
    report(w, t, code);
}

void paint(HWND w, const Trackbar& t)
{
    using namespace user::common;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c;
    GetClientRect(w, &c);
    fill(dc, c, COLOR_BTNFACE);
    DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
    bool vert = (style & TBS_VERT) != 0;
    int from, to;
    channel(w, from, to);
    int mid = (vert ? c.right : c.bottom - 4) / 2;
    RECT groove = vert ? RECT { mid - 2, from, mid + 2, to } : RECT { from, mid - 2, to, mid + 2 };
    fill(dc, groove, COLOR_BTNSHADOW);
    RECT inside { groove.left + 1, groove.top + 1, groove.right - 1, groove.bottom - 1 };
    fill(dc, inside, COLOR_WINDOW);
    if ((style & TBS_ENABLESELRANGE) && t.sel_end > t.sel_start) {
        int a = offset_of(w, t, clamp(t, t.sel_start));
        int b = offset_of(w, t, clamp(t, t.sel_end));
        RECT sel = vert ? RECT { inside.left, a, inside.right, b } : RECT { a, inside.top, b, inside.bottom };
        fill(dc, sel, COLOR_HIGHLIGHT);
    }
    if (!(style & TBS_NOTICKS)) {
        std::vector<LONG> marks { t.min, t.max };
        marks.insert(marks.end(), t.tics.begin(), t.tics.end());
        if ((style & TBS_AUTOTICKS) && t.tic_freq > 0)
            for (LONG v = t.min; v <= t.max; v += t.tic_freq)
                marks.push_back(v);
        for (LONG v : marks) {
            int at = offset_of(w, t, v);
            RECT tic = vert ? RECT { c.right - 4, at, c.right - 1, at + 1 } : RECT { at, c.bottom - 4, at + 1, c.bottom - 1 };
            fill(dc, tic, COLOR_BTNTEXT);
        }
    }
    if (!(style & TBS_NOTHUMB)) {
        RECT thumb = thumb_rect(w, t);
        fill(dc, thumb, COLOR_BTNTEXT);
        RECT face { thumb.left + 1, thumb.top + 1, thumb.right - 1, thumb.bottom - 1 };
        fill(dc, face, COLOR_HIGHLIGHT);
    }
    EndPaint(w, &ps);
}

void redraw_if(HWND w, WPARAM redraw)
{
    if (redraw)
        user::common::redraw(w);
}

LRESULT set_pos(Trackbar& t, HWND w, WPARAM redraw, LPARAM pos)
{
    t.pos = clamp(t, static_cast<LONG>(pos));
    redraw_if(w, redraw);
    return 0;
}

// TBM_SETRANGE (both ends packed), TBM_SETRANGEMIN and TBM_SETRANGEMAX.
LRESULT set_range(Trackbar& t, HWND w, UINT message, WPARAM redraw, LPARAM lparam)
{
    if (message == TBM_SETRANGE) {
        t.min = static_cast<SHORT>(LOWORD(lparam));
        t.max = static_cast<SHORT>(HIWORD(lparam));
    } else if (message == TBM_SETRANGEMIN) {
        t.min = static_cast<LONG>(lparam);
    } else {
        t.max = static_cast<LONG>(lparam);
    }
    if (t.max < t.min)
        t.max = t.min;
    t.pos = clamp(t, t.pos);
    t.page = std::max<LONG>(1, (t.max - t.min) / 5);
    redraw_if(w, redraw);
    return 0;
}

LRESULT set_tic_freq(Trackbar& t, HWND w, WPARAM freq)
{
    t.tic_freq = static_cast<LONG>(freq);
    user::common::redraw(w);
    return 0;
}

LRESULT set_tic(Trackbar& t, HWND w, LPARAM value)
{
    LONG v = static_cast<LONG>(value);
    if (v < t.min || v > t.max)
        return FALSE;
    t.tics.push_back(v);
    user::common::redraw(w);
    return TRUE;
}

LRESULT clear_tics(Trackbar& t, HWND w, WPARAM redraw)
{
    t.tics.clear();
    redraw_if(w, redraw);
    return 0;
}

LRESULT num_tics(const Trackbar& t, HWND w)
{
    if (GetWindowLongA(w, GWL_STYLE) & TBS_NOTICKS)
        return 0;
    return static_cast<LRESULT>(t.tics.size()) + 2;
}

// TBM_SETSEL (both ends packed), TBM_SETSELSTART, TBM_SETSELEND and TBM_CLEARSEL.
LRESULT set_sel(Trackbar& t, HWND w, UINT message, WPARAM redraw, LPARAM lparam)
{
    if (message == TBM_SETSEL) {
        t.sel_start = static_cast<SHORT>(LOWORD(lparam));
        t.sel_end = static_cast<SHORT>(HIWORD(lparam));
    } else if (message == TBM_CLEARSEL) {
        t.sel_start = t.sel_end = 0;
    } else {
        (message == TBM_SETSELSTART ? t.sel_start : t.sel_end) = static_cast<LONG>(lparam);
    }
    redraw_if(w, redraw);
    return 0;
}

// Stores a new step size and gives back the old one.
LRESULT swap_size(LONG& size, LPARAM value)
{
    LONG old = size;
    size = static_cast<LONG>(value);
    return old;
}

LRESULT thumb_rect_to(const Trackbar& t, HWND w, LPARAM out)
{
    if (out)
        *reinterpret_cast<RECT*>(out) = thumb_rect(w, t);
    return 0;
}

bool navigation_key(WPARAM key)
{
    switch (key) {
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
        return true;
    default:
        return false;
    }
}

LRESULT key_down(Trackbar& t, HWND w, WPARAM key, LPARAM lparam)
{
    switch (key) {
    case VK_LEFT:
    case VK_UP: move_to(w, t, t.pos - t.line, TB_LINEUP); return 0;
    case VK_RIGHT:
    case VK_DOWN: move_to(w, t, t.pos + t.line, TB_LINEDOWN); return 0;
    case VK_PRIOR: move_to(w, t, t.pos - t.page, TB_PAGEUP); return 0;
    case VK_NEXT: move_to(w, t, t.pos + t.page, TB_PAGEDOWN); return 0;
    case VK_HOME: move_to(w, t, t.min, TB_TOP); return 0;
    case VK_END: move_to(w, t, t.max, TB_BOTTOM); return 0;
    default: return DefWindowProcA(w, WM_KEYDOWN, key, lparam);
    }
}

LRESULT key_up(Trackbar& t, HWND w, WPARAM key, LPARAM lparam)
{
    if (!navigation_key(key))
        return DefWindowProcA(w, WM_KEYUP, key, lparam);
    report(w, t, TB_ENDTRACK);
    return 0;
}

LRESULT button_down(Trackbar& t, HWND w, LPARAM at)
{
    SetFocus(w);
    POINT p { static_cast<SHORT>(LOWORD(at)), static_cast<SHORT>(HIWORD(at)) };
    RECT thumb = thumb_rect(w, t);
    if (p.x >= thumb.left && p.x < thumb.right && p.y >= thumb.top && p.y < thumb.bottom) {
        t.dragging = true;
        SetCapture(w);
        return 0;
    }
    int along = vertical(w) ? p.y : p.x;
    if (along < offset_of(w, t, t.pos))
        move_to(w, t, t.pos - t.page, TB_PAGEUP);
    else
        move_to(w, t, t.pos + t.page, TB_PAGEDOWN);
    return 0;
}

LRESULT mouse_move(Trackbar& t, HWND w, LPARAM at)
{
    if (!t.dragging)
        return 0;
    int along = vertical(w) ? static_cast<SHORT>(HIWORD(at)) : static_cast<SHORT>(LOWORD(at));
    LONG pos = pos_at(w, t, along);
    if (pos != t.pos)
        move_to(w, t, pos, TB_THUMBTRACK);
    return 0;
}

LRESULT button_up(Trackbar& t, HWND w)
{
    if (t.dragging) {
        t.dragging = false;
        ReleaseCapture();
        report(w, t, TB_THUMBPOSITION);
    }
    report(w, t, TB_ENDTRACK);
    return 0;
}

LRESULT trackbar(Trackbar& t, HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case TBM_GETPOS: return t.pos;
    case TBM_GETRANGEMIN: return t.min;
    case TBM_GETRANGEMAX: return t.max;
    case TBM_GETSELSTART: return t.sel_start;
    case TBM_GETSELEND: return t.sel_end;
    case TBM_GETPAGESIZE: return t.page;
    case TBM_GETLINESIZE: return t.line;
    case TBM_SETPOS: return set_pos(t, w, wparam, lparam);
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX: return set_range(t, w, message, wparam, lparam);
    case TBM_SETTICFREQ: return set_tic_freq(t, w, wparam);
    case TBM_SETTIC: return set_tic(t, w, lparam);
    case TBM_CLEARTICS: return clear_tics(t, w, wparam);
    case TBM_GETNUMTICS: return num_tics(t, w);
    case TBM_SETSEL:
    case TBM_SETSELSTART:
    case TBM_SETSELEND:
    case TBM_CLEARSEL: return set_sel(t, w, message, wparam, lparam);
    case TBM_SETPAGESIZE: return swap_size(t.page, lparam);
    case TBM_SETLINESIZE: return swap_size(t.line, lparam);
    case TBM_GETTHUMBRECT: return thumb_rect_to(t, w, lparam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: return key_down(t, w, wparam, lparam);
    case WM_KEYUP: return key_up(t, w, wparam, lparam);
    case WM_LBUTTONDOWN: return button_down(t, w, lparam);
    case WM_MOUSEMOVE: return mouse_move(t, w, lparam);
    case WM_LBUTTONUP: return button_up(t, w);
    case WM_PAINT:
        paint(w, t);
        return 0;
    default: return DefWindowProcA(w, message, wparam, lparam);
    }
}

LRESULT CALLBACK TrackbarProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    return user::common::with_data<Trackbar>(w, message, wparam, lparam, trackbar);
}

}

void user::common::register_trackbar()
{
    register_control_class(TRACKBAR_CLASSA, TrackbarProc, COLOR_BTNFACE);
}
