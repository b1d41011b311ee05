#pragma once

// What the common controls share (internal): per-window data, notifications, class registration
// and the plain painting style.

#include <user/CommonControls.h>

#include <base/Text.h>
#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Fonts.h>
#include <gdi/Objects.h>
#include <gdi/Text.h>
#include <user/Dialogs.h>
#include <user/Paint.h>

#include <string>

namespace user::common {

// The control's data object, kept in its first window extra bytes; created at WM_NCCREATE and
// deleted at WM_NCDESTROY by with_data().
template<typename T>
T* data_of(HWND window)
{
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, 0));
}

// Runs the control's procedure on its data, creating and deleting the data around the window's life.
template<typename T>
LRESULT with_data(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
    LRESULT (*proc)(T&, HWND, UINT, WPARAM, LPARAM))
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(new T()));
    T* data = data_of<T>(window);
    if (!data)
        return DefWindowProcA(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, 0, 0);
        delete data;
        return DefWindowProcA(window, message, wparam, lparam);
    }
    return proc(*data, window, message, wparam, lparam);
}

// Fills the header and sends WM_NOTIFY to the parent; returns the parent's answer.
inline LRESULT notify(HWND control, NMHDR& header, UINT code)
{
    header.hwndFrom = control;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header.code = code;
    HWND parent = GetParent(control);
    return parent ? SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

// Registers a class whose windows keep a data pointer; nothing when it exists already.
inline void register_control_class(const char* name, WNDPROC proc, int background)
{
    WNDCLASSA wc {};
    if (GetClassInfoA(nullptr, name, &wc))
        return;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hbrBackground = GetSysColorBrush(background);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

inline void fill(HDC dc, const RECT& r, int colour)
{
    FillRect(dc, &r, GetSysColorBrush(colour));
}

// Text in the dialog font, transparent, in a system colour.
inline void text(HDC dc, const std::string& s, RECT r, int colour, UINT format = DT_LEFT)
{
    HGDIOBJ old = SelectObject(dc, gdi::dialog_font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(colour));
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
}

inline int text_width(HWND window, const std::string& s)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, gdi::dialog_font());
    SIZE size { 0, 0 };
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

// Copies a control's text into a caller's buffer, always terminated; returns the bytes copied.
inline int copy_out(LPSTR buffer, int size, const std::string& s)
{
    if (!buffer || size <= 0)
        return 0;
    return static_cast<int>(base::copy_bounded(buffer, static_cast<std::size_t>(size), s));
}

inline void redraw(HWND window)
{
    InvalidateRect(window, nullptr, TRUE);
}

void register_trackbar();
void register_updown();
void register_tab_control();
void register_list_view();
void register_tree_view();

}
