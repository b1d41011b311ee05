// Creating and destroying windows, the window tree and the window longs.

#include "Ops.h"

#include <base/Errors.h>
#include <base/Process.h>
#include <base/Threads.h>
#include <user/SystemMetrics.h>

#include <algorithm>
#include <cstring>

namespace user::detail {

namespace {

int s_default_slot = 0;

void unlink(Window& w)
{
    auto parent = find(w.parent);
    if (!parent)
        return;
    auto& list = parent->children;
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
}

void link(Window& w, Window& parent)
{
    w.parent = parent.handle;
    if (parent.handle == desktop_handle())
        insert_top_level(parent, w.handle, (w.ex_style & WS_EX_TOPMOST) != 0);
    else
        parent.children.insert(parent.children.begin(), w.handle);
}

std::vector<HWND> children_of(HWND handle)
{
    Guard guard(lock());
    auto w = find(handle);
    return w ? w->children : std::vector<HWND> {};
}

void destroy_phase(HWND handle)
{
    {
        Guard guard(lock());
        auto w = find(handle);
        if (!w)
            return;
        w->life = Life::Destroying;
    }
    caret_owner_destroyed(handle);
    call(handle, WM_DESTROY, 0, 0);
    for (HWND child : children_of(handle))
        destroy_phase(child);
}

void final_phase(HWND handle)
{
    for (HWND child : children_of(handle))
        final_phase(child);
    call(handle, WM_NCDESTROY, 0, 0);
    HMENU menu = nullptr;
    {
        Guard guard(lock());
        auto w = find(handle);
        if (!w)
            return;
        kill_window_timers(handle);
        unlink(*w);
        if (w->cls)
            w->cls->windows--;
        if (!(w->style & WS_CHILD))
            menu = w->menu;
        w->life = Life::Gone;
        w->surface.reset();
        remove(handle);
    }
    if (menu)
        destroy_window_menu(menu);
}

}

void insert_top_level(Window& desk, HWND handle, bool topmost)
{
    auto& list = desk.children;
    list.erase(std::remove(list.begin(), list.end(), handle), list.end());
    auto at = list.begin();
    if (!topmost) {
        while (at != list.end()) {
            auto other = find(*at);
            if (!other || !(other->ex_style & WS_EX_TOPMOST))
                break;
            ++at;
        }
    }
    list.insert(at, handle);
}

}

