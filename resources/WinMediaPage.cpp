#include "WinMediaPage.h"
#include "DialogFrames.h"

#include <user/Controls.h>
#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

constexpr DWORD Description = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | Tab;

user::DialogTemplate winmedia_page()
{
    user::DialogTemplate t = dialog_frame(Page, "WinMedia", 212, 173);
    t.controls = {
        { "BUTTON", "&Use Windows Media as default recording format", 2213, BS_AUTOCHECKBOX | Tab, 0, 7, 1, 186, 12 },
        { "STATIC", "&Video+audio default profile for Windows Media compression", 2202, SS_LEFT, 0, 8, 16, 185, 10 },
        { "COMBOBOX", "", 2201, DropList, 0, 15, 25, 192, 106 },
        { "EDIT", "", 2203, Description, 0, 25, 40, 183, 46 },
        { "STATIC", "&Audio default profile for Windows Media compression", 2207, SS_LEFT, 0, 8, 90, 185, 10 },
        { "COMBOBOX", "", 2206, DropList, 0, 15, 100, 192, 106 },
        { "EDIT", "", 2208, Description, 0, 25, 115, 183, 39 },
        { "BUTTON", "Manage &Profiles", 2212, Tab, 0, 15, 156, 104, 14 },
    };
    return t;
}

}

void RegisterWinMediaPage()
{
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_SET_WMENC)))
        user::register_dialog(IDD_SET_WMENC, winmedia_page());
}
