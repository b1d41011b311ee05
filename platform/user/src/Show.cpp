// Show state (hidden, normal, minimised, maximised), enabling, activation and keyboard focus.
//
// The foreground window is the process's active top-level window; each thread has its own focus
// window. GetActiveWindow answers the foreground window only on the thread that owns it.

#include "Ops.h"

#include <base/Errors.h>
#include <base/Threads.h>
#include <user/SystemMetrics.h>

#include <map>

namespace user::detail {

namespace {

HWND s_foreground = nullptr;
HWND s_capture = nullptr;
std::map<DWORD, HWND>& focus_table()
{
    static std::map<DWORD, HWND> table;
    return table;
}

HWND root_of(HWND window)
{
    HWND root = GetAncestor(window, GA_ROOT);
    return root ? root : window;
}

bool is_within(HWND window, HWND ancestor)
{
    return window && (window == ancestor || IsChild(ancestor, window));
}

void change_focus(DWORD thread, HWND to)
{
    HWND from;
    {
        Guard guard(lock());
        from = focus_table()[thread];
        if (from == to)
            return;
        focus_table()[thread] = to;
    }
    if (from && IsWindow(from))
        call(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    if (to && IsWindow(to))
        call(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
}

// Fills the defaults of WM_GETMINMAXINFO for a window and lets it change them.
MINMAXINFO min_max_info(HWND window)
{
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    RECT in = insets_for(style & ~(WS_CAPTION | WS_VSCROLL | WS_HSCROLL), ex, false);
    MINMAXINFO info {};
    info.ptMaxSize = { screen_width() + in.left + in.right, screen_height() + in.top + in.bottom };
    info.ptMaxPosition = { -in.left, -in.top };
    info.ptMinTrackSize = { GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK) };
    info.ptMaxTrackSize = { GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK) };
    call(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

// Makes a hidden window visible (WM_SHOWWINDOW first); returns whether it was hidden.
bool show_now(HWND window)
{
    if (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)
        return false;
    call(window, WM_SHOWWINDOW, TRUE, 0);
    set_pos(window, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

}

void activate(HWND window)
{
    HWND old;
    {
        Guard guard(lock());
        old = s_foreground;
        if (old == window)
            return;
        s_foreground = window;
        if (window)
            if (auto w = find(window); w && w->owner)
                if (auto o = find(w->owner))
                    o->last_popup = window;
    }
    if (old && IsWindow(old)) {
        call(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
        DWORD thread = GetWindowThreadProcessId(old, nullptr);
        HWND focus;
        {
            Guard guard(lock());
            focus = focus_table()[thread];
        }
        if (is_within(focus, old) && thread != GetWindowThreadProcessId(window, nullptr))
            change_focus(thread, nullptr);
    }
    if (window && IsWindow(window)) {
        SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(window) ? 1 : 0), reinterpret_cast<LPARAM>(old));
    }
    desktop_changed();
}

void deactivate_leaving(HWND window)
{
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HWND focus;
    HWND foreground;
    {
        Guard guard(lock());
        focus = focus_table()[thread];
        foreground = s_foreground;
    }
    if (is_within(focus, window)) {
        HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
        change_focus(thread, parent && IsWindowVisible(parent) ? parent : nullptr);
    }
    if (foreground != window)
        return;
    HWND next = nullptr;
    {
        Guard guard(lock());
        auto w = find(window);
        if (w && w->owner)
            if (auto o = find(w->owner); o && (o->style & WS_VISIBLE) && !(o->style & WS_MINIMIZE))
                next = w->owner;
        if (!next)
            for (HWND h : desktop().children) {
                auto other = find(h);
                if (h != window && other && other->life == Life::Alive && (other->style & WS_VISIBLE)
                    && !(other->style & (WS_MINIMIZE | WS_DISABLED)) && other->owner != window) {
                    next = h;
                    break;
                }
            }
    }
    activate(next);
}

}

using namespace user::detail;

BOOL ShowWindow(HWND window, int command)
{
    if (!find(window)) {
        if (auto f = foreign(); f && IsWindow(window))
            return f->show(window, command) ? TRUE : FALSE;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window == desktop_handle())
        return TRUE;
    {
        Guard guard(lock());
        if (auto w = find(window))
            ++w->show_calls;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    BOOL was_visible = (style & WS_VISIBLE) ? TRUE : FALSE;
    bool top = !(style & WS_CHILD);
    bool iconic = (style & WS_MINIMIZE) != 0;
    bool zoomed = (style & WS_MAXIMIZE) != 0;

    switch (command) {
    case SW_HIDE:
        if (!was_visible)
            return FALSE;
        call(window, WM_SHOWWINDOW, FALSE, 0);
        set_pos(window, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return was_visible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
        show_now(window);
        if (!iconic) {
            RECT target;
            {
                Guard guard(lock());
                auto w = find(window);
                if (!w)
                    return FALSE;
                w->restore_maximized = zoomed;
                if (!zoomed)
                    w->normal_rect = w->rect;
                w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
                int x = top ? ICONIC_POSITION : w->rect.left;
                int y = top ? ICONIC_POSITION : w->rect.top;
                target = { x, y, x + GetSystemMetrics(SM_CXMINIMIZED), y + GetSystemMetrics(SM_CYMINIMIZED) };
            }
            set_pos(window, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            min_max_info(window);
        }
        if (command == SW_SHOWMINIMIZED && top)
            activate(window);
        else
            deactivate_leaving(window);
        return was_visible;
    }
    case SW_MAXIMIZE: {
        show_now(window);
        if (!zoomed) {
            MINMAXINFO info = min_max_info(window);
            {
                Guard guard(lock());
                auto w = find(window);
                if (!w)
                    return FALSE;
                if (!iconic)
                    w->normal_rect = w->rect;
                w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
                w->restore_maximized = false;
            }
            set_pos(window, nullptr, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y,
                SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        if (top)
            activate(window);
        return was_visible;
    }
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE: {
        show_now(window);
        if (iconic || zoomed) {
            bool to_max = iconic && command == SW_RESTORE;
            {
                Guard guard(lock());
                auto w = find(window);
                if (!w)
                    return FALSE;
                to_max = to_max && w->restore_maximized;
                w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
                w->restore_maximized = false;
            }
            if (to_max) {
                RECT normal;
                {
                    Guard guard(lock());
                    normal = find(window)->normal_rect;
                }
                ShowWindow(window, SW_MAXIMIZE);
                Guard guard(lock());
                if (auto w = find(window))
                    w->normal_rect = normal;
            } else {
                RECT r;
                {
                    Guard guard(lock());
                    r = find(window)->normal_rect;
                }
                set_pos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                    SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
                min_max_info(window);
            }
        }
        if (top && command != SW_SHOWNOACTIVATE)
            activate(window);
        return was_visible;
    }
    case SW_SHOW:
    case SW_SHOWNA:
        show_now(window);
        if (top && command == SW_SHOW)
            activate(window);
        return was_visible;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    if (auto w = find(window))
        return shown(*w) ? TRUE : FALSE;
    for (auto& f : foreign_windows())
        if (f.handle == window)
            return (f.style & WS_VISIBLE) ? TRUE : FALSE;
    return FALSE;
}

static DWORD style_of(HWND window)
{
    if (auto w = find(window)) {
        Guard guard(lock());
        return w->style;
    }
    for (auto& f : foreign_windows())
        if (f.handle == window)
            return f.style;
    return 0;
}

BOOL IsIconic(HWND window)
{
    return (style_of(window) & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND window)
{
    return (style_of(window) & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL CloseWindow(HWND window)
{
    if (!checked(window))
        return FALSE;
    ShowWindow(window, SW_MINIMIZE);
    return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    bool was_disabled;
    {
        Guard guard(lock());
        was_disabled = (w->style & WS_DISABLED) != 0;
        if (was_disabled == !enable)
            return was_disabled ? TRUE : FALSE;
        if (enable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (!enable) {
        DWORD thread = w->thread;
        HWND focus;
        {
            Guard guard(lock());
            focus = focus_table()[thread];
        }
        if (is_within(focus, window))
            change_focus(thread, nullptr);
    }
    SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return was_disabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    auto w = find(window);
    if (!w)
        return FALSE;
    Guard guard(lock());
    return (w->style & WS_DISABLED) ? FALSE : TRUE;
}

HWND SetFocus(HWND window)
{
    DWORD thread = GetCurrentThreadId();
    HWND old;
    {
        Guard guard(lock());
        old = focus_table()[thread];
    }
    if (!window) {
        change_focus(thread, nullptr);
        return old;
    }
    auto w = checked(window);
    if (!w || window == desktop_handle())
        return nullptr;
    if (w->thread != thread) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HWND root = root_of(window);
    HWND foreground;
    {
        Guard guard(lock());
        foreground = s_foreground;
    }
    if (foreground != root && IsWindowVisible(root))
        activate(root);
    change_focus(thread, window);
    return old;
}

HWND GetFocus()
{
    Guard guard(lock());
    HWND focus = focus_table()[GetCurrentThreadId()];
    return find(focus) ? focus : nullptr;
}

HWND SetActiveWindow(HWND window)
{
    HWND old = GetActiveWindow();
    auto w = checked(window);
    if (!w)
        return nullptr;
    if (w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    activate(root_of(window));
    return old;
}

HWND GetActiveWindow()
{
    Guard guard(lock());
    auto w = find(s_foreground);
    return w && w->thread == GetCurrentThreadId() ? s_foreground : nullptr;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!find(window)) {
        if (auto f = foreign(); f && IsWindow(window)) {
            if (!f->set_foreground(window))
                return FALSE;
            activate(nullptr);
            return TRUE;
        }
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window == desktop_handle())
        return FALSE;
    activate(root_of(window));
    return TRUE;
}

HWND GetForegroundWindow()
{
    Guard guard(lock());
    return find(s_foreground) ? s_foreground : nullptr;
}

HWND GetLastActivePopup(HWND window)
{
    auto w = checked(window);
    if (!w)
        return nullptr;
    Guard guard(lock());
    if (auto p = find(w->last_popup); p && p->owner == window && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED))
        return w->last_popup;
    return window;
}

BOOL AttachThreadInput(DWORD, DWORD, BOOL)
{
    // Activation is already shared by every thread of the process; focus stays per thread.
    return TRUE;
}

HWND SetCapture(HWND window)
{
    Guard guard(lock());
    HWND old = s_capture;
    s_capture = find(window) ? window : nullptr;
    return old;
}

HWND GetCapture()
{
    Guard guard(lock());
    return find(s_capture) ? s_capture : nullptr;
}

BOOL ReleaseCapture()
{
    HWND old;
    {
        Guard guard(lock());
        old = s_capture;
        s_capture = nullptr;
    }
    if (old && IsWindow(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

namespace user::detail {

HWND focus_of_thread(DWORD thread)
{
    Guard guard(lock());
    auto it = focus_table().find(thread);
    return it == focus_table().end() ? nullptr : it->second;
}

}
