// The pieces every standard control shares, and the registration of their classes.

#include "Control.h"

#include <base/Text.h>

#include <mutex>

namespace user::controls {

Base* base_state(HWND window, UINT message, Base* (*make)())
{
    auto* base = reinterpret_cast<Base*>(GetWindowLongPtrA(window, 0));
    if (!base && message == WM_NCCREATE) {
        base = make();
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(base));
    }
    return base;
}

static void destroy_state(HWND window)
{
    auto* base = reinterpret_cast<Base*>(GetWindowLongPtrA(window, 0));
    SetWindowLongPtrA(window, 0, 0);
    delete base;
}

bool common(HWND window, Base& base, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    switch (message) {
    case WM_SETFONT:
        base.font = reinterpret_cast<HFONT>(wparam);
        if (LOWORD(lparam))
            InvalidateRect(window, nullptr, TRUE);
        result = 0;
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(base.font);
        return true;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;   // the controls paint their whole client area
        return true;
    case WM_NCDESTROY:
        destroy_state(window);
        result = DefWindowProcA(window, message, wparam, lparam);
        return true;
    default:
        return false;
    }
}

HFONT font_of(const Base& base)
{
    return base.font ? base.font : gdi::dialog_font();
}

Base* base_of(HWND window)
{
    return reinterpret_cast<Base*>(GetWindowLongPtrA(window, 0));
}

void notify(HWND window, int code)
{
    Base* base = base_of(window);
    HWND parent = base && base->listener ? base->listener : GetParent(window);
    if (!parent)
        return;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code), reinterpret_cast<LPARAM>(window));
}

HBRUSH parent_brush(HWND window, HDC hdc, UINT ctlcolor, int fallback)
{
    HWND parent = GetParent(window);
    HBRUSH brush = parent
        ? reinterpret_cast<HBRUSH>(SendMessageA(parent, ctlcolor, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(window)))
        : nullptr;
    return brush ? brush : GetSysColorBrush(fallback);
}

bool inside(HWND window, LPARAM lparam)
{
    RECT client;
    GetClientRect(window, &client);
    int x = static_cast<short>(LOWORD(lparam));
    int y = static_cast<short>(HIWORD(lparam));
    return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

int line_height(const Base& base)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_of(base));
    TEXTMETRICA tm {};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

bool same_text(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool has_prefix(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (base::fold_ascii(text[i]) != base::fold_ascii(prefix[i]))
            return false;
    return true;
}

Painter::Painter(HWND window, const Base& base)
    : m_window(window)
{
    BeginPaint(window, &m_paint);
    GetClientRect(window, &m_client);
    m_old_font = SelectObject(m_paint.hdc, font_of(base));
}

Painter::~Painter()
{
    SelectObject(m_paint.hdc, m_old_font);
    EndPaint(m_window, &m_paint);
}

void register_standard_classes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct Entry {
            const char* name;
            WNDPROC proc;
            UINT style;
        };
        const Entry entries[] = {
            { "BUTTON", button_proc, CS_DBLCLKS | CS_PARENTDC },
            { "STATIC", static_proc, CS_DBLCLKS | CS_PARENTDC },
            { "EDIT", edit_proc, CS_DBLCLKS | CS_PARENTDC },
            { "LISTBOX", listbox_proc, CS_DBLCLKS | CS_PARENTDC },
            { "COMBOBOX", combobox_proc, CS_DBLCLKS | CS_PARENTDC },
            { "ComboLBox", combolist_proc, CS_DBLCLKS | CS_SAVEBITS },
            { "SCROLLBAR", scrollbar_proc, CS_DBLCLKS | CS_PARENTDC },
        };
        for (const Entry& e : entries) {
            WNDCLASSA wc {};
            wc.style = e.style | CS_GLOBALCLASS;
            wc.lpfnWndProc = e.proc;
            wc.cbWndExtra = sizeof(void*);
            wc.lpszClassName = e.name;
            RegisterClassA(&wc);
        }
    });
}

}
