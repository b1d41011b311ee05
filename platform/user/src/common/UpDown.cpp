// The up-down control ("msctls_updown32"): two arrows that step a position within a range, usually
// beside a buddy window. A click (or, with UDS_ARROWKEYS, the Up/Down keys in the buddy) asks the
// parent with UDN_DELTAPOS (non-zero refuses), moves the position, writes it into the buddy with
// UDS_SETBUDDYINT (plain digits, no thousands separators, so the buddy always reads back as a
// number) and sends WM_VSCROLL (WM_HSCROLL with UDS_HORZ) SB_THUMBPOSITION then SB_ENDSCROLL.
//
// UDS_AUTOBUDDY takes the sibling before the control in z-order (in a dialog: the control before
// it in the template), looked up when the buddy is first needed.

#include "Common.h"

#include <user/Keyboard.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

struct UpDown {
    int min = 0;
    int max = 100;
    int pos = 0;
    HWND buddy = nullptr;
    bool buddy_resolved = false;
};

// Buddies subclassed for the arrow keys: buddy -> (its own procedure, the up-down control).
std::map<HWND, std::pair<WNDPROC, HWND>>& subclassed()
{
    static std::map<HWND, std::pair<WNDPROC, HWND>> table;
    return table;
}

DWORD style_of(HWND w)
{
    return static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
}

int low(const UpDown& u) { return std::min(u.min, u.max); }
int high(const UpDown& u) { return std::max(u.min, u.max); }

int clamp(const UpDown& u, int v)
{
    return std::max(low(u), std::min(high(u), v));
}

LRESULT CALLBACK BuddyProc(HWND buddy, UINT message, WPARAM wparam, LPARAM lparam);

void unhook(HWND buddy)
{
    auto it = subclassed().find(buddy);
    if (it == subclassed().end())
        return;
    if (IsWindow(buddy))
        SetWindowLongPtrA(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.first));
    subclassed().erase(it);
}

void set_buddy(HWND w, UpDown& u, HWND buddy)
{
    if (u.buddy)
        unhook(u.buddy);
    u.buddy = buddy;
    u.buddy_resolved = true;
    if (buddy && (style_of(w) & UDS_ARROWKEYS) && !subclassed().count(buddy)) {
        auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BuddyProc)));
        subclassed()[buddy] = { old, w };
    }
}

HWND buddy_of(HWND w, UpDown& u)
{
    if (!u.buddy_resolved && (style_of(w) & UDS_AUTOBUDDY))
        set_buddy(w, u, GetWindow(w, GW_HWNDPREV));
    u.buddy_resolved = true;
    return u.buddy && IsWindow(u.buddy) ? u.buddy : nullptr;
}

void write_buddy(HWND w, UpDown& u)
{
    HWND buddy = buddy_of(w, u);
    if (!buddy || !(style_of(w) & UDS_SETBUDDYINT))
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", u.pos);
    SetWindowTextA(buddy, text);
}

// Takes the buddy's number as the position; false when its text is no number in the range.
bool read_buddy(HWND w, UpDown& u)
{
    HWND buddy = buddy_of(w, u);
    if (!buddy || !(style_of(w) & UDS_SETBUDDYINT))
        return true;
    char text[32] = {};
    GetWindowTextA(buddy, text, sizeof text);
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < low(u) || v > high(u))
        return false;
    u.pos = static_cast<int>(v);
    return true;
}

