#include "TimerDialogs.h"
#include "DialogFrames.h"

#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Surface.h>
#include <user/CommonControls.h>
#include <user/Dialogs.h>

#include <vector>

namespace {

using namespace dialog_styles;

constexpr DWORD RightLabel = SS_RIGHT;
constexpr DWORD DayBox = BS_AUTOCHECKBOX | WS_TABSTOP;

user::DialogTemplate event_dialog()
{
    user::DialogTemplate t = dialog_frame(Modal, "Event", 240, 199);
    t.controls = {
        { "STATIC", "Event &name", 402, RightLabel, 0, 13, 9, 81, 10 },
        { "EDIT", "", 401, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 98, 6, 123, 14 },
        { "STATIC", "&Station", 404, RightLabel, 0, 13, 28, 81, 10 },
        { "COMBOBOX", "", 403, Tab | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, 98, 27, 123, 65 },
        { "BUTTON", "", -1, Frame, 0, 22, 46, 208, 41 },
        { "STATIC", "Start &time", 412, RightLabel, 0, 28, 52, 66, 10 },
        { "EDIT", "", 411, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 98, 50, 53, 14 },
        { "STATIC", "&End time", 414, RightLabel, 0, 26, 70, 68, 10 },
        { "EDIT", "", 413, Tab | WS_BORDER | ES_AUTOHSCROLL, 0, 98, 68, 53, 14 },
        { "BUTTON", "", -1, Frame, 0, 21, 95, 208, 30 },
        { "STATIC", "&Day of week", 408, RightLabel, 0, 26, 99, 68, 10 },
        { "BUTTON", "Su", 415, DayBox, 0, 100, 98, 23, 10 },
        { "BUTTON", "M", 416, DayBox, 0, 127, 98, 23, 10 },
        { "BUTTON", "Tu", 417, DayBox, 0, 154, 98, 23, 10 },
        { "BUTTON", "W", 418, DayBox, 0, 181, 98, 23, 10 },
        { "BUTTON", "Th", 104, DayBox, 0, 127, 112, 23, 10 },
        { "BUTTON", "F", 420, DayBox, 0, 154, 112, 23, 10 },
        { "BUTTON", "Sa", 421, DayBox, 0, 181, 112, 23, 10 },
        { "STATIC", "Event &action", 425, RightLabel, 0, 19, 136, 75, 10 },
        { "COMBOBOX", "", 424, Tab | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 98, 134, 67, 70 },
        { "STATIC", "How many event recordings to &keep", 423, RightLabel, 0, 13, 153, 81, 18 },
        { "COMBOBOX", "", 422, Tab | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, 98, 155, 67, 63 },
        { "BUTTON", "OK", IDOK, Tab | BS_DEFPUSHBUTTON, 0, 41, 181, 50, 14 },
        { "BUTTON", "Cancel", IDCANCEL, Tab, 0, 95, 181, 50, 14 },
        { "BUTTON", "Help", 9, Tab, 0, 149, 181, 50, 14 },
        { "STATIC", "Examples: 9:30pm 2130 8:30AM ", -1, SS_LEFT, 0, 172, 51, 51, 30 },
    };
    return t;
}

user::DialogTemplate timer_dialog()
{
    user::DialogTemplate t = dialog_frame(Modal, "Timer", 317, 142);
    t.controls = {
        { WC_LISTVIEWA, "ListView1", 601, Tab | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 2, 1, 311, 93 },
        { "BUTTON", "Enable &timer", 605, Tab, 0, 61, 102, 81, 13 },
        { "BUTTON", "&New", 603, Tab, 0, 142, 102, 38, 13 },
        { "BUTTON", "&Delete", 602, Tab, 0, 180, 102, 38, 13 },
        { "BUTTON", "&Edit", 604, Tab, 0, 218, 102, 38, 13 },
        { "BUTTON", "&Close", IDOK, Tab | BS_DEFPUSHBUTTON, 0, 247, 127, 64, 12 },
    };
    return t;
}

// A 24 x 16 clock face: dark when the timer is on (down), light when off (up).
std::vector<BYTE> clock_bitmap(bool down)
{
    gdi::Surface image(24, 16, down ? 0xFF1C6E3Cu : 0xFFC8CCD0u);
    gdi::Pixel face = down ? 0xFF7CF0A0u : 0xFF6A7078u;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            int dx = 2 * x + 1 - 24, dy = 2 * y + 1 - 16;
            int d = dx * dx + dy * dy;
            if (d <= 14 * 14 && d >= 11 * 11)
                image.set_pixel(x, y, face);
        }
    }
    image.fill(RECT { 11, 3, 13, 9 }, face);
    image.fill(RECT { 12, 7, 17, 9 }, face);
    return gdi::encode_png(image);
}

}

void RegisterTimerDialogs()
{
    static const user::DialogTemplate event = event_dialog();
    static const user::DialogTemplate timer = timer_dialog();
    static const std::vector<BYTE> down = clock_bitmap(true);
    static const std::vector<BYTE> up = clock_bitmap(false);
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_EVENT)))
        user::register_dialog(IDD_EVENT, event);
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_TIMER)))
        user::register_dialog(IDD_TIMER, timer);
    if (!gdi::has_image(MAKEINTRESOURCEA(IDB_TIMER_DOWN)))
        gdi::register_image(IDB_TIMER_DOWN, down.data(), down.size());
    if (!gdi::has_image(MAKEINTRESOURCEA(IDB_TIMER_UP)))
        gdi::register_image(IDB_TIMER_UP, up.data(), up.size());
}
