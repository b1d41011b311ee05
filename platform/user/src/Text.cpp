// Window text through WM_SETTEXT / WM_GETTEXT, and finding windows by class and title.

#include "Ops.h"

#include <base/Errors.h>
#include <base/Text.h>

#include <cstring>

using namespace user::detail;

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    if (!checked(window))
        return FALSE;
    return static_cast<BOOL>(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextA(HWND window, LPSTR text, int size)
{
    if (!text || size <= 0)
        return 0;
    text[0] = '\0';
    if (!find(window)) {
        for (auto& f : foreign_windows())
            if (f.handle == window)
                return static_cast<int>(base::copy_bounded(text, static_cast<std::size_t>(size), f.title));
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthA(HWND window)
{
    if (!find(window)) {
        for (auto& f : foreign_windows())
            if (f.handle == window)
                return static_cast<int>(f.title.size());
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (text && size > 0)
            text[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, text, size));
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageA(item, message, wparam, lparam) : 0;
}

namespace {

bool class_matches(LPCSTR wanted, const std::string& name, ATOM atom)
{
    if (!wanted)
        return true;
    if (IS_INTRESOURCE(wanted))
        return atom != 0 && atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(wanted));
    return base::equals_ignoring_case(wanted, name);
}

bool title_matches(LPCSTR wanted, const std::string& title)
{
    return !wanted || base::equals_ignoring_case(wanted, title);
}

}

HWND FindWindowExA(HWND parent, HWND after, LPCSTR class_name, LPCSTR title)
{
    bool top = !parent || parent == desktop_handle();
    std::vector<HWND> list;
    {
        Guard guard(lock());
        auto p = top ? find(desktop_handle()) : checked(parent);
        if (!p)
            return nullptr;
        list = p->children;
    }
    bool started = after == nullptr;
    for (HWND h : list) {
        if (!started) {
            started = h == after;
            continue;
        }
        Guard guard(lock());
        auto w = find(h);
        if (!w || w->life == Life::Gone)
            continue;
        std::string name = w->cls ? w->cls->name : std::string();
        ATOM atom = w->cls ? w->cls->atom : 0;
        if (class_matches(class_name, name, atom) && title_matches(title, w->text))
            return h;
    }
    if (!top)
        return nullptr;
    for (auto& f : foreign_windows()) {
        if (!started) {
            started = f.handle == after;
            continue;
        }
        if (class_matches(class_name, f.class_name, 0) && title_matches(title, f.title))
            return f.handle;
    }
    return nullptr;
}

HWND FindWindowA(LPCSTR class_name, LPCSTR title)
{
    return FindWindowExA(nullptr, nullptr, class_name, title);
}
