// Update rectangles, WM_PAINT candidates, BeginPaint/EndPaint and the window DCs over the
// top-level windows' surfaces.

#include "NonClient.h"
#include "Ops.h"

#include <base/Errors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Surface.h>
#include <user/Paint.h>

#include <algorithm>
#include <mutex>

namespace user::detail {

namespace {

thread_local bool t_whole_window = false;

RECT intersect(const RECT& a, const RECT& b)
{
    RECT r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom) };
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

bool empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT client_size(const Window& w)
{
    RECT c = client_in_parent(w);
    return { 0, 0, c.right - c.left, c.bottom - c.top };
}

// Under lock(): adds a client rectangle to the window's update region, and its children's.
void add_update(Window& w, const RECT& area, bool erase, std::vector<DWORD>& threads)
{
    RECT r = intersect(area, client_size(w));
    if (empty(r))
        return;
    if (w.update) {
        w.update_rect = { std::min(w.update_rect.left, r.left), std::min(w.update_rect.top, r.top),
            std::max(w.update_rect.right, r.right), std::max(w.update_rect.bottom, r.bottom) };
    } else {
        w.update = true;
        w.update_rect = r;
    }
    w.erase = w.erase || erase;
    threads.push_back(w.thread);
    if (w.style & WS_CLIPCHILDREN)
        return;
    for (HWND h : w.children) {
        auto c = find(h);
        if (!c || !(c->style & WS_VISIBLE))
            continue;
        RECT in_child = { r.left - c->rect.left, r.top - c->rect.top, r.right - c->rect.left, r.bottom - c->rect.top };
        RECT client = client_in_parent(*c);
        int dx = client.left - c->rect.left, dy = client.top - c->rect.top;
        in_child = { in_child.left - dx, in_child.top - dy, in_child.right - dx, in_child.bottom - dy };
        add_update(*c, in_child, erase, threads);
    }
}

// Under lock(): the visible siblings above a child window (before it in its parent's list) get
// the part of `area` (the window's client coordinates) that they cover in their update regions
// too, so they paint again over what the window paints there.
void add_update_above(Window& w, const RECT& area, bool erase, std::vector<DWORD>& threads)
{
    if (is_top_level(w))
        return;
    auto parent = find(w.parent);
    if (!parent)
        return;
    RECT wc = client_in_parent(w);
    RECT in_parent { area.left + wc.left, area.top + wc.top, area.right + wc.left, area.bottom + wc.top };
    for (HWND h : parent->children) {
        if (h == w.handle)
            return;
        auto s = find(h);
        if (!s || !(s->style & WS_VISIBLE))
            continue;
        RECT covered = intersect(in_parent, s->rect);
        if (empty(covered))
            continue;
        RECT sc = client_in_parent(*s);
        add_update(*s, { covered.left - sc.left, covered.top - sc.top, covered.right - sc.left, covered.bottom - sc.top }, erase,
            threads);
    }
}

// Under lock(): windows in the order they paint: a parent before its children, and siblings from
// the bottom of the z-order up, so overlapping siblings end up as stacked.
void collect_paint_order(const Window& w, std::vector<std::shared_ptr<Window>>& out)
{
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        auto c = find(*it);
        if (!c)
            continue;
        out.push_back(c);
        collect_paint_order(*c, out);
    }
}

Window* root_window(Window& w)
{
    Window* at = &w;
    while (at->handle != desktop_handle() && !is_top_level(*at)) {
        auto p = find(at->parent);
        if (!p)
            break;
        at = p.get();
    }
    return at;
}

bool resolve(HWND window, gdi::WindowTarget* target)
{
    Guard guard(lock());
    auto w = find(window);
    if (!w)
        return false;
    Window* root = root_window(*w);
    RECT size_rect = (root->style & WS_MINIMIZE) ? root->normal_rect : root->rect;
    int width = std::max<LONG>(1, size_rect.right - size_rect.left);
    int height = std::max<LONG>(1, size_rect.bottom - size_rect.top);
    if (!root->surface)
        root->surface = std::make_shared<gdi::Surface>(width, height, gdi::kOpaqueWhite);
    else if (root->surface->width() != width || root->surface->height() != height)
        root->surface->resize(width, height, gdi::kOpaqueWhite);
    POINT root_origin = root->handle == desktop_handle() ? POINT { 0, 0 } : window_origin(*root);
    target->surface = root->surface;
    if (t_whole_window) {
        POINT o = window_origin(*w);
        target->origin = { o.x - root_origin.x, o.y - root_origin.y };
        target->clip = { 0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top };
        return true;
    }
    POINT o = client_origin(*w);
    target->origin = { o.x - root_origin.x, o.y - root_origin.y };
    RECT clip = client_size(*w);
    // Clip to every ancestor's client area, in this window's client coordinates.
    for (Window* at = w.get(); at != root && at->handle != desktop_handle();) {
        auto p = find(at->parent);
        if (!p)
            break;
        POINT po = client_origin(*p);
        RECT pc = client_size(*p);
        RECT in_w = { pc.left + po.x - o.x, pc.top + po.y - o.y, pc.right + po.x - o.x, pc.bottom + po.y - o.y };
        clip = intersect(clip, in_w);
        at = p.get();
    }
    target->clip = clip;
    return true;
}

