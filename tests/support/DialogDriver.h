#pragma once

// Driving an open dialog as a user does, for the dialog tests: typing into a control (character
// by character, through its validator), keys (through the dialog's keyboard interface), a right
// click at a point in dialog units, picking a combo box item, clicking list view rows and reading
// a tree view's items.
// Everything pumps the thread's messages before it returns, so the dialog has reacted.
//
//     user::testing::set_dialog_script(400, [](const user::testing::ModalDialog& d) {
//         dialog_driver::type(d.dialog, 401, "News");
//         dialog_driver::key(d.dialog, VK_F1);
//         dialog_driver::right_click(d.dialog, 20, 30);
//     });

#include <user/CommonControls.h>
#include <user/Dialogs.h>
#include <user/Keyboard.h>
#include <user/NonClient.h>
#include <user/Testing.h>
#include <user/User.h>

#include <string>

namespace dialog_driver {

// Handles the queued messages as the modal loop does.
inline void pump(HWND dialog)
{
    user::testing::pump_dialog(dialog);
}

inline HWND item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

inline std::string text(HWND dialog, int id)
{
    char buffer[300] = {};
    GetWindowTextA(item(dialog, id), buffer, sizeof buffer);
    return buffer;
}

// Focuses the control (for a combo box with an edit field, its edit) and types the characters.
inline void type(HWND dialog, int id, const char* characters)
{
    HWND control = item(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    pump(dialog);
    HWND target = GetFocus() ? GetFocus() : control;
    for (const char* p = characters; *p; ++p)
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(*p), 1);
    pump(dialog);
}

// Replaces the control's text as a user does: select all, then type.
inline void retype(HWND dialog, int id, const char* characters)
{
    HWND control = item(dialog, id);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    pump(dialog);
    HWND target = GetFocus() ? GetFocus() : control;
    SendMessageA(target, EM_SETSEL, 0, -1);
    SendMessageA(target, WM_CHAR, 0x08, 1); // Backspace
    for (const char* p = characters; *p; ++p)
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(*p), 1);
    pump(dialog);
}

// A key pressed and released while the control (0: whatever has the focus) has the focus.
inline void key(HWND dialog, UINT vk, int focus_id = 0)
{
    if (focus_id) {
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(dialog, focus_id)), TRUE);
        pump(dialog);
    }
    user::key_input(vk, true);
    user::key_input(vk, false);
    pump(dialog);
}

// A right click at (x, y) in dialog units of the dialog's client area: the cursor moves there and
// the window under it gets the button messages.
inline void right_click(HWND dialog, int x, int y)
{
    RECT r { x, y, x, y };
    MapDialogRect(dialog, &r);
    POINT client { r.left, r.top };
    POINT screen = client;
    ClientToScreen(dialog, &screen);
    SetCursorPos(screen.x, screen.y);
    // The mouse goes to the first visible child there that does not let it through (group boxes and
    // plain statics do), else to the dialog.
    HWND target = dialog;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT cr;
        GetWindowRect(c, &cr);
        bool inside = screen.x >= cr.left && screen.x < cr.right && screen.y >= cr.top && screen.y < cr.bottom;
        if (inside && IsWindowVisible(c)
            && SendMessageA(c, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)))
                != HTTRANSPARENT) {
            target = c;
            break;
        }
    }
    POINT local = screen;
    ScreenToClient(target, &local);
    LPARAM at = MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y));
    PostMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(target, WM_RBUTTONUP, 0, at);
    pump(dialog);
}

// Picks the combo box item whose text begins with `text` as a user does (CBN_SELCHANGE follows).
inline void pick(HWND dialog, int id, const char* text)
{
    HWND combo = item(dialog, id);
    int index = static_cast<int>(SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    pump(dialog);
}

// The text of a list view cell, and the number of rows.
inline std::string cell(HWND dialog, int id, int row, int column = 0)
{
    char buffer[300] = {};
    LVITEMA item {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(dialog_driver::item(dialog, id), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

inline int rows(HWND dialog, int id)
{
    return static_cast<int>(SendMessageA(item(dialog, id), LVM_GETITEMCOUNT, 0, 0));
}

// A tree view's item next to `from` by a TVGN_ flag, and an item's text.
inline HTREEITEM tree_item(HWND tree, UINT flag, HTREEITEM from = nullptr)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
}

inline std::string tree_text(HWND tree, HTREEITEM node)
{
    char buffer[300] = {};
    TVITEMA get {};
    get.mask = TVIF_HANDLE | TVIF_TEXT;
    get.hItem = node;
    get.pszText = buffer;
    get.cchTextMax = sizeof buffer;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get));
    return buffer;
}

// Clicks a row of a list view (Ctrl held adds it to the selection).
inline void click_row(HWND dialog, int id, int row, bool control = false)
{
    HWND list = item(dialog, id);
    RECT r {};
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM(r.left + 5, r.top + 3);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | (control ? MK_CONTROL : 0), at);
    SendMessageA(list, WM_LBUTTONUP, control ? MK_CONTROL : 0, at);
    pump(dialog);
}

// Clicks the heading of a list view column (x: a point inside it, in pixels).
inline void click_heading(HWND dialog, int id, int x)
{
    HWND list = item(dialog, id);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, 5));
    pump(dialog);
}

}
