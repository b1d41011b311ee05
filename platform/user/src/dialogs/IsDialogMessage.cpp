// The dialog keyboard interface: Tab and Shift+Tab move the focus through the WS_TABSTOP controls,
// Enter presses the default (or focused) push button, Escape presses Cancel, F1 asks for help about
// the focused control (WM_HELP, which reaches the dialog through the control's default procedure).

#include "DialogState.h"
#include "../Ops.h"

#include <user/Keyboard.h>

#include <vector>

namespace {

std::vector<HWND> tab_stops(HWND dialog)
{
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            out.push_back(c);
    }
    return out;
}

// The control of the dialog that holds `window` (the window itself or one of its ancestors).
HWND control_of(HWND dialog, HWND window)
{
    while (window && GetParent(window) != dialog)
        window = GetParent(window);
    return window;
}

// The control that holds `window` in the innermost dialog nested in `dialog` (a child dialog, as
// a property sheet's page, passes through to its own controls).
HWND innermost_control_of(HWND dialog, HWND window)
{
    HWND control = control_of(dialog, window);
    while (control && control != window && user::detail::is_dialog(control))
        control = control_of(control, window);
    return control;
}

void press(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control && !IsWindowEnabled(control))
        return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(control));
}

}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    auto stops = tab_stops(dialog);
    if (stops.empty())
        return control;
    std::vector<HWND> all;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        all.push_back(c);
    HWND from = control_of(dialog, control);
    std::size_t at = all.size();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == from)
            at = i;
    if (at == all.size())
        return previous ? stops.back() : stops.front();
    // Walk the z-order from the control, wrapping round, to the next tab stop.
    std::size_t n = all.size();
    for (std::size_t step = 1; step <= n; ++step) {
        HWND c = all[previous ? (at + n - step) % n : (at + step) % n];
        for (HWND s : stops)
            if (s == c)
                return c;
    }
    return control;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg)
{
    if (!msg || !dialog || !IsWindow(dialog))
        return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))
        return FALSE;
    if (msg->message == WM_KEYDOWN) {
        UINT code = static_cast<UINT>(SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
        if (!(code & DLGC_WANTALLKEYS)) {
            switch (msg->wParam) {
            case VK_TAB:
                if (code & DLGC_WANTTAB)
                    break;
                if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), GetKeyState(VK_SHIFT) < 0))
                    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
                return TRUE;
            case VK_RETURN: {
                int id = IDOK;
                HWND focus = control_of(dialog, GetFocus());
                UINT focus_code = focus ? static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, 0, 0)) : 0;
                if (focus && (focus_code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
                    id = GetDlgCtrlID(focus);
                else {
                    LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
                    if (HIWORD(def) == DC_HASDEFID)
                        id = LOWORD(def);
                }
                press(dialog, id);
                return TRUE;
            }
            case VK_ESCAPE:
                press(dialog, IDCANCEL);
                return TRUE;
            case VK_F1:
                if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0)
                    break;
                if (HWND focus = innermost_control_of(dialog, GetFocus()))
                    user::detail::send_help(focus);
                else
                    user::detail::send_help(dialog);
                return TRUE;
            }
        }
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}
