// The dialog keyboard interface: Tab and Shift+Tab move the focus through the WS_TABSTOP controls
// (those of a child dialog included), Enter presses the default (or focused) push button, Escape
// presses Cancel, F1 asks for help about the focused control (WM_HELP, which reaches the dialog through the control's default procedure).

#include "DialogState.h"
#include "../Ops.h"

#include <user/Keyboard.h>

#include <vector>

namespace {

// The dialog's controls in Tab order: its children in z-order, a visible and enabled child that
// holds controls of its own (WS_EX_CONTROLPARENT, as a property sheet's page) followed at once by
// its own, in the same order.
void tab_order(HWND parent, std::vector<HWND>& out)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(c);
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if ((GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            tab_order(c, out);
    }
}

bool is_tab_stop(HWND control)
{
    LONG style = GetWindowLongA(control, GWL_STYLE);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)
        && !(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
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
    std::vector<HWND> all;
    tab_order(dialog, all);
    std::vector<HWND> stops;
    for (HWND c : all)
        if (is_tab_stop(c))
            stops.push_back(c);
    if (stops.empty())
        return control;
    // The listed window that holds the control (a combo box's own edit stands for the combo box).
    std::size_t at = all.size();
    for (HWND w = control; w && w != dialog && at == all.size(); w = GetParent(w))
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i] == w)
                at = i;
    if (at == all.size())
        return previous ? stops.back() : stops.front();
    // Walk the order from the control, wrapping round, to the next tab stop.
    std::size_t n = all.size();
    for (std::size_t step = 1; step <= n; ++step) {
        HWND c = all[previous ? (at + n - step) % n : (at + step) % n];
        if (is_tab_stop(c))
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
                // A focused push button (of a child dialog too) is pressed in its own dialog.
                HWND focus = innermost_control_of(dialog, GetFocus());
                UINT focus_code = focus ? static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, 0, 0)) : 0;
                if (focus && (focus_code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
                    press(GetParent(focus), GetDlgCtrlID(focus));
                    return TRUE;
                }
                int id = IDOK;
                LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
                if (HIWORD(def) == DC_HASDEFID)
                    id = LOWORD(def);
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
