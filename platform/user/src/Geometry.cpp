// Window and client rectangles, moving, sizing and the z-order.

#include "Ops.h"

#include <base/Errors.h>
#include <base/Threads.h>
#include <user/SystemMetrics.h>

#include <algorithm>

namespace user::detail {

namespace {

void reorder(Window& w, HWND after)
{
    auto parent = find(w.parent);
    if (!parent)
        return;
    auto& list = parent->children;
    bool top = parent->handle == desktop_handle();
    if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        if (!top)
            return;
        if (after == HWND_TOPMOST)
            w.ex_style |= WS_EX_TOPMOST;
        else
            w.ex_style &= ~WS_EX_TOPMOST;
        insert_top_level(*parent, w.handle, after == HWND_TOPMOST);
        return;
    }
    if (after == HWND_TOP) {
        if (top)
            insert_top_level(*parent, w.handle, (w.ex_style & WS_EX_TOPMOST) != 0);
        else {
            list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
            list.insert(list.begin(), w.handle);
        }
        return;
    }
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
    if (after == HWND_BOTTOM) {
        list.push_back(w.handle);
        return;
    }
    auto it = std::find(list.begin(), list.end(), after);
    list.insert(it == list.end() ? list.end() : it + 1, w.handle);
}

}

constexpr int kMaxCoordinate = 32767;

bool set_pos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags)
{
    WINDOWPOS wp { window, after, x, y, cx, cy, flags };
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return false;
        // The window's own change is newer than what another thread asked before it.
        if (w->thread == GetCurrentThreadId())
            w->pending_pos.reset();
        if (flags & SWP_NOMOVE) {
            wp.x = w->rect.left;
            wp.y = w->rect.top;
        }
        if (flags & SWP_NOSIZE) {
            wp.cx = w->rect.right - w->rect.left;
            wp.cy = w->rect.bottom - w->rect.top;
        }
    }
    if (!(flags & SWP_NOSENDCHANGING))
        call(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    bool top = false;
    bool activate_it = false;
    bool became_visible = false;
    RECT old_rect {};
    HWND parent = nullptr;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return false;
        top = is_top_level(*w);
        parent = w->parent;
        old_rect = w->rect;
        RECT old_client = client_in_parent(*w);
        // Coordinates stay within what a 16-bit screen position holds, so no edge overflows.
        wp.x = std::clamp(wp.x, -kMaxCoordinate, kMaxCoordinate);
        wp.y = std::clamp(wp.y, -kMaxCoordinate, kMaxCoordinate);
        wp.cx = std::clamp(wp.cx, 0, kMaxCoordinate);
        wp.cy = std::clamp(wp.cy, 0, kMaxCoordinate);
        w->rect = { wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy };
        if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
            w->normal_rect = w->rect;
        if (!(wp.flags & SWP_NOZORDER))
            reorder(*w, wp.hwndInsertAfter);
        if ((wp.flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
            w->style |= WS_VISIBLE;
            became_visible = true;
        }
        if (wp.flags & SWP_HIDEWINDOW)
            w->style &= ~WS_VISIBLE;
        RECT new_client = client_in_parent(*w);
        if (old_rect.left == w->rect.left && old_rect.top == w->rect.top && !(wp.flags & SWP_FRAMECHANGED))
            wp.flags |= SWP_NOMOVE;
        bool same_size = old_client.right - old_client.left == new_client.right - new_client.left
            && old_client.bottom - old_client.top == new_client.bottom - new_client.top
            && old_rect.right - old_rect.left == wp.cx && old_rect.bottom - old_rect.top == wp.cy;
        if (same_size && !(wp.flags & SWP_FRAMECHANGED))
            wp.flags |= SWP_NOSIZE;
        else if (!same_size || (wp.flags & SWP_FRAMECHANGED))
            wp.flags &= ~SWP_NOSIZE;   // a new frame (style, menu) can change the client alone
        activate_it = top && !(wp.flags & SWP_NOACTIVATE) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
    }
    if (!(wp.flags & SWP_NOREDRAW) && (became_visible || !(wp.flags & SWP_NOSIZE)))
        invalidate(window, nullptr, true);
    if (!top && !(wp.flags & SWP_NOREDRAW) && (!(wp.flags & SWP_NOMOVE) || !(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_HIDEWINDOW))) {
        invalidate(parent, &old_rect, true);
        if (!(wp.flags & SWP_NOMOVE))
            invalidate(window, nullptr, true);
    }
    if (wp.flags & SWP_HIDEWINDOW)
        deactivate_leaving(window);
    if (activate_it)
        activate(window);
    call(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (top)
        desktop_changed();
    return true;
}

}