void step(HWND w, UpDown& u, int delta)
{
    read_buddy(w, u);
    NMUPDOWN nm {};
    nm.iPos = u.pos;
    nm.iDelta = u.min > u.max ? -delta : delta;
    if (user::common::notify(w, nm.hdr, UDN_DELTAPOS))
        return;
    int target = u.pos + nm.iDelta;
    if (target > high(u) || target < low(u)) {
        if (style_of(w) & UDS_WRAP)
            target = target > high(u) ? low(u) : high(u);
        else
            target = clamp(u, target);
    }
    u.pos = target;
    write_buddy(w, u);
    HWND parent = GetParent(w);
    UINT scroll = (style_of(w) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    if (parent) {
        SendMessageA(parent, scroll, MAKEWPARAM(4 /* SB_THUMBPOSITION */, static_cast<WORD>(u.pos)), reinterpret_cast<LPARAM>(w));
        SendMessageA(parent, scroll, MAKEWPARAM(8 /* SB_ENDSCROLL */, static_cast<WORD>(u.pos)), reinterpret_cast<LPARAM>(w));
    }
}

LRESULT CALLBACK BuddyProc(HWND buddy, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto it = subclassed().find(buddy);
    if (it == subclassed().end())
        return DefWindowProcA(buddy, message, wparam, lparam);
    auto [proc, updown] = it->second;
    if (message == WM_KEYDOWN && (wparam == VK_UP || wparam == VK_DOWN) && IsWindow(updown)) {
        if (auto* u = user::common::data_of<UpDown>(updown)) {
            step(updown, *u, wparam == VK_UP ? 1 : -1);
            return 0;
        }
    }
    if (message == WM_GETDLGCODE)
        return CallWindowProcA(proc, buddy, message, wparam, lparam) | DLGC_WANTARROWS;
    if (message == WM_NCDESTROY)
        subclassed().erase(buddy);
    return CallWindowProcA(proc, buddy, message, wparam, lparam);
}

void paint(HWND w)
{
    using namespace user::common;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c;
    GetClientRect(w, &c);
    fill(dc, c, COLOR_BTNFACE);
    bool horizontal = (style_of(w) & UDS_HORZ) != 0;
    RECT first = c, second = c;
    if (horizontal)
        first.right = second.left = c.right / 2;
    else
        first.bottom = second.top = c.bottom / 2;
    FrameRect(dc, &first, GetSysColorBrush(COLOR_BTNSHADOW));
    FrameRect(dc, &second, GetSysColorBrush(COLOR_BTNSHADOW));
    text(dc, horizontal ? "<" : "^", first, COLOR_BTNTEXT, DT_CENTER);
    text(dc, horizontal ? ">" : "v", second, COLOR_BTNTEXT, DT_CENTER);
    EndPaint(w, &ps);
}

LRESULT updown(UpDown& u, HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case UDM_SETRANGE:
        u.max = static_cast<SHORT>(LOWORD(lparam));
        u.min = static_cast<SHORT>(HIWORD(lparam));
        u.pos = clamp(u, u.pos);
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(u.max), static_cast<WORD>(u.min));
    case UDM_SETRANGE32:
        u.min = static_cast<int>(wparam);
        u.max = static_cast<int>(lparam);
        u.pos = clamp(u, u.pos);
        return 0;
    case UDM_GETRANGE32:
        if (wparam)
            *reinterpret_cast<int*>(wparam) = u.min;
        if (lparam)
            *reinterpret_cast<int*>(lparam) = u.max;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int old = u.pos;
        u.pos = clamp(u, message == UDM_SETPOS ? static_cast<SHORT>(LOWORD(lparam)) : static_cast<int>(lparam));
        write_buddy(w, u);
        return message == UDM_SETPOS ? static_cast<LRESULT>(static_cast<WORD>(old)) : old;
    }
    case UDM_GETPOS: {
        bool ok = read_buddy(w, u);
        return MAKELONG(static_cast<WORD>(u.pos), ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
        bool ok = read_buddy(w, u);
        if (lparam)
            *reinterpret_cast<BOOL*>(lparam) = ok ? FALSE : TRUE;
        return u.pos;
    }
    case UDM_SETBUDDY: {
        HWND old = buddy_of(w, u);
        set_buddy(w, u, reinterpret_cast<HWND>(wparam));
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(buddy_of(w, u));
    case WM_LBUTTONDOWN: {
        RECT c;
        GetClientRect(w, &c);
        int x = static_cast<SHORT>(LOWORD(lparam));
        int y = static_cast<SHORT>(HIWORD(lparam));
        bool up = (style_of(w) & UDS_HORZ) ? x >= c.right / 2 : y < c.bottom / 2;
        step(w, u, up ? 1 : -1);
        return 0;
    }
    case WM_PAINT:
        paint(w);
        return 0;
    case WM_DESTROY:
        if (u.buddy)
            unhook(u.buddy);
        break;
    }
    return DefWindowProcA(w, message, wparam, lparam);
}

LRESULT CALLBACK UpDownProc(HWND w, UINT message, WPARAM wparam, LPARAM lparam)
{
    return user::common::with_data<UpDown>(w, message, wparam, lparam, updown);
}

}

void user::common::register_updown()
{
    register_control_class(UPDOWN_CLASSA, UpDownProc, COLOR_BTNFACE);
}
