#include "AboutDialog.h"
#include "DialogFrames.h"

#include <user/Controls.h>
#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

user::DialogTemplate about_dialog()
{
    constexpr DWORD Centred = SS_CENTER | SS_NOPREFIX;
    user::DialogTemplate t = dialog_frame(Modal, "About Fernwick", 186, 96);
    t.controls = {
        { "STATIC", "#1003", IDC_ABOUT_ICON, SS_ICON, 0, 10, 10, 21, 20 },
        { "STATIC", "Version ", IDC_ABOUT_VERSION, Centred, 0, 36, 12, 140, 10 },
        { "STATIC", "Copyright", IDC_ABOUT_COPYRIGHT, Centred, 0, 36, 28, 140, 10 },
        { "BUTTON", "", IDC_ABOUT_LINK, BS_OWNERDRAW | WS_TABSTOP, 0, 36, 46, 140, 12 },
        { "BUTTON", "&OK", IDCANCEL, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 68, 72, 50, 14 },
    };
    return t;
}

}

void RegisterAboutDialog()
{
    static const user::DialogTemplate about = about_dialog();
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_ABOUT)))
        user::register_dialog(IDD_ABOUT, about);
}
