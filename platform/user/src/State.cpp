#include "State.h"

#include <base/Errors.h>
#include <base/Process.h>
#include <user/SystemMetrics.h>

#include <map>

namespace user::detail {

static_assert(sizeof(HWND) == 8, "window handles carry the process id in their upper half");

namespace {

std::map<HWND, std::shared_ptr<Window>>& table()
{
    static std::map<HWND, std::shared_ptr<Window>> windows;
    return windows;
}

std::uint64_t s_next_window = 0x10020;

}

std::recursive_mutex& lock()
{
    static std::recursive_mutex mutex;
    return mutex;
}

HWND desktop_handle()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10010));
}

Window& desktop()
{
    static Window* window = [] {
        auto w = std::make_shared<Window>();
        w->handle = desktop_handle();
        w->style = WS_VISIBLE | WS_CLIPCHILDREN | WS_POPUP;
        w->rect = { 0, 0, kScreenWidth, kScreenHeight };
        w->life = Life::Alive;
        w->text = "";
        table()[w->handle] = w;
        return w.get();
    }();
    return *window;
}

std::shared_ptr<Window> find(HWND handle)
{
    Guard guard(lock());
    desktop();
    auto it = table().find(handle);
    if (it == table().end() || it->second->life == Life::Gone)
        return nullptr;
    return it->second;
}

std::shared_ptr<Window> checked(HWND handle)
{
    auto w = find(handle);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

HWND add(std::shared_ptr<Window> window)
{
    Guard guard(lock());
    desktop();
    std::uint64_t value = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) | s_next_window;
    s_next_window += 2;
    HWND handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
    window->handle = handle;
    table()[handle] = std::move(window);
    return handle;
}

void remove(HWND handle)
{
    Guard guard(lock());
    table().erase(handle);
}

static void collect(const Window& w, std::vector<std::shared_ptr<Window>>& out)
{
    for (HWND child : w.children) {
        auto c = find(child);
        if (!c)
            continue;
        out.push_back(c);
        collect(*c, out);
    }
}

std::vector<std::shared_ptr<Window>> all_windows()
{
    Guard guard(lock());
    std::vector<std::shared_ptr<Window>> out;
    collect(desktop(), out);
    return out;
}

bool is_top_level(const Window& w)
{
    return w.parent == desktop_handle();
}

RECT insets_for(DWORD style, DWORD ex_style, bool menu)
{
    int edge = 0;
    if (style & WS_THICKFRAME)
        edge = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        edge = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        edge = GetSystemMetrics(SM_CXBORDER);
    if (ex_style & WS_EX_CLIENTEDGE)
        edge += GetSystemMetrics(SM_CXEDGE);
    if (ex_style & WS_EX_STATICEDGE)
        edge += GetSystemMetrics(SM_CXBORDER);
    RECT r { edge, edge, edge, edge };
    if ((style & WS_CAPTION) == WS_CAPTION)
        r.top += (ex_style & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    if (menu && !(style & WS_CHILD))
        r.top += GetSystemMetrics(SM_CYMENU);
    if (style & WS_VSCROLL)
        r.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        r.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return r;
}

RECT insets(const Window& w)
{
    return insets_for(w.style, w.ex_style, w.menu != nullptr);
}

RECT client_in_parent(const Window& w)
{
    if (w.style & WS_MINIMIZE)
        return { w.rect.left, w.rect.top, w.rect.left, w.rect.top };
    RECT in = insets(w);
    RECT r { w.rect.left + in.left, w.rect.top + in.top, w.rect.right - in.right, w.rect.bottom - in.bottom };
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

POINT window_origin(const Window& w)
{
    POINT p { w.rect.left, w.rect.top };
    if (w.handle == desktop_handle() || is_top_level(w))
        return p;
    auto parent = find(w.parent);
    if (!parent)
        return p;
    POINT o = client_origin(*parent);
    return { p.x + o.x, p.y + o.y };
}

POINT client_origin(const Window& w)
{
    if (w.handle == desktop_handle())
        return { 0, 0 };
    RECT c = client_in_parent(w);
    POINT o = window_origin(w);
    return { o.x + (c.left - w.rect.left), o.y + (c.top - w.rect.top) };
}

bool shown(const Window& w)
{
    Guard guard(lock());
    const Window* at = &w;
    while (at && at->handle != desktop_handle()) {
        if (!(at->style & WS_VISIBLE) || at->life == Life::Gone)
            return false;
        auto parent = find(at->parent);
        at = parent.get();
        if (!at)
            return false;
    }
    return true;
}

LRESULT call(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    WNDPROC proc = nullptr;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return 0;
        proc = w->proc;
    }
    if (!proc)
        return DefWindowProcA(window, message, wparam, lparam);
    return proc(window, message, wparam, lparam);
}

}