using namespace user::detail;

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width, int height,
    HWND parent, HMENU menu_or_id, HINSTANCE instance, LPVOID param)
{
    auto cls = find_class(class_name);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent == HWND_MESSAGE)
        parent = nullptr;
    if (parent && !find(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && (!parent || parent == desktop_handle())) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    ensure_queue();

    auto w = std::make_shared<Window>();
    bool child = (style & WS_CHILD) != 0;
    if (!child && !(style & WS_POPUP))
        style |= WS_CLIPSIBLINGS | WS_CAPTION;
    DWORD initial_style = style;
    w->thread = GetCurrentThreadId();
    w->cls = cls;
    w->proc = cls->proc;
    w->text = title && !IS_INTRESOURCE(title) ? title : "";
    w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->ex_style = ex_style;
    w->instance = instance;
    w->extra.assign(static_cast<std::size_t>(cls->window_extra), 0);
    if (child)
        w->id = reinterpret_cast<UINT_PTR>(menu_or_id);
    else
        w->menu = menu_or_id ? menu_or_id : (cls->menu_resource ? load_class_menu(instance, cls->menu_resource) : nullptr);

    bool overlapped = !child && !(style & WS_POPUP);
    if (x == CW_USEDEFAULT) {
        if (overlapped) {
            x = y = 40 + 24 * (s_default_slot++ % 10);
        } else {
            x = 0;
            y = 0;
        }
    }
    if (width == CW_USEDEFAULT) {
        if (overlapped) {
            width = user::screen_width() * 5 / 8;
            height = user::screen_height() * 5 / 8;
        } else {
            width = 0;
            height = 0;
        }
    }
    // As for moves: coordinates within what a 16-bit screen position holds.
    constexpr int most = 32767;
    x = std::clamp(x, -most, most);
    y = std::clamp(y, -most, most);
    width = std::clamp(width, 0, most);
    height = std::clamp(height, 0, most);
    w->rect = { x, y, x + width, y + height };
    w->normal_rect = w->rect;

    HWND handle;
    {
        Guard guard(lock());
        handle = add(w);
        Window* parent_window = &desktop();
        std::shared_ptr<Window> keep;
        if (child) {
            keep = find(parent);
            parent_window = keep.get();
        } else if (parent && parent != desktop_handle()) {
            w->owner = GetAncestor(parent, GA_ROOT);
        }
        link(*w, *parent_window);
        cls->windows++;
    }

    CREATESTRUCTA cs { param, instance, menu_or_id, parent, height, width, y, x, static_cast<LONG>(initial_style),
        title, class_name, ex_style };
    if (!call(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        final_phase(handle);
        return nullptr;
    }
    {
        Guard guard(lock());
        if (auto alive = find(handle))
            alive->life = Life::Alive;
    }
    if (call(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (!IsWindow(handle))
        return nullptr;
    RECT client;
    GetClientRect(handle, &client);
    call(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    POINT origin { 0, 0 };
    {
        Guard guard(lock());
        if (auto alive = find(handle)) {
            RECT c = client_in_parent(*alive);
            origin = { c.left, c.top };
        }
    }
    call(handle, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if (child && !(ex_style & WS_EX_NOPARENTNOTIFY))
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(w->id)), reinterpret_cast<LPARAM>(handle));
    if (initial_style & WS_MINIMIZE)
        ShowWindow(handle, (initial_style & WS_VISIBLE) ? SW_SHOWMINNOACTIVE : SW_MINIMIZE);
    else if (initial_style & WS_MAXIMIZE)
        ShowWindow(handle, SW_SHOWMAXIMIZED);
    else if (initial_style & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    if (!child)
        desktop_changed();
    return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    if (window == desktop_handle() || w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->life == Life::Destroying)
        return FALSE;
    bool top = false;
    std::vector<HWND> owned;
    HWND parent = nullptr;
    UINT_PTR id = 0;
    bool notify = false;
    {
        Guard guard(lock());
        top = is_top_level(*w);
        for (HWND h : desktop().children) {
            auto o = find(h);
            if (o && o->owner == window)
                owned.push_back(h);
        }
        parent = w->parent;
        id = w->id;
        notify = (w->style & WS_CHILD) && !(w->ex_style & WS_EX_NOPARENTNOTIFY);
    }
    for (HWND h : owned)
        DestroyWindow(h);
    if (notify)
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<WORD>(id)), reinterpret_cast<LPARAM>(window));
    deactivate_leaving(window);
    {
        Guard guard(lock());
        if (auto alive = find(window)) {
            if (alive->style & WS_VISIBLE) {
                alive->style &= ~WS_VISIBLE;
                if (!top)
                    if (auto p = find(alive->parent)) {
                        RECT r = alive->rect;
                        invalidate(p->handle, &r, true);
                    }
            }
        }
    }
    destroy_phase(window);
    final_phase(window);
    if (top)
        desktop_changed();
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    if (!window)
        return FALSE;
    if (find(window))
        return TRUE;
    if (!user::is_local_window(window)) {
        for (auto& f : foreign_windows())
            if (f.handle == window)
                return TRUE;
    }
    return FALSE;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!proc)
        return 0;
    return proc(window, message, wparam, lparam);
}

HWND GetParent(HWND window)
{
    auto w = checked(window);
    if (!w)
        return nullptr;
    Guard guard(lock());
    if (w->style & WS_CHILD)
        return w->parent == desktop_handle() ? nullptr : w->parent;
    return w->owner;
}

HWND SetParent(HWND window, HWND new_parent)
{
    auto w = checked(window);
    if (!w || window == desktop_handle())
        return nullptr;
    if (!new_parent)
        new_parent = desktop_handle();
    auto p = checked(new_parent);
    if (!p)
        return nullptr;
    HWND old;
    bool was_top, now_top;
    {
        Guard guard(lock());
        for (HWND at = new_parent; at && at != desktop_handle();) {
            if (at == window) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            auto a = find(at);
            at = a ? a->parent : nullptr;
        }
        old = w->parent;
        was_top = is_top_level(*w);
        unlink(*w);
        link(*w, *p);
        now_top = is_top_level(*w);
        if (now_top)
            w->owner = nullptr;
    }
    if (shown(*w))
        invalidate(window, nullptr, true);
    if (was_top || now_top)
        desktop_changed();
    return old;
}

HWND GetAncestor(HWND window, UINT flags)
{
    auto w = checked(window);
    if (!w || window == desktop_handle())
        return nullptr;
    Guard guard(lock());
    switch (flags) {
    case GA_PARENT:
        return w->parent;
    case GA_ROOT:
    case GA_ROOTOWNER: {
        auto at = w;
        while (at->parent != desktop_handle()) {
            auto p = find(at->parent);
            if (!p)
                break;
            at = p;
        }
        if (flags == GA_ROOTOWNER) {
            while (at->owner) {
                auto o = find(at->owner);
                if (!o)
                    break;
                at = o;
            }
        }
        return at->handle;
    }
    }
    return nullptr;
}

HWND GetWindow(HWND window, UINT relation)
{
    auto w = checked(window);
    if (!w)
        return nullptr;
    Guard guard(lock());
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return w->owner;
    if (relation == GW_ENABLEDPOPUP)
        return nullptr;
    auto parent = find(w->parent);
    if (!parent)
        return nullptr;
    auto& list = parent->children;
    auto it = std::find(list.begin(), list.end(), window);
    switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == list.begin() || it == list.end()) ? nullptr : *(it - 1);
    }
    return nullptr;
}

