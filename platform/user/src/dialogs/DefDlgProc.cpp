// The default dialog procedure: calls the dialog's own procedure first, then gives the dialog
// behaviour (default button, focus memory, WM_CLOSE as Cancel, WM_NEXTDLGCTL).

#include "DialogState.h"

#include <user/Keyboard.h>

using namespace user::detail;

namespace {

// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool returns_directly(UINT message)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case 0x0039:   // WM_COMPAREITEM
    case 0x002E:   // WM_VKEYTOITEM
    case 0x002F:   // WM_CHARTOITEM
    case 0x0037:   // WM_QUERYDRAGICON
        return true;
    }
    return false;
}

void focus_control(HWND dialog, HWND control)
{
    if (!control)
        return;
    SetFocus(control);
    update_dialog(dialog, [&](DialogState& s) { s.last_focus = control; });
}

HWND remembered_focus(HWND dialog)
{
    DialogState s;
    if (dialog_state(dialog, s) && s.last_focus && IsWindow(s.last_focus) && IsChild(dialog, s.last_focus))
        return s.last_focus;
    return GetNextDlgTabItem(dialog, nullptr, FALSE);
}

}

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    DialogState state;
    bool known = dialog_state(dialog, state);
    if (known && state.proc) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = state.proc(dialog, message, wparam, lparam);
        if (message == WM_NCDESTROY) {
            forget_dialog(dialog);
            return DefWindowProcA(dialog, message, wparam, lparam);
        }
        if (handled)
            return returns_directly(message) ? handled : GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
        if (message == WM_INITDIALOG)
            return 0;
    }
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NCDESTROY:
        forget_dialog(dialog);
        break;
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case DM_GETDEFID:
        return known && state.default_id ? MAKELONG(state.default_id, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        update_dialog(dialog, [&](DialogState& s) { s.default_id = static_cast<int>(wparam); });
        return TRUE;
    case WM_NEXTDLGCTL: {
        HWND target = lparam ? reinterpret_cast<HWND>(wparam) : GetNextDlgTabItem(dialog, GetFocus(), wparam != 0);
        if (target && IsChild(dialog, target))
            focus_control(dialog, target);
        return 0;
    }
    case WM_SETFOCUS:
        focus_control(dialog, remembered_focus(dialog));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(dialog, focus))
                update_dialog(dialog, [&](DialogState& s) { s.last_focus = focus; });
        } else {
            focus_control(dialog, remembered_focus(dialog));
        }
        return 0;
    case WM_SETFONT:
        update_dialog(dialog, [&](DialogState& s) { s.font = reinterpret_cast<HFONT>(wparam); });
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state.font);
    }
    return DefWindowProcA(dialog, message, wparam, lparam);
}
