#pragma once

// What the program's dialog templates are written with: the frame styles and control styles they
// share, and `dialog_frame`, which gives a template its style, size and caption in one call:
//
//     user::DialogTemplate t = dialog_frame(Page, "TV", 212, 179);
//     t.controls = { { "BUTTON", "&Cable", 1412, Tab | BS_AUTORADIOBUTTON, 0, 58, 55, 51, 10 } };

#include <user/Dialogs.h>

#include <string>

namespace dialog_styles {

constexpr DWORD Page = WS_CHILD | DS_CONTROL;                           // a property page
constexpr DWORD Modal = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; // a dialog of its own
constexpr DWORD Tab = WS_TABSTOP;
constexpr DWORD Check = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD Frame = BS_GROUPBOX;
constexpr DWORD DropList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

// A template of `style`, `cx` by `cy` dialog units, with its caption and no controls yet.
inline user::DialogTemplate dialog_frame(DWORD style, std::string caption, int cx, int cy)
{
    user::DialogTemplate t;
    t.style = style;
    t.cx = cx;
    t.cy = cy;
    t.caption = std::move(caption);
    return t;
}

}