HWND GetTopWindow(HWND window)
{
    return GetWindow(window ? window : desktop_handle(), GW_CHILD);
}

BOOL IsChild(HWND parent, HWND window)
{
    Guard guard(lock());
    auto w = find(window);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == parent)
            return TRUE;
        w = find(w->parent);
    }
    return FALSE;
}

HWND GetDesktopWindow()
{
    return desktop().handle;
}

HWND GetDlgItem(HWND dialog, int id)
{
    auto w = checked(dialog);
    if (!w)
        return nullptr;
    Guard guard(lock());
    for (HWND h : w->children)
        if (auto c = find(h); c && static_cast<int>(c->id) == id)
            return h;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND window)
{
    auto w = checked(window);
    if (!w)
        return 0;
    Guard guard(lock());
    return (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

static BOOL enumerate(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM lparam)
{
    for (HWND h : list)
        if (IsWindow(h) && !proc(h, lparam))
            return FALSE;
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lparam)
{
    if (!proc)
        return FALSE;
    return enumerate(children_of(desktop_handle()), proc, lparam);
}

static void descendants(HWND h, std::vector<HWND>& out)
{
    for (HWND c : children_of(h)) {
        out.push_back(c);
        descendants(c, out);
    }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lparam)
{
    if (!proc)
        return FALSE;
    std::vector<HWND> list;
    descendants(parent ? parent : desktop_handle(), list);
    return enumerate(list, proc, lparam);
}

BOOL EnumThreadWindows(DWORD thread_id, WNDENUMPROC proc, LPARAM lparam)
{
    if (!proc)
        return FALSE;
    std::vector<HWND> list;
    for (HWND h : children_of(desktop_handle()))
        if (auto w = find(h); w && w->thread == thread_id)
            list.push_back(h);
    return enumerate(list, proc, lparam);
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD process_id)
{
    if (auto w = find(window)) {
        if (process_id)
            *process_id = window == desktop_handle() ? 0 : GetCurrentProcessId();
        return w->thread;
    }
    for (auto& f : foreign_windows())
        if (f.handle == window) {
            if (process_id)
                *process_id = f.process_id;
            return f.thread_id;
        }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index)
{
    auto w = checked(window);
    if (!w)
        return 0;
    Guard guard(lock());
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->ex_style));
    case GWLP_USERDATA: return w->user_data;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR value;
        std::memcpy(&value, w->extra.data() + index, sizeof(value));
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

static LONG_PTR set_style(HWND window, int index, DWORD value)
{
    DWORD old;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return 0;
        old = index == GWL_STYLE ? w->style : w->ex_style;
    }
    STYLESTRUCT ss { old, value };
    call(window, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
    bool top = false;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return 0;
        if (index == GWL_STYLE)
            w->style = ss.styleNew;
        else
            w->ex_style = (ss.styleNew & ~WS_EX_TOPMOST) | (w->ex_style & WS_EX_TOPMOST);
        top = is_top_level(*w);
        ss.styleNew = index == GWL_STYLE ? w->style : w->ex_style;
    }
    call(window, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
    if (top)
        desktop_changed();
    return static_cast<LONG_PTR>(static_cast<LONG>(old));
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    auto w = checked(window);
    if (!w)
        return 0;
    if (window == desktop_handle()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    if (index == GWL_STYLE || index == GWL_EXSTYLE)
        return set_style(window, index, static_cast<DWORD>(value));
    Guard guard(lock());
    LONG_PTR old = GetWindowLongPtrA(window, index);
    switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return old;
    case GWLP_HWNDPARENT:
        if (!(w->style & WS_CHILD))
            w->owner = reinterpret_cast<HWND>(value);
        return old;
    case GWLP_ID: w->id = static_cast<UINT_PTR>(value); return old;
    case GWLP_USERDATA: w->user_data = value; return old;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(w->extra.data() + index, &value, sizeof(value));
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG GetWindowLongA(HWND window, int index)
{
    if (index >= 0) {
        auto w = checked(window);
        if (!w)
            return 0;
        Guard guard(lock());
        if (static_cast<std::size_t>(index) + sizeof(LONG) > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG value;
        std::memcpy(&value, w->extra.data() + index, sizeof(value));
        return value;
    }
    return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG SetWindowLongA(HWND window, int index, LONG value)
{
    if (index >= 0) {
        auto w = checked(window);
        if (!w)
            return 0;
        Guard guard(lock());
        if (static_cast<std::size_t>(index) + sizeof(LONG) > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG old;
        std::memcpy(&old, w->extra.data() + index, sizeof(old));
        std::memcpy(w->extra.data() + index, &value, sizeof(value));
        return old;
    }
    if (index == GWL_STYLE || index == GWL_EXSTYLE)
        return static_cast<LONG>(SetWindowLongPtrA(window, index, static_cast<LONG_PTR>(static_cast<DWORD>(value))));
    return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}
