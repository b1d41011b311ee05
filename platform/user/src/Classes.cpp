// Window classes: registration, look-up and class longs.

#include "State.h"
#include "controls/Control.h"

#include <base/Errors.h>
#include <base/Text.h>

#include <map>

namespace user::detail {

namespace {

std::map<std::string, std::shared_ptr<Class>>& classes()
{
    static std::map<std::string, std::shared_ptr<Class>> table;
    return table;
}

}

ATOM next_atom();

std::shared_ptr<Class> find_class(LPCSTR name)
{
    if (!name)
        return nullptr;
    controls::register_standard_classes();
    Guard guard(lock());
    if (IS_INTRESOURCE(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (auto& [key, cls] : classes())
            if (cls->atom == atom)
                return cls;
        return nullptr;
    }
    auto it = classes().find(base::folded_ascii(name));
    return it == classes().end() ? nullptr : it->second;
}

static ATOM register_class(const WNDCLASSEXA& wc)
{
    if (!wc.lpszClassName || (!IS_INTRESOURCE(wc.lpszClassName) && !*wc.lpszClassName) || IS_INTRESOURCE(wc.lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard guard(lock());
    std::string key = base::folded_ascii(wc.lpszClassName);
    if (classes().count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<Class>();
    cls->name = wc.lpszClassName;
    cls->atom = next_atom();
    cls->style = wc.style;
    cls->proc = wc.lpfnWndProc;
    cls->class_extra = wc.cbClsExtra < 0 ? 0 : wc.cbClsExtra;
    cls->window_extra = wc.cbWndExtra < 0 ? 0 : wc.cbWndExtra;
    cls->instance = wc.hInstance;
    cls->icon = wc.hIcon;
    cls->small_icon = wc.hIconSm;
    cls->cursor = wc.hCursor;
    cls->background = wc.hbrBackground;
    if (wc.lpszMenuName && IS_INTRESOURCE(wc.lpszMenuName))
        cls->menu_resource = wc.lpszMenuName;
    else if (wc.lpszMenuName) {
        cls->menu_name = wc.lpszMenuName;
        cls->menu_resource = cls->menu_name.c_str();
    }
    classes()[key] = cls;
    return cls->atom;
}

static BOOL unregister_class(LPCSTR name)
{
    Guard guard(lock());
    auto cls = find_class(name);
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (cls->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    classes().erase(base::folded_ascii(cls->name));
    return TRUE;
}

}

using namespace user::detail;

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex { sizeof(WNDCLASSEXA), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
        wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr };
    return register_class(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return register_class(*wc);
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE)
{
    return unregister_class(name);
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR name, LPWNDCLASSEXA wc)
{
    auto cls = find_class(name);
    if (!cls || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    Guard guard(lock());
    wc->cbSize = sizeof(WNDCLASSEXA);
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->cbClsExtra = cls->class_extra;
    wc->cbWndExtra = cls->window_extra;
    wc->hInstance = cls->instance;
    wc->hIcon = cls->icon;
    wc->hCursor = cls->cursor;
    wc->hbrBackground = cls->background;
    wc->lpszMenuName = cls->menu_resource;
    wc->lpszClassName = cls->name.c_str();
    wc->hIconSm = cls->small_icon;
    return cls->atom;
}

BOOL GetClassInfoA(HINSTANCE module, LPCSTR name, LPWNDCLASSA wc)
{
    WNDCLASSEXA ex {};
    if (!wc || !GetClassInfoExA(module, name, &ex))
        return FALSE;
    *wc = { ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon, ex.hCursor,
        ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName };
    return TRUE;
}

int GetClassNameA(HWND window, LPSTR name, int size)
{
    if (!find(window) && !user::is_local_window(window) && name && size > 0) {
        for (auto& f : foreign_windows())
            if (f.handle == window)
                return static_cast<int>(base::copy_bounded(name, static_cast<std::size_t>(size), f.class_name));
    }
    auto w = checked(window);
    if (!w || !name || size <= 0)
        return 0;
    Guard guard(lock());
    std::string cls = w->cls ? w->cls->name : std::string("#32769");
    return static_cast<int>(base::copy_bounded(name, static_cast<std::size_t>(size), cls));
}

ULONG_PTR GetClassLongPtrA(HWND window, int index)
{
    auto w = checked(window);
    if (!w || !w->cls)
        return 0;
    Guard guard(lock());
    auto& c = *w->cls;
    switch (index) {
    case GCLP_MENUNAME: return reinterpret_cast<ULONG_PTR>(c.menu_resource);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(c.small_icon);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCL_STYLE: return c.style;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value)
{
    auto w = checked(window);
    if (!w || !w->cls)
        return 0;
    Guard guard(lock());
    auto& c = *w->cls;
    ULONG_PTR old = GetClassLongPtrA(window, index);
    switch (index) {
    case GCLP_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(value); break;
    case GCLP_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HICON: c.icon = reinterpret_cast<HICON>(value); break;
    case GCLP_HICONSM: c.small_icon = reinterpret_cast<HICON>(value); break;
    case GCLP_WNDPROC: c.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_STYLE: c.style = static_cast<UINT>(value); break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    return old;
}

DWORD GetClassLongA(HWND window, int index)
{
    return static_cast<DWORD>(GetClassLongPtrA(window, index));
}
