// Update rectangles, WM_PAINT candidates, BeginPaint/EndPaint and the window DCs over the
// top-level windows' surfaces.

#include "NonClient.h"
#include "Ops.h"

#include <base/Errors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Surface.h>
#include <user/Paint.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>

namespace user::detail {

namespace {

thread_local bool t_whole_window = false;
std::atomic<DisplayObserver> s_display_observer { nullptr };
std::atomic<PaintPresenter> s_paint_presenter { nullptr };
std::atomic<SurfaceMaker> s_surface_maker { nullptr };

// A top-level window's surface, white: in the display's memory where it offers some.
std::shared_ptr<gdi::Surface> new_surface(int width, int height)
{
    if (SurfaceMaker maker = s_surface_maker.load()) {
        gdi::Surface made = maker(width, height);
        if (made.width() == width && made.height() == height) {
            made.fill(gdi::kOpaqueWhite);
            return std::make_shared<gdi::Surface>(std::move(made));
        }
    }
    return std::make_shared<gdi::Surface>(width, height, gdi::kOpaqueWhite);
}

// More separate rectangles than this are merged into their bounding box.
constexpr std::size_t kDamageRects = 16;

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

// Under lock(): the top-level window of `window`, or nullptr when it is gone.
Window* root_of(HWND window)
{
    auto w = find(window);
    return w ? root_window(*w) : nullptr;
}

// Moves a top-level window's damage into `changed`; `whole` makes it the whole surface first.
void take_damage(Window& root, const gdi::Surface& surface, std::vector<RECT>& changed, bool whole)
{
    if (whole) {
        root.damage.clear();
        root.damage.push_back(RECT { 0, 0, surface.width(), surface.height() });
    }
    changed.swap(root.damage);
    root.damage.clear();
}

bool inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT bounding(const RECT& a, const RECT& b)
{
    return { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom) };
}

// Under lock(): adds a surface rectangle to a top-level window's damage; true when it had none.
bool add_damage(Window& root, const RECT& changed)
{
    if (!root.surface)
        return false;
    RECT r = intersect(changed, RECT { 0, 0, root.surface->width(), root.surface->height() });
    if (empty(r))
        return false;
    bool first = root.damage.empty();
    for (RECT& d : root.damage) {
        if (inside(r, d))
            return false;
        if (inside(d, r)) {
            d = r;
            return false;
        }
    }
    if (root.damage.size() < kDamageRects) {
        root.damage.push_back(r);
    } else {
        for (const RECT& d : root.damage)
            r = bounding(r, d);
        root.damage.clear();
        root.damage.push_back(r);
    }
    return first;
}

void on_damage(HWND window, const gdi::Surface& surface, const RECT& changed)
{
    Guard guard(lock());
    Window* root = root_of(window);
    if (!root)
        return;
    if (root->handle == desktop_handle() || root->surface.get() != &surface)
        return;
    if (add_damage(*root, changed))
        display_changed();
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
    bool fresh = !root->surface;
    bool desktop = root->handle == desktop_handle();
    if (fresh) {
        root->surface = desktop ? std::make_shared<gdi::Surface>(width, height, gdi::kOpaqueWhite)
                                : new_surface(width, height);
    } else if (root->surface->width() != width || root->surface->height() != height) {
        if (!root->surface->resize(width, height, gdi::kOpaqueWhite)) {
            // Memory of the display's: a new surface that keeps what fits.
            auto resized = new_surface(width, height);
            const gdi::Surface& old = *root->surface;
            int keep_w = std::min(width, old.width()), keep_h = std::min(height, old.height());
            for (int y = 0; y < keep_h; ++y)
                std::memcpy(resized->row(y), old.row(y), static_cast<std::size_t>(keep_w) * sizeof(gdi::Pixel));
            root->surface = std::move(resized);
        }
        fresh = true;
    }
    if (fresh && !desktop) {
        root->damage.clear();
        add_damage(*root, RECT { 0, 0, width, height });
        display_changed();
    }
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
    std::call_once(once, [] {
        gdi::set_window_surface_resolver(resolve);
        gdi::set_damage_listener(on_damage);
    });
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

// Set by paint_now while it holds the lock: the display is woken once it is let go, so that it
// does not wake only to wait for it.
thread_local bool t_hold_display = false;
thread_local bool t_display_held = false;

void display_changed()
{
    if (t_hold_display) {
        t_display_held = true;
        return;
    }
    if (DisplayObserver observer = s_display_observer.load())
        observer();
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

bool paint_now(HWND window, const std::function<void(HDC dc, const RECT& client)>& paint)
{
    const bool outer = !t_hold_display;
    HWND top = nullptr;
    {
        Guard guard(lock());
        if (!IsWindowVisible(window))
            return false;
        if (Window* root = root_of(window))
            top = root->handle;
        HDC dc = GetDC(window);
        if (!dc)
            return false;
        RECT client {};
        GetClientRect(window, &client);
        t_hold_display = true;
        paint(dc, client);
        ReleaseDC(window, dc);
        t_hold_display = !outer;
    }
    if (outer && std::exchange(t_display_held, false)) {
        PaintPresenter presenter = s_paint_presenter.load();
        if (!presenter || !top || !presenter(top))
            display_changed();
    }
    return true;
}

bool copy_window_surface(HWND window, gdi::Surface& out)
{
    Guard guard(lock());
    Window* root = root_of(window);
    if (!root)
        return false;
    if (!root->surface)
        return false;
    const gdi::Surface& surface = *root->surface;
    // A copy of the pixels, also where a plain copy would share the display's memory.
    out = surface.owns_memory() ? surface : surface.copy(RECT { 0, 0, surface.width(), surface.height() });
    return true;
}

void set_paint_presenter(PaintPresenter presenter)
{
    s_paint_presenter.store(presenter);
}

void set_display_observer(DisplayObserver observer)
{
    s_display_observer.store(observer);
}

SIZE window_surface_size(HWND window)
{
    Guard guard(lock());
    Window* root = root_of(window);
    if (!root)
        return { 0, 0 };
    if (!root->surface)
        return { 0, 0 };
    return { root->surface->width(), root->surface->height() };
}

void set_surface_maker(SurfaceMaker maker)
{
    s_surface_maker.store(maker);
}


bool take_surface_damage(HWND window, std::shared_ptr<gdi::Surface>& surface, std::vector<RECT>& changed, bool whole)
{
    changed.clear();
    Guard guard(lock());
    Window* root = root_of(window);
    if (!root || !root->surface || root->surface->owns_memory())
        return false;
    surface = root->surface;
    take_damage(*root, *surface, changed, whole);
    return true;
}

bool take_window_damage(HWND window, gdi::Surface& into, std::vector<RECT>& changed, bool whole)
{
    changed.clear();
    Guard guard(lock());
    Window* root = root_of(window);
    if (!root)
        return false;
    const gdi::Surface* surface = root->surface.get();
    if (!surface || surface->width() != into.width() || surface->height() != into.height())
        return false;
    take_damage(*root, *surface, changed, whole);
    for (const RECT& r : changed) {
        std::size_t bytes = static_cast<std::size_t>(r.right - r.left) * sizeof(gdi::Pixel);
        for (LONG y = r.top; y < r.bottom; ++y)
            std::memcpy(into.row(y) + r.left, surface->row(y) + r.left, bytes);
    }
    return true;
}

}