using namespace user::detail;

BOOL GetWindowRect(HWND window, LPRECT rect)
{
    if (!rect)
        return FALSE;
    if (!find(window)) {
        for (auto& f : foreign_windows())
            if (f.handle == window) {
                *rect = f.rect;
                return TRUE;
            }
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Guard guard(lock());
    auto w = find(window);
    POINT o = window_origin(*w);
    *rect = { o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top) };
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    auto w = checked(window);
    if (!w || !rect)
        return FALSE;
    Guard guard(lock());
    RECT c = client_in_parent(*w);
    *rect = { 0, 0, c.right - c.left, c.bottom - c.top };
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags)
{
    if (!find(window)) {
        if (auto f = foreign(); f && IsWindow(window))
            return f->raise(window, insert_after == HWND_TOPMOST ? 1 : insert_after == HWND_NOTOPMOST ? -1 : 0);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window == desktop_handle()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (flags & SWP_ASYNCWINDOWPOS) {
        // Another thread's request runs on the window's thread, so its procedure never runs on two.
        bool posted = false;
        {
            Guard guard(lock());
            auto w = find(window);
            if (w && w->thread != GetCurrentThreadId()) {
                posted = !w->pending_pos;
                w->pending_pos = WINDOWPOS { window, insert_after, x, y, width, height, flags & ~SWP_ASYNCWINDOWPOS };
                if (!posted)
                    return TRUE; // the request already posted takes this one
            }
        }
        if (posted)
            return PostMessageA(window, WM_ASYNC_WINDOWPOS, 0, 0);
    }
    return set_pos(window, insert_after, x, y, width, height, flags & ~SWP_ASYNCWINDOWPOS) ? TRUE : FALSE;
}

void user::detail::apply_pending_pos(HWND window)
{
    std::optional<WINDOWPOS> wp;
    {
        Guard guard(lock());
        if (auto w = find(window)) {
            wp = w->pending_pos;
            w->pending_pos.reset();
        }
    }
    if (wp)
        set_pos(window, wp->hwndInsertAfter, wp->x, wp->y, wp->cx, wp->cy, wp->flags);
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND window)
{
    return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

static bool client_point(HWND window, POINT* origin)
{
    auto w = checked(window);
    if (!w)
        return false;
    Guard guard(lock());
    *origin = client_origin(*w);
    return true;
}

BOOL ScreenToClient(HWND window, LPPOINT point)
{
    POINT o;
    if (!point || !client_point(window, &o))
        return FALSE;
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point)
{
    POINT o;
    if (!point || !client_point(window, &o))
        return FALSE;
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT a { 0, 0 }, b { 0, 0 };
    if ((from && !client_point(from, &a)) || (to && !client_point(to, &b)))
        return 0;
    LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style)
{
    if (!rect)
        return FALSE;
    RECT in = insets_for(style & ~(WS_VSCROLL | WS_HSCROLL), ex_style, menu != FALSE);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    auto w = checked(window);
    if (!w || !placement)
        return FALSE;
    Guard guard(lock());
    placement->flags = w->restore_maximized ? 2u : 0u;
    placement->showCmd = !(w->style & WS_VISIBLE) ? SW_HIDE
        : (w->style & WS_MINIMIZE)               ? SW_SHOWMINIMIZED
        : (w->style & WS_MAXIMIZE)               ? SW_SHOWMAXIMIZED
                                                 : SW_SHOWNORMAL;
    placement->ptMinPosition = { ICONIC_POSITION, ICONIC_POSITION };
    placement->ptMaxPosition = { -1, -1 };
    placement->rcNormalPosition = w->normal_rect;
    return TRUE;
}
