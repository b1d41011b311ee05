// The "STATIC" class: text (left, centred, right), icons and bitmaps, with click notifications
// under SS_NOTIFY; without it the static is transparent to the mouse (HTTRANSPARENT).

#include "Control.h"

#include <user/NonClient.h>

#include <cstdlib>

namespace user::controls {

namespace {

struct Static : Base {
    HANDLE image = nullptr;   // icon or bitmap
};

UINT type_of(HWND window)
{
    return static_cast<UINT>(GetWindowLongA(window, GWL_STYLE)) & SS_TYPEMASK;
}

bool is_image(UINT type)
{
    return type == SS_ICON || type == SS_BITMAP;
}

void paint(HWND window, Static& s)
{
    Painter p(window, s);
    HDC dc = p.dc();
    RECT r = p.client();
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    UINT type = style & SS_TYPEMASK;
    FillRect(dc, &r, parent_brush(window, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE));
    if (style & SS_SUNKEN)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (type == SS_ICON && s.image) {
        int x = r.left, y = r.top;
        if (style & SS_CENTERIMAGE) {
            x = (r.left + r.right - 32) / 2;
            y = (r.top + r.bottom - 32) / 2;
        }
        DrawIcon(dc, x, y, static_cast<HICON>(s.image));
        return;
    }
    if (type == SS_BITMAP && s.image) {
        BITMAP bm {};
        GetObjectA(s.image, sizeof bm, &bm);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, s.image);
        BitBlt(dc, r.left, r.top, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        return;
    }
    if (is_image(type))
        return;
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    UINT format = DT_WORDBREAK;
    if (type == SS_CENTER)
        format |= DT_CENTER;
    else if (type == SS_RIGHT)
        format |= DT_RIGHT;
    else if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
        format = DT_SINGLELINE;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE)
        format = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, text.c_str(), -1, &r, format);
}

HANDLE set_image(HWND window, Static& s, HANDLE image)
{
    HANDLE old = s.image;
    s.image = image;
    InvalidateRect(window, nullptr, TRUE);
    return old;
}

}

LRESULT CALLBACK static_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Static* s = state<Static>(window, message);
    if (!s)
        return DefWindowProcA(window, message, wparam, lparam);
    LRESULT result = 0;
    if (common(window, *s, message, wparam, lparam, result))
        return result;
    UINT type = type_of(window);
    switch (message) {
    case WM_NCHITTEST:
        // Without SS_NOTIFY the mouse goes to the window below.
        if (!(GetWindowLongA(window, GWL_STYLE) & SS_NOTIFY))
            return HTTRANSPARENT;
        break;
    case WM_CREATE: {
        // An image static's title names its resource in the creating module.
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
        if (is_image(type) && cs->lpszName && *cs->lpszName) {
            LPCSTR name = cs->lpszName;
            if (name[0] == '#')
                name = MAKEINTRESOURCEA(std::atoi(name + 1));
            s->image = type == SS_ICON ? static_cast<HANDLE>(LoadIconA(cs->hInstance, name))
                                       : static_cast<HANDLE>(LoadBitmapA(cs->hInstance, name));
        }
        return 0;
    }
    case WM_PAINT:
        paint(window, *s);
        return 0;
    case WM_SETTEXT:
        result = DefWindowProcA(window, message, wparam, lparam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
        if (GetWindowLongA(window, GWL_STYLE) & SS_NOTIFY)
            notify(window, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (GetWindowLongA(window, GWL_STYLE) & SS_NOTIFY)
            notify(window, STN_DBLCLK);
        return 0;
    case STM_SETICON:
        return reinterpret_cast<LRESULT>(set_image(window, *s, reinterpret_cast<HANDLE>(wparam)));
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(s->image);
    case STM_SETIMAGE:
        return reinterpret_cast<LRESULT>(set_image(window, *s, reinterpret_cast<HANDLE>(lparam)));
    case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(s->image);
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}
