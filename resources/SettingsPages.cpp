#include "SettingsPages.h"
#include "DialogFrames.h"

#include <user/CommonControls.h>
#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

constexpr DWORD Sunken = SS_SUNKEN;

user::DialogTemplate page(const char* caption, int cx, int cy, std::vector<user::DialogControl> controls)
{
    user::DialogTemplate t = dialog_frame(Page, caption, cx, cy);
    t.controls = std::move(controls);
    return t;
}

user::DialogTemplate general_page()
{
    user::DialogControl hide { "BUTTON", "&Hide from taskbar", 306, Check | WS_DISABLED, 0, 14, 84, 130, 10 };
    hide.hidden = true;
    return page("General", 160, 124, {
        { "BUTTON", "&Launch program at system boot", 305, Check, 0, 14, 12, 130, 10 },
        { "BUTTON", "&Minimize at boot-launch", 301, Check, 0, 14, 30, 130, 10 },
        { "BUTTON", "&Always on top", 302, Check, 0, 14, 48, 130, 10 },
        { "BUTTON", "Taskbar &tray icon", 303, Check, 0, 14, 66, 130, 10 },
        hide,
    });
}

user::DialogTemplate file_page()
{
    return page("File", 230, 170, {
        { "BUTTON", "Directory", -1, Frame, 0, 6, 4, 218, 46 },
        { "STATIC", "Default path", 1301, SS_LEFT, 0, 14, 16, 80, 10 },
        { "BUTTON", "&Browse...", 1302, Tab, 0, 166, 13, 50, 14 },
        { "STATIC", "", 1308, Sunken | SS_LEFT, 0, 14, 32, 202, 12 },
        { "BUTTON", "Names", -1, Frame, 0, 6, 54, 218, 46 },
        { "STATIC", "File name pattern:", 1312, SS_LEFT, 0, 14, 66, 80, 10 },
        { "BUTTON", "Edit...", 1310, Tab, 0, 166, 63, 50, 14 },
        { "STATIC", "foo.mp3", 1311, Sunken | SS_CENTER, 0, 14, 82, 202, 12 },
        { "BUTTON", "Size", -1, Frame, 0, 6, 104, 218, 60 },
        { "STATIC", "Recording file size &limit", 1303, SS_LEFT, 0, 14, 118, 96, 10 },
        { "EDIT", "", 1304, Tab | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 0, 112, 116, 40, 12 },
        { UPDOWN_CLASSA, "", 1305, UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 152, 116, 10, 12 },
        { "STATIC", "MB", 1306, SS_LEFT, 0, 166, 118, 20, 10 },
        { "STATIC", "Total recording time at default sample rate", 1309, SS_LEFT, 0, 14, 136, 96, 20 },
        { "STATIC", "", 1307, Sunken | SS_LEFT, 0, 112, 138, 104, 12 },
    });
}

user::DialogTemplate avi_page()
{
    user::DialogControl rate_label { "STATIC", "Default &Frame rate", 2104, SS_LEFT, 0, 14, 100, 80, 10 };
    rate_label.hidden = true;
    user::DialogControl rate { "EDIT", "", 2103, Tab | WS_BORDER, 0, 100, 98, 40, 12 };
    rate.hidden = true;
    return page("AVI/WAV", 230, 170, {
        { "BUTTON", "&Use AVI/WAV as default recording format", 2105, Check, 0, 14, 10, 200, 10 },
        { "STATIC", "&Video compression", 2102, SS_LEFT, 0, 14, 30, 200, 10 },
        { "COMBOBOX", "&Video Compression Codec", 2101, DropList, 0, 14, 42, 200, 80 },
        rate_label,
        rate,
        { "STATIC", "&Audio compression", 2107, SS_LEFT, 0, 14, 62, 200, 10 },
        { "COMBOBOX", "&Audio Compression Codec", 2106, DropList, 0, 14, 74, 200, 80 },
    });
}

user::DialogTemplate sound_page()
{
    return page("Sound device", 230, 170, {
        { "STATIC", "Sound &input device", 2307, SS_LEFT, 0, 14, 10, 200, 10 },
        { "COMBOBOX", "", 2306, DropList | CBS_SORT, 0, 14, 22, 200, 80 },
        { "STATIC", "Sound &output device", 2309, SS_LEFT, 0, 14, 42, 200, 10 },
        { "COMBOBOX", "", 2308, DropList | CBS_SORT, 0, 14, 54, 200, 80 },
        { "BUTTON", "This program may alter sound device &mixer settings.", 2301, Check, 0, 14, 76, 200, 10 },
        { "STATIC", "&Tuner is &connected to this sound card input", 2304, SS_LEFT, 0, 14, 94, 200, 10 },
        { "COMBOBOX", "", 2303, DropList | CBS_SORT, 0, 14, 106, 200, 80 },
        { "BUTTON", "Stream audio input to output device", 2313, Check, 0, 14, 128, 200, 10 },
    });
}

user::DialogTemplate pattern_dialog()
{
    user::DialogTemplate t = dialog_frame(Modal | DS_CONTEXTHELP, "File name pattern", 240, 150);
    t.controls = {
        { "STATIC", "&File name pattern (with date/time abbreviation, no extension)", 4202, SS_LEFT, 0, 8, 8, 224, 10 },
        { "EDIT", "rec", 4201, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 8, 20, 224, 12 },
        { "STATIC", "rec", 4203, Sunken | SS_CENTER, 0, 8, 38, 224, 12 },
        { "COMBOBOX", "", 4205, DropList, 0, 8, 56, 160, 120 },
        { "BUTTON", "&Insert code", 4204, Tab, 0, 174, 55, 58, 14 },
        { "BUTTON", "Instance", -1, Frame, 0, 8, 76, 224, 44 },
        { "BUTTON", "&Always append filename instance number ( _1 )", 4207, BS_AUTORADIOBUTTON | WS_GROUP | Tab, 0, 16, 88, 210, 10 },
        { "BUTTON", "&Only append instance number when required.", 4209, BS_AUTORADIOBUTTON, 0, 16, 104, 210, 10 },
        { "BUTTON", "OK", IDOK, Tab | BS_DEFPUSHBUTTON | WS_GROUP, 0, 128, 130, 50, 14 },
        { "BUTTON", "Cancel", IDCANCEL, Tab, 0, 182, 130, 50, 14 },
    };
    return t;
}

}

void RegisterSettingsPages()
{
    struct Entry {
        UINT id;
        user::DialogTemplate (*make)();
    };
    static const Entry entries[] = {
        { IDD_SET_APP, general_page },
        { IDD_SET_FILE, file_page },
        { IDD_SET_AVI, avi_page },
        { IDD_SET_SOUND, sound_page },
        { IDD_FILE_PATTERN, pattern_dialog },
    };
    for (const Entry& e : entries) {
        if (!user::find_dialog(MAKEINTRESOURCEA(e.id)))
            user::register_dialog(e.id, e.make());
    }
}
