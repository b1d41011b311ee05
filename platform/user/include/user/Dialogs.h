#pragma once

// Dialog boxes built from templates the program registers, modeless and modal, with the default
// dialog procedure's keyboard interface and the dialog-item helpers.
//
// A template gives the dialog's frame and its controls in dialog units; a unit is a quarter of the
// horizontal and an eighth of the vertical dialog base unit, fixed at 6 x 13 pixels (gdi/Fonts.h),
// so the layout is the same everywhere. The dialog's rectangle in the template is its client area;
// controls are placed in client coordinates and created in template order (which is the z-order
// and the Tab order).
//
//     user::DialogTemplate t;
//     t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
//     t.cx = 200; t.cy = 80; t.caption = "Name";
//     t.controls = { { "EDIT", "", 101, WS_TABSTOP | WS_BORDER, 0, 10, 10, 120, 12 },
//                    { "BUTTON", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 140, 60, 50, 14 } };
//     user::register_dialog(300, t);
//     INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(300), owner, NameProc, 0);
//
// DialogBoxParamA disables the owner, runs its own message loop (dispatching every message of the
// thread; IsDialogMessageA handles the dialog's keys) until EndDialog, then enables the owner,
// destroys the dialog and returns EndDialog's result. Tests script modal dialogs through
// user/Testing.h.

#include <user/Controls.h>
#include <user/MessageBox.h>
#include <user/Window.h>

#include <functional>
#include <string>
#include <vector>

using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Dialog styles.
#define DS_ABSALIGN 0x01u
#define DS_SYSMODAL 0x02u
#define DS_LOCALEDIT 0x20u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define DS_NOIDLEMSG 0x100u
#define DS_SETFOREGROUND 0x200u
#define DS_3DLOOK 0x0004u
#define DS_FIXEDSYS 0x0008u
#define DS_NOFAILCREATE 0x0010u
#define DS_CONTROL 0x0400u
#define DS_CENTER 0x0800u
#define DS_CENTERMOUSE 0x1000u
#define DS_CONTEXTHELP 0x2000u

// The dialog window's extra bytes: the message result, the dialog procedure, a user slot.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT)))
#define DWLP_USER (DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC)))
#define DWL_MSGRESULT DWLP_MSGRESULT
#define DWL_DLGPROC DWLP_DLGPROC
#define DWL_USER DWLP_USER
#define DLGWINDOWEXTRA (DWLP_USER + static_cast<int>(sizeof(LONG_PTR)))

// The dialog class.
#define WC_DIALOG (MAKEINTATOM(0x8002))

// Dialog messages.
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B
#define WM_NEXTDLGCTL 0x0028

namespace user {

// One control of a template; position and size in dialog units. WS_CHILD and WS_VISIBLE are
// added unless the style says WS_POPUP; give WS_VISIBLE-less controls `hidden = true`.
struct DialogControl {
    std::string class_name;
    std::string text;
    int id = 0;
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool hidden = false;
};

// A dialog: frame style, client rectangle in dialog units, caption, font and controls.
struct DialogTemplate {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DWORD ex_style = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string caption;
    int font_size = 8;    // points; the controls get the dialog font (WM_SETFONT) when non-zero
    std::string font_face = "MS Shell Dlg";
    std::vector<DialogControl> controls;
};

// Registers (or replaces) the template of a resource id or name; names match without regard to case.
void register_dialog(UINT id, DialogTemplate dialog_template);
void register_dialog(const char* name, DialogTemplate dialog_template);
// The template registered under a MAKEINTRESOURCE id or a name; null when there is none.
const DialogTemplate* find_dialog(LPCSTR name);
// The template id (or 0 for a named one) a dialog was created from.
UINT dialog_template_id(HWND dialog);
// While the dialog runs modally, its loop offers each message to `filter` first; a message the
// filter takes (true) is not dispatched. False when the window is not a dialog.
bool set_dialog_message_filter(HWND dialog, std::function<bool(MSG&)> filter);

}

// Modeless: the dialog gets WM_INITDIALOG (lParam = param) and is shown if the template says
// WS_VISIBLE. NULL (ERROR_RESOURCE_NAME_NOT_FOUND, 1814) for an unknown template.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param);
inline HWND CreateDialogA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc)
{
    return CreateDialogParamA(instance, template_name, owner, proc, 0);
}
// Modal; -1 when the dialog could not be created.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param);
inline INT_PTR DialogBoxA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc)
{
    return DialogBoxParamA(instance, template_name, owner, proc, 0);
}
// Ends a modal dialog with the result (DialogBoxParamA returns it); hides a modeless one.
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Handles Tab, Shift+Tab, Enter, Escape and F1 (WM_HELP) for the dialog; TRUE when the message was the dialog's.
BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
// The next (or previous) WS_TABSTOP control after `control`, wrapping round; skips hidden and disabled
// ones. The controls of a visible child holding controls (WS_EX_CONTROLPARENT: a child dialog such
// as a property page) take that child's place in the order.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// Dialog units to pixels.
BOOL MapDialogRect(HWND dialog, LPRECT rect);

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed);
// The item's text as a number; *translated is FALSE for no number, junk after it, or overflow.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
