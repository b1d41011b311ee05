// The help text popup: a bordered top-level window at the requested point (kept on the screen),
// the text word-wrapped within the margins on the record's background colour. It holds the mouse
// capture, so the next click anywhere (or the loss of the capture) closes it; a new popup replaces it.
//
// Compiled help is not unpacked here: a popup text file named inside a help file
// ("x.chm::/texts.txt") is read from the same folder as the help file ("texts.txt" beside
// "x.chm"), in the text-popup format: a line ".topic <number>" starts each text.

#include "HelpPopup.h"
#include "Open.h"

#include <base/Path.h>
#include <base/Text.h>
#include <gdi/Colors.h>
#include <gdi/Gdi.h>
#include <user/Paint.h>
#include <user/SystemMetrics.h>
#include <user/Window.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace shell::detail {
namespace {

constexpr const char* kPopupClass = "HelpTextPopup";
constexpr int kTextWidth = 300;

struct Popup {
    HWND window = nullptr;
    std::string text;
    COLORREF foreground = 0;
    COLORREF background = 0;
    RECT margins {};
};

// One popup per process, used on the thread of the windows.
Popup s_popup;

void close_popup()
{
    if (HWND window = s_popup.window) {
        s_popup.window = nullptr;
        DestroyWindow(window);
    }
}

void paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(s_popup.background);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, s_popup.foreground);
    RECT text { client.left + s_popup.margins.left, client.top + s_popup.margins.top,
        client.right - s_popup.margins.right, client.bottom - s_popup.margins.bottom };
    DrawTextA(dc, s_popup.text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK);
    SelectObject(dc, old_font);
    EndPaint(window, &ps);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
        if (s_popup.window == window)
            close_popup();
        return 0;
    case WM_CAPTURECHANGED:
        if (s_popup.window == window && reinterpret_cast<HWND>(lparam) != window)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        if (s_popup.window == window)
            close_popup();
        return 0;
    case WM_DESTROY:
        if (s_popup.window == window)
            s_popup.window = nullptr;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void register_class()
{
    WNDCLASSA existing {};
    if (GetClassInfoA(nullptr, kPopupClass, &existing))
        return;
    WNDCLASSA wc {};
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = kPopupClass;
    wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
    RegisterClassA(&wc);
}

// The size the text needs within the width, margins included.
SIZE measure(const std::string& text, const RECT& margins)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT r { 0, 0, kTextWidth, 0 };
    DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old_font);
    ReleaseDC(nullptr, dc);
    return { r.right - r.left + margins.left + margins.right + 2, r.bottom - r.top + margins.top + margins.bottom + 2 };
}

}

std::string popup_text(const std::string& file, UINT id)
{
    std::size_t inside = file.find("::");
    if (inside == std::string::npos)
        return {};
    std::string help = file.substr(0, inside);
    std::string name = file.substr(inside + 2);
    while (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        name.erase(0, 1);
    if (help.empty() || name.empty() || !file_exists(help))
        return {};
    std::size_t slash = help.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? std::string() : help.substr(0, slash + 1);
    std::ifstream in(base::resolve_path(folder + name));
    std::string line, text;
    bool reading = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (base::starts_with_ignoring_case(line, ".topic")) {
            if (reading)
                break;
            char* end = nullptr;
            unsigned long number = std::strtoul(line.c_str() + 6, &end, 10);
            reading = end != line.c_str() + 6 && number == id;
            continue;
        }
        if (reading) {
            if (!text.empty())
                text += '\n';
            text += line;
        }
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

HWND show_help_popup(HWND owner, const HH_POPUP& popup, const std::string& text)
{
    close_popup();
    register_class();
    s_popup.text = text;
    s_popup.foreground = popup.clrForeground == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_INFOTEXT) : popup.clrForeground;
    s_popup.background = popup.clrBackground == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_INFOBK) : popup.clrBackground;
    s_popup.margins = popup.rcMargins;
    SIZE size = measure(text, s_popup.margins);
    int x = popup.pt.x;
    int y = popup.pt.y;
    int screen_w = GetSystemMetrics(SM_CXSCREEN);
    int screen_h = GetSystemMetrics(SM_CYSCREEN);
    if (screen_w > 0 && x + size.cx > screen_w)
        x = std::max(0, static_cast<int>(screen_w - size.cx));
    if (screen_h > 0 && y + size.cy > screen_h)
        y = std::max(0, static_cast<int>(screen_h - size.cy));
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP | WS_BORDER, x, y,
        size.cx, size.cy, owner, nullptr, nullptr, nullptr);
    if (!window)
        return nullptr;
    s_popup.window = window;
    SetWindowTextA(window, text.c_str());
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetCapture(window);
    return window;
}

HWND current_help_popup()
{
    return s_popup.window && IsWindow(s_popup.window) ? s_popup.window : nullptr;
}

void close_help_popup()
{
    close_popup();
}

}
