#pragma once

// What every standard control shares: its state object hung on the window's first extra bytes,
// the font it draws with, notifying the parent, and painting through a DC with that font.
//
// Each control's procedure starts with state<T>(window, message, lparam), which creates the state
// on WM_NCCREATE and deletes it on WM_NCDESTROY, then gives common() the messages all of them
// answer alike (WM_SETFONT, WM_GETFONT, WM_ENABLE).

#include <user/Controls.h>
#include <user/Paint.h>
#include <gdi/Gdi.h>

#include <string>

namespace user::controls {

struct Base {
    virtual ~Base() = default;
    HFONT font = nullptr;
    HWND listener = nullptr;   // gets the notifications instead of the parent (a combo box's list)
};

Base* base_state(HWND window, UINT message, Base* (*make)());

template<class T>
T* state(HWND window, UINT message)
{
    return static_cast<T*>(base_state(window, message, []() -> Base* { return new T; }));
}

// Handles WM_SETFONT, WM_GETFONT and WM_ENABLE; true when the message was one of them.
bool common(HWND window, Base& base, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

// The control's font (the dialog font unless WM_SETFONT gave another).
HFONT font_of(const Base& base);
// The state of a window of one of these classes, or null.
Base* base_of(HWND window);
// WM_COMMAND to the parent (or listener): MAKEWPARAM(id, code), the control's handle.
void notify(HWND window, int code);
// The brush the parent chooses through WM_CTLCOLORxxx, or the system brush of `fallback`.
HBRUSH parent_brush(HWND window, HDC hdc, UINT ctlcolor, int fallback);
// Whether the point (client coordinates in lparam) lies in the client area.
bool inside(HWND window, LPARAM lparam);
// The height of a text line in the control's font.
int line_height(const Base& base);
inline RECT inset(RECT r, int by) { return { r.left + by, r.top + by, r.right - by, r.bottom - by }; }
inline RECT shifted(RECT r, int dx, int dy) { return { r.left + dx, r.top + dy, r.right + dx, r.bottom + dy }; }
inline int mouse_x(LPARAM lparam) { return static_cast<short>(LOWORD(lparam)); }
inline int mouse_y(LPARAM lparam) { return static_cast<short>(HIWORD(lparam)); }
// Case-insensitive comparisons of item texts.
bool same_text(const std::string& a, const std::string& b);
bool has_prefix(const std::string& text, const std::string& prefix);

// A DC from BeginPaint with the control's font selected, ended on destruction.
class Painter {
public:
    Painter(HWND window, const Base& base);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    HDC dc() const { return m_paint.hdc; }
    RECT client() const { return m_client; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint {};
    HGDIOBJ m_old_font = nullptr;
    RECT m_client {};
};

// A scroll bar drawn into r with the state of info, for windows that draw their own bar; and the
// line or page code of a click at p on it (-1 for the thumb or nothing).
void draw_scroll_bar(HDC dc, RECT r, bool vertical, const SCROLLINFO& info, bool enabled);
int scroll_code_at(RECT r, bool vertical, const SCROLLINFO& info, POINT p);

// The procedures, registered by register_standard_classes.
LRESULT CALLBACK button_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK static_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK edit_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK listbox_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK combobox_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK combolist_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK scrollbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Registers the control classes once; the class look-up calls it before its first search.
void register_standard_classes();

}
