// The default window procedure.

#include "NonClient.h"
#include "Ops.h"

#include <base/Text.h>
#include <gdi/Colors.h>
#include <gdi/Drawing.h>
#include <user/Cursor.h>
#include <user/Keyboard.h>
#include <user/Menus.h>
#include <user/Messages.h>
#include <user/NonClient.h>
#include <user/Paint.h>

using namespace user::detail;

namespace {

LRESULT set_text(HWND window, LPCSTR text)
{
    bool top = false;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return FALSE;
        w->text = text ? text : "";
        top = is_top_level(*w);
    }
    if (top)
        user::detail::desktop_changed();
    return TRUE;
}

std::string text_of(HWND window)
{
    Guard guard(lock());
    auto w = find(window);
    return w ? w->text : std::string();
}

HWND parent_of_child(HWND window)
{
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        return nullptr;
    return GetParent(window);
}

LRESULT erase_background(HWND window, HDC dc)
{
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    if (!brush || !dc)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    return 1;
}

LRESULT set_icon(HWND window, WPARAM which, HICON icon)
{
    Guard guard(lock());
    auto w = find(window);
    if (!w)
        return 0;
    HICON& slot = which == ICON_BIG ? w->icon_big : w->icon_small;
    HICON previous = slot;
    slot = icon;
    if (previous != icon && is_top_level(*w))
        display_changed();
    return reinterpret_cast<LRESULT>(previous);
}

// The system menu's commands, as the window's state allows them, at a screen point.
void system_menu(HWND window, POINT at)
{
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (!(style & WS_SYSMENU))
        return;
    bool iconic = (style & WS_MINIMIZE) != 0, zoomed = (style & WS_MAXIMIZE) != 0;
    auto state = [](bool enabled) { return MF_STRING | (enabled ? 0u : MF_GRAYED); };
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, state(iconic || zoomed), SC_RESTORE, "&Restore");
    if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
        AppendMenuA(menu, state((style & WS_MINIMIZEBOX) && !iconic), SC_MINIMIZE, "Mi&nimize");
        AppendMenuA(menu, state((style & WS_MAXIMIZEBOX) && !zoomed), SC_MAXIMIZE, "Ma&ximize");
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr));
    DestroyMenu(menu);
    if (chosen)
        SendMessageA(window, WM_SYSCOMMAND, chosen, 0);
}

void system_menu_below_icon(HWND window)
{
    RECT icon = user::caption_button(window, HTSYSMENU);
    RECT wr;
    GetWindowRect(window, &wr);
    system_menu(window, { wr.left + icon.left, wr.top + icon.bottom });
}

// A caption button's press is remembered; its release over the same button runs its command.
void press_button(HWND window, int hit)
{
    Guard guard(lock());
    if (auto w = find(window))
        w->pressed_button = hit;
}

void release_button(HWND window, int hit)
{
    int pressed = 0;
    {
        Guard guard(lock());
        auto w = find(window);
        if (!w)
            return;
        pressed = w->pressed_button;
        w->pressed_button = 0;
    }
    if (pressed != hit)
        return;
    WPARAM command = hit == HTCLOSE ? SC_CLOSE
        : hit == HTMINBUTTON        ? SC_MINIMIZE
        : IsZoomed(window)          ? SC_RESTORE
                                    : SC_MAXIMIZE;
    SendMessageA(window, WM_SYSCOMMAND, command, 0);
}

bool is_caption_button(WPARAM hit)
{
    return hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON;
}

}

LRESULT user::detail::send_help(HWND window)
{
    HELPINFO info {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(window);
    info.hItemHandle = window;
    info.dwContextId = 0;
    GetCursorPos(&info.MousePos);
    return SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_ASYNC_WINDOWPOS:
        apply_pending_pos(window);
        return 0;
    case WM_SETTEXT:
        return set_text(window, reinterpret_cast<LPCSTR>(lparam));
    case WM_GETTEXT: {
        auto buffer = reinterpret_cast<LPSTR>(lparam);
        if (!buffer || wparam == 0)
            return 0;
        return static_cast<LRESULT>(base::copy_bounded(buffer, wparam, text_of(window)));
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_of(window).size());
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
        case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(window, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(window, SW_RESTORE); return 0;
        case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); return 0;
        }
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (!pos)
            return 0;
        if (!(pos->flags & SWP_NOMOVE)) {
            RECT c;
            POINT origin { 0, 0 };
            {
                Guard guard(lock());
                if (auto w = find(window)) {
                    c = client_in_parent(*w);
                    origin = { c.left, c.top };
                }
            }
            SendMessageA(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
        if (!(pos->flags & SWP_NOSIZE)) {
            RECT client;
            GetClientRect(window, &client);
            WPARAM kind = IsIconic(window) ? SIZE_MINIMIZED : IsZoomed(window) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            SendMessageA(window, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
        }
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(window, &ps))
            EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return erase_background(window, reinterpret_cast<HDC>(wparam));
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && !HIWORD(wparam)) {
            HWND focus = GetFocus();
            if (!focus || (focus != window && !IsChild(window, focus)))
                SetFocus(window);
        }
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_MOUSEACTIVATE:
        return 1;   // MA_ACTIVATE
    // A right click (client or border), the menu key and Shift+F10 ask for a context menu: the point
    // in screen coordinates, or -1 from the keyboard.
    case WM_RBUTTONUP: {
        POINT p { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
        ClientToScreen(window, &p);
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(p.x, p.y));
        return 0;
    }
    case WM_NCRBUTTONUP:
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), lparam);
        return 0;
    case WM_KEYUP:
        if (wparam == VK_APPS)
            SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_F1 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0)
            user::detail::send_help(window);
        return 0;
    case WM_CONTEXTMENU:
    case WM_HELP:
        if (HWND parent = parent_of_child(window))
            return SendMessageA(parent, message, wparam, lparam);
        return message == WM_HELP ? TRUE : 0;
    case WM_SYSKEYDOWN:
        if (wparam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
        } else if (wparam == VK_F4 && (lparam & (1 << 29))) {
            HWND root = GetAncestor(window, GA_ROOT);
            PostMessageA(root ? root : window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (wparam == VK_SPACE && (lparam & (1 << 29))) {
            HWND root = GetAncestor(window, GA_ROOT);
            system_menu_below_icon(root ? root : window);
        } else {
            menu_bar_key(window, wparam, lparam);
        }
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_SETCURSOR: {
        // A child's parent may choose first; over the client area the class's cursor, elsewhere the arrow.
        HWND parent = GetParent(window);
        if (parent && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
            && SendMessageA(parent, WM_SETCURSOR, wparam, lparam))
            return TRUE;
        if (LOWORD(lparam) == HTCLIENT) {
            if (HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)))
                SetCursor(cursor);
        } else {
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        }
        return FALSE;
    }
    case WM_NCHITTEST:
        return user::non_client_hit(window, { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) });
    case WM_NCPAINT:
        paint_non_client(window);
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wparam == HTMENU)
            track_menu_bar(window,
                user::menu_bar_item_at(window, { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) }));
        else if (wparam == HTSYSMENU)
            system_menu_below_icon(window);
        else if (is_caption_button(wparam))
            press_button(window, static_cast<int>(wparam));
        return 0;
    case WM_NCLBUTTONUP:
        if (is_caption_button(wparam))
            release_button(window, static_cast<int>(wparam));
        return 0;
    case WM_SETICON:
        return set_icon(window, wparam, reinterpret_cast<HICON>(lparam));
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(user::window_icon(window, static_cast<int>(wparam)));
    }
    return 0;
}
