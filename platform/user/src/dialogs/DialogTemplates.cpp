// The registry of dialog templates and the creation of dialogs from them.

#include "DialogState.h"
#include "../State.h"

#include <base/Errors.h>
#include <base/Text.h>
#include <gdi/Colors.h>
#include <gdi/Fonts.h>
#include <user/SystemMetrics.h>

#include <algorithm>
#include <map>

using namespace user::detail;

namespace {

std::map<UINT, user::DialogTemplate>& by_id()
{
    static std::map<UINT, user::DialogTemplate> table;
    return table;
}

std::map<std::string, user::DialogTemplate>& by_name()
{
    static std::map<std::string, user::DialogTemplate> table;
    return table;
}

std::map<HWND, DialogState>& dialogs()
{
    static std::map<HWND, DialogState> table;
    return table;
}

const char* kDialogClass = "#32770";

void ensure_dialog_class()
{
    WNDCLASSA wc {};
    if (GetClassInfoA(nullptr, kDialogClass, &wc))
        return;
    wc.style = CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kDialogClass;
    RegisterClassA(&wc);
}

int px(int units) { return gdi::dialog_units_to_pixels_x(units); }
int py(int units) { return gdi::dialog_units_to_pixels_y(units); }

}

namespace user {

void register_dialog(UINT id, DialogTemplate dialog_template)
{
    Guard guard(lock());
    by_id()[id] = std::move(dialog_template);
}

void register_dialog(const char* name, DialogTemplate dialog_template)
{
    Guard guard(lock());
    by_name()[base::folded_ascii(name ? name : "")] = std::move(dialog_template);
}

const DialogTemplate* find_dialog(LPCSTR name)
{
    Guard guard(lock());
    if (IS_INTRESOURCE(name)) {
        auto it = by_id().find(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
        return it == by_id().end() ? nullptr : &it->second;
    }
    auto it = by_name().find(base::folded_ascii(name ? name : ""));
    return it == by_name().end() ? nullptr : &it->second;
}

UINT dialog_template_id(HWND dialog)
{
    DialogState s;
    return dialog_state(dialog, s) ? s.template_id : 0;
}

}

namespace user::detail {

bool dialog_state(HWND dialog, DialogState& out)
{
    Guard guard(lock());
    auto it = dialogs().find(dialog);
    if (it == dialogs().end())
        return false;
    out = it->second;
    return true;
}

bool update_dialog_with(HWND dialog, void (*change)(DialogState&, void*), void* context)
{
    Guard guard(lock());
    auto it = dialogs().find(dialog);
    if (it == dialogs().end())
        return false;
    change(it->second, context);
    return true;
}

void forget_dialog(HWND dialog)
{
    Guard guard(lock());
    dialogs().erase(dialog);
}

bool is_dialog(HWND window)
{
    Guard guard(lock());
    return dialogs().count(window) != 0;
}

HWND create_dialog(LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param, bool modal)
{
    user::DialogTemplate t;
    {
        Guard guard(lock());
        const user::DialogTemplate* found = user::find_dialog(template_name);
        if (!found) {
            SetLastError(gdi::kErrorResourceNameNotFound);
            return nullptr;
        }
        t = *found;
    }
    ensure_dialog_class();

    DWORD style = t.style & ~WS_VISIBLE;
    DWORD ex_style = t.ex_style;
    if (t.style & DS_MODALFRAME)
        ex_style |= WS_EX_DLGMODALFRAME;
    if (t.style & DS_CONTROL) {
        style = (style & ~(WS_CAPTION | WS_SYSMENU | WS_POPUP)) | WS_CHILD;
        ex_style |= WS_EX_CONTROLPARENT;
    }
    RECT frame { 0, 0, px(t.cx), py(t.cy) };
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    POINT at { px(t.x), py(t.y) };
    if (style & WS_CHILD) {
        // A child dialog's template position is in its parent's client area already.
    } else if (t.style & DS_CENTER) {
        at = { (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2 };
    } else {
        if (owner && !(t.style & DS_ABSALIGN))
            ClientToScreen(owner, &at);
        at.x += frame.left;
        at.y += frame.top;
    }

    HWND dialog = CreateWindowExA(ex_style, kDialogClass, t.caption.c_str(), style, at.x, at.y, width, height, owner,
        nullptr, nullptr, nullptr);
    if (!dialog)
        return nullptr;
    {
        Guard guard(lock());
        DialogState& s = dialogs()[dialog];
        s.proc = proc;
        s.modal = modal;
        if (IS_INTRESOURCE(template_name))
            s.template_id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(template_name));
        else
            s.template_name = template_name;
    }
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));

    HFONT font = t.font_size ? gdi::dialog_font() : nullptr;
    if (font)
        SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const auto& c : t.controls) {
        DWORD cstyle = c.style;
        if (!(cstyle & WS_POPUP))
            cstyle |= WS_CHILD | (c.hidden ? 0 : WS_VISIBLE);
        HWND control = CreateWindowExA(c.ex_style, c.class_name.c_str(), c.text.c_str(), cstyle, px(c.x), py(c.y),
            px(c.cx), py(c.cy), dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
        if (!control) {
            if (t.style & DS_NOFAILCREATE)
                continue;
            DestroyWindow(dialog);
            return nullptr;
        }
        // Template order is z-order, so it is also the Tab order.
        SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        if (font)
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    LRESULT focus = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    if (!IsWindow(dialog))
        return nullptr;
    if (focus && first && IsWindow(first))
        SetFocus(first);
    if ((t.style & WS_VISIBLE) || modal) {
        DialogState s;
        if (!(dialog_state(dialog, s) && s.ended))
            ShowWindow(dialog, SW_SHOW);
    }
    return dialog;
}

}

HWND CreateDialogParamA(HINSTANCE, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param)
{
    return create_dialog(template_name, owner, proc, param, false);
}

BOOL MapDialogRect(HWND dialog, LPRECT rect)
{
    if (!rect || !IsWindow(dialog))
        return FALSE;
    rect->left = px(rect->left);
    rect->right = px(rect->right);
    rect->top = py(rect->top);
    rect->bottom = py(rect->bottom);
    return TRUE;
}
