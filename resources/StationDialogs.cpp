#include "StationDialogs.h"
#include "DialogFrames.h"

#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

user::DialogTemplate stations_page()
{
    user::DialogTemplate t = dialog_frame(Page, "Stations", 212, 173);
    t.controls = {
        { "STATIC", "&Stations", 1707, SS_LEFT, 0, 27, 11, 160, 10 },
        { "LISTBOX", "", 1701, Tab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 0, 39, 19, 158, 96 },
        { "BUTTON", "&New station", 1702, Tab, 0, 15, 151, 57, 14 },
        { "BUTTON", "&Edit", 1706, Tab, 0, 77, 151, 57, 14 },
        { "BUTTON", "De&lete", 1703, Tab, 0, 139, 151, 57, 14 },
        { "BUTTON", "Move &Up", 1704, Tab, 0, 77, 130, 57, 14 },
        { "BUTTON", "Move &Down", 1705, Tab, 0, 139, 130, 57, 14 },
        { "BUTTON", "&Only surf defined stations", 101, BS_AUTOCHECKBOX | Tab, 0, 55, 112, 136, 10 },
    };
    return t;
}

user::DialogTemplate station_editor()
{
    user::DialogControl combo { "COMBOBOX", "ComboBox1", 708, CBS_DROPDOWNLIST | WS_VSCROLL | Tab, 0, 133, 41, 63, 59 };
    combo.hidden = true;
    user::DialogControl mode { "STATIC", "Tuning mode", 711, SS_LEFT, 0, 62, 43, 66, 14 };
    mode.hidden = true;
    user::DialogControl preset { "BUTTON", "Add to Preset bar", 710, BS_CHECKBOX | Tab, 0, 57, 132, 131, 10 };
    preset.hidden = true;
    user::DialogTemplate t = dialog_frame(Modal | DS_CONTEXTHELP, "Station", 240, 180);
    t.controls = {
        { "STATIC", "Index", 706, SS_RIGHT, 0, 13, 24, 116, 10 },
        { "STATIC", "", 705, SS_CENTER | SS_SUNKEN, 0, 137, 24, 42, 10 },
        { "STATIC", "&Channel", 702, SS_RIGHT, 0, 14, 78, 116, 10 },
        { "EDIT", "", 701, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 135, 77, 70, 12 },
        { "STATIC", "Station &Name (call-sign)", 704, SS_RIGHT, 0, 13, 108, 116, 10 },
        { "EDIT", "", 703, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 135, 106, 70, 12 },
        { "BUTTON", "OK", IDOK, Tab | BS_DEFPUSHBUTTON, 0, 13, 160, 50, 14 },
        { "BUTTON", "&Delete", 707, Tab, 0, 69, 160, 50, 14 },
        { "BUTTON", "Cancel", IDCANCEL, Tab, 0, 125, 160, 50, 14 },
        { "BUTTON", "&Help", 9, Tab, 0, 181, 160, 50, 14 },
        combo,
        mode,
        preset,
    };
    return t;
}

}

void RegisterStationDialogs()
{
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_SET_STATION)))
        user::register_dialog(IDD_SET_STATION, stations_page());
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_STATION)))
        user::register_dialog(IDD_STATION, station_editor());
}
