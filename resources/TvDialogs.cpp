#include "TvDialogs.h"
#include "DialogFrames.h"

#include <user/Controls.h>
#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

constexpr DWORD Radio = BS_AUTORADIOBUTTON;

user::DialogTemplate tv_page()
{
    user::DialogTemplate t = dialog_frame(Page, "TV", 212, 179);
    t.controls = {
        { "STATIC", "TV &Tuner device", 1409, SS_LEFT, 0, 27, 6, 160, 10 },
        { "COMBOBOX", "", 1401, CBS_DROPDOWNLIST | WS_VSCROLL | Tab, 0, 39, 15, 158, 59 },
        { "BUTTON", "&Input Type", 1417, Frame, 0, 39, 33, 76, 35 },
        { "BUTTON", "&Antenna", 1411, Radio | WS_GROUP | Tab, 0, 58, 43, 50, 10 },
        { "BUTTON", "&Cable", 1412, Radio, 0, 58, 55, 51, 10 },
        { "BUTTON", "Advanced...", 1413, Tab | WS_GROUP, 0, 127, 36, 65, 14 },
        { "STATIC", "Country code", 1415, SS_RIGHT, 0, 18, 76, 62, 10 },
        { "EDIT", "", 1414, Tab | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 0, 83, 74, 38, 12 },
        { "STATIC", "(-1 for default)", 1416, SS_LEFT, 0, 127, 76, 66, 10 },
        { "BUTTON", "&Shrink window while no video", 1403, Check, 0, 39, 92, 170, 10 },
        { "BUTTON", "Keep correct screen aspect &ratio", 1402, Check, 0, 39, 109, 164, 10 },
        { "BUTTON", "On program &start", 1408, Frame, 0, 39, 126, 137, 50 },
        { "BUTTON", "TV O&n", 1405, Radio | WS_GROUP | Tab, 0, 58, 137, 106, 9 },
        { "BUTTON", "TV O&ff", 1406, Radio, 0, 58, 149, 108, 9 },
        { "BUTTON", "&Remember last state", 1407, Radio, 0, 58, 161, 108, 9 },
    };
    return t;
}

user::DialogTemplate advanced_dialog()
{
    user::DialogTemplate t = dialog_frame(Modal | DS_CONTEXTHELP, "TV Tuner Advanced Properties", 240, 188);
    t.controls = {
        { "STATIC", "If TV is not on, then settings may not show changes made by Orbivane.", 1470, SS_LEFT, 0, 35, 4, 166, 18 },
        { "STATIC", "Tuner Device", 1459, SS_RIGHT, 0, 8, 32, 80, 10 },
        { "STATIC", "?", 1460, SS_LEFT | SS_SUNKEN, 0, 93, 30, 133, 24 },
    };
    // The other read-outs, one a row under the device.
    struct Row {
        int label;
        const char* text;
        int readout;
    };
    const Row rows[] = {
        { 1451, "Country Code", 1452 },
        { 1453, "Video frequency", 1454 },
        { 1468, "Audio frequency", 1469 },
        { 1462, "Channel", 1463 },
        { 1457, "Tuning format", 1458 },
        { 1464, "Input", 1465 },
        { 1466, "Input type", 1467 },
    };
    int y = 60;
    for (const Row& row : rows) {
        t.controls.push_back({ "STATIC", row.text, row.label, SS_RIGHT, 0, 8, y + 1, 80, 10 });
        t.controls.push_back({ "STATIC", "?", row.readout, SS_LEFT | SS_SUNKEN, 0, 93, y, 133, 12 });
        y += 15;
    }
    t.controls.push_back({ "BUTTON", "OK", IDOK, Tab | BS_DEFPUSHBUTTON, 0, 105, 171, 50, 14 });
    return t;
}

}

void RegisterTvDialogs()
{
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_SET_TV)))
        user::register_dialog(IDD_SET_TV, tv_page());
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_TV_ADVANCED)))
        user::register_dialog(IDD_TV_ADVANCED, advanced_dialog());
}