void install_resolver()
{
    static std::once_flag once;
    std::call_once(once, [] { gdi::set_window_surface_resolver(resolve); });
}

}

void invalidate(HWND window, const RECT* rect, bool erase)
{
    std::vector<DWORD> threads;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w || window == desktop_handle())
            return;
        RECT all = client_size(*w);
        RECT area = intersect(rect ? *rect : all, all);
        add_update(*w, area, erase, threads);
        add_update_above(*w, area, erase, threads);
    }
    std::sort(threads.begin(), threads.end());
    threads.erase(std::unique(threads.begin(), threads.end()), threads.end());
    for (DWORD t : threads)
        wake_thread(t);
}

HWND paint_candidate(DWORD thread, HWND filter)
{
    Guard guard(lock());
    std::vector<std::shared_ptr<Window>> order;
    collect_paint_order(desktop(), order);
    for (auto& w : order) {
        if (w->thread != thread || !w->update || w->life != Life::Alive || !shown(*w))
            continue;
        if (filter && filter != w->handle && !IsChild(filter, w->handle))
            continue;
        return w->handle;
    }
    return nullptr;
}

}

using namespace user::detail;

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    if (!window) {
        for (auto& w : all_windows())
            if (!(w->style & WS_CHILD))
                invalidate(w->handle, nullptr, true);
        return TRUE;
    }
    if (!checked(window))
        return FALSE;
    invalidate(window, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    Guard guard(lock());
    if (!rect || (rect->left <= w->update_rect.left && rect->top <= w->update_rect.top && rect->right >= w->update_rect.right
                     && rect->bottom >= w->update_rect.bottom)) {
        w->update = false;
        w->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    bool has;
    bool need_erase;
    {
        Guard guard(lock());
        has = w->update;
        if (rect)
            *rect = has ? w->update_rect : RECT { 0, 0, 0, 0 };
        need_erase = has && w->erase && erase;
    }
    if (need_erase) {
        HDC dc = GetDC(window);
        if (dc) {
            if (SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
                Guard guard(lock());
                w->erase = false;
            }
            ReleaseDC(window, dc);
        }
    }
    return has ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    bool paint;
    {
        Guard guard(lock());
        paint = w->update && shown(*w);
    }
    if (paint)
        SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND window, const RECT* rect, HRGN, UINT flags)
{
    if (!window)
        window = desktop_handle();
    if (!checked(window))
        return FALSE;
    if (flags & RDW_INVALIDATE)
        invalidate(window, rect, (flags & RDW_ERASE) != 0);
    if (flags & RDW_VALIDATE)
        ValidateRect(window, rect);
    if (flags & RDW_UPDATENOW) {
        UpdateWindow(window);
        if (flags & RDW_ALLCHILDREN) {
            std::vector<HWND> children;
            EnumChildWindows(window, [](HWND h, LPARAM l) {
                reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
                return TRUE;
            }, reinterpret_cast<LPARAM>(&children));
            for (HWND h : children)
                UpdateWindow(h);
        }
    }
    return TRUE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    auto w = checked(window);
    if (!w || !paint)
        return nullptr;
    *paint = {};
    bool erase;
    {
        Guard guard(lock());
        paint->rcPaint = w->update ? w->update_rect : RECT { 0, 0, 0, 0 };
        erase = w->update && w->erase;
        w->update = false;
        w->erase = false;
    }
    caret_paint_begins(window);
    if (has_non_client(window))
        SendMessageA(window, WM_NCPAINT, 1, 0);
    HDC dc = GetDC(window);
    if (!dc) {
        caret_paint_ends(window);
        return nullptr;
    }
    IntersectClipRect(dc, paint->rcPaint.left, paint->rcPaint.top, paint->rcPaint.right, paint->rcPaint.bottom);
    paint->hdc = dc;
    paint->fErase = erase ? TRUE : FALSE;
    if (erase && SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0))
        paint->fErase = FALSE;
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (!paint || !paint->hdc)
        return FALSE;
    BOOL released = gdi::release_dc(paint->hdc);
    caret_paint_ends(window);
    return released;
}

HDC GetDC(HWND window)
{
    install_resolver();
    if (!window)
        window = desktop_handle();
    if (!checked(window))
        return nullptr;
    return gdi::create_window_dc(window);
}

HDC GetWindowDC(HWND window)
{
    install_resolver();
    if (!window)
        window = desktop_handle();
    if (!checked(window))
        return nullptr;
    t_whole_window = true;
    HDC dc = gdi::create_window_dc(window);
    t_whole_window = false;
    return dc;
}

int ReleaseDC(HWND, HDC hdc)
{
    return hdc && gdi::release_dc(hdc) ? 1 : 0;
}

namespace user {

std::shared_ptr<gdi::Surface> window_surface(HWND window)
{
    HDC dc = GetWindowDC(window);
    if (!dc)
        return nullptr;
    auto surface = gdi::dc_surface(dc);
    ReleaseDC(window, dc);
    return surface;
}

bool copy_window_surface(HWND window, gdi::Surface& out)
{
    Guard guard(lock());
    auto w = find(window);
    if (!w)
        return false;
    Window* root = root_window(*w);
    if (!root->surface)
        return false;
    out = *root->surface;
    return true;
}

}
