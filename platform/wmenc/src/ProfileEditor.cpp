#include "ProfileEditor.h"

#include <wmenc/ProfileManager.h>
#include <wmenc/Profiles.h>

#include <base/Text.h>
#include <user/Controls.h>
#include <user/Dialogs.h>
#include <user/MessageBox.h>

#include <string>

namespace wmenc::detail {

namespace {

constexpr char kTemplate[] = "WMEncProfiles";
constexpr char kCaption[] = "Profiles";

void register_template()
{
    static const bool registered = [] {
        user::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        t.cx = 300;
        t.cy = 186;
        t.caption = kCaption;
        auto edit = [](int id, int x, int y, int cx, DWORD more = 0) {
            return user::DialogControl { "EDIT", "", id, WS_TABSTOP | WS_BORDER | more, 0, x, y, cx, 12 };
        };
        auto label = [](const char* text, int x, int y, int cx) { return user::DialogControl { "STATIC", text, -1, SS_LEFT, 0, x, y, cx, 10 }; };
        t.controls = {
            { "LISTBOX", "", kProfileList, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 7, 7, 130, 148 },
            label("&Name:", 145, 7, 148),
            edit(kProfileName, 145, 17, 148),
            label("Picture: width, height, frames per second, Kbps", 145, 33, 148),
            edit(kPictureWidth, 145, 43, 34, ES_NUMBER),
            edit(kPictureHeight, 183, 43, 34, ES_NUMBER),
            edit(kFramesPerSecond, 221, 43, 30, ES_NUMBER),
            edit(kVideoKbps, 255, 43, 38, ES_NUMBER),
            label("Sound: Hz, channels, Kbps", 145, 61, 148),
            edit(kSampleRate, 145, 71, 50, ES_NUMBER),
            edit(kChannels, 199, 71, 30, ES_NUMBER),
            edit(kAudioKbps, 233, 71, 40, ES_NUMBER),
            label("&Description:", 145, 89, 148),
            { "EDIT", "", kProfileDescription, WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 0, 145, 99, 148, 40 },
            { "STATIC", "A standard profile is kept as it is: save changes under a new name.", -1, SS_LEFT, 0, 145, 143, 148, 20 },
            { "BUTTON", "&Save", kSaveProfile, WS_TABSTOP | BS_PUSHBUTTON, 0, 145, 166, 45, 14 },
            { "BUTTON", "&Delete", kDeleteProfile, WS_TABSTOP | BS_PUSHBUTTON, 0, 194, 166, 45, 14 },
            { "BUTTON", "Close", IDCANCEL, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 248, 166, 45, 14 },
        };
        user::register_dialog(kTemplate, t);
        return true;
    }();
    (void)registered;
}

bool is_standard(const std::string& name)
{
    for (const Profile& p : standard_profiles()) {
        if (base::equals_ignoring_case(p.name, name))
            return true;
    }
    return false;
}

std::string item_text(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string selected_name(HWND dialog)
{
    LRESULT index = SendDlgItemMessageA(dialog, kProfileList, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return {};
    char text[1024] = "";
    SendDlgItemMessageA(dialog, kProfileList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void show(HWND dialog, const Profile& p)
{
    SetDlgItemTextA(dialog, kProfileName, p.name.c_str());
    const std::pair<int, int> numbers[] = { { kPictureWidth, p.width }, { kPictureHeight, p.height }, { kFramesPerSecond, p.frames_per_second },
        { kVideoKbps, p.video_kbps }, { kSampleRate, p.sample_rate }, { kChannels, p.channels }, { kAudioKbps, p.audio_kbps } };
    for (const auto& [id, value] : numbers)
        SetDlgItemInt(dialog, id, static_cast<UINT>(value), FALSE);
    SetDlgItemTextA(dialog, kProfileDescription, p.description.c_str());
    EnableWindow(GetDlgItem(dialog, kDeleteProfile), !is_standard(p.name));
}

// Lists every profile and selects `name` (the first one when it is not there).
void fill(HWND dialog, const std::string& name)
{
    SendDlgItemMessageA(dialog, kProfileList, LB_RESETCONTENT, 0, 0);
    std::vector<Profile> all = all_profiles();
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        SendDlgItemMessageA(dialog, kProfileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(all[i].name.c_str()));
        if (base::equals_ignoring_case(all[i].name, name))
            chosen = i;
    }
    SendDlgItemMessageA(dialog, kProfileList, LB_SETCURSEL, chosen, 0);
    if (!all.empty())
        show(dialog, all[chosen]);
}

Profile read_fields(HWND dialog)
{
    Profile p;
    p.name = item_text(dialog, kProfileName);
    p.description = item_text(dialog, kProfileDescription);
    auto number = [dialog](int id) { return static_cast<int>(GetDlgItemInt(dialog, id, nullptr, FALSE)); };
    p.width = number(kPictureWidth);
    p.height = number(kPictureHeight);
    p.frames_per_second = number(kFramesPerSecond);
    p.video_kbps = number(kVideoKbps);
    p.sample_rate = number(kSampleRate);
    p.channels = number(kChannels);
    p.audio_kbps = number(kAudioKbps);
    return p;
}

void save(HWND dialog)
{
    Profile p = read_fields(dialog);
    std::string why;
    if (is_standard(p.name))
        why = "The standard profile \"" + p.name + "\" is kept as it is: save your changes under a new name.";
    else if (!is_recordable(p, &why))
        ;
    else if (!add_user_profile(p))
        why = "The profiles cannot be written to the platform home.";
    if (!why.empty()) {
        MessageBoxA(dialog, why.c_str(), kCaption, MB_ICONHAND);
        return;
    }
    fill(dialog, p.name);
}

INT_PTR CALLBACK editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        fill(dialog, {});
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case kProfileList:
            if (HIWORD(wparam) == LBN_SELCHANGE) {
                Profile p;
                if (find_profile(selected_name(dialog), p))
                    show(dialog, p);
            }
            return TRUE;
        case kSaveProfile:
            save(dialog);
            return TRUE;
        case kDeleteProfile:
            if (remove_user_profile(selected_name(dialog)))
                fill(dialog, {});
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}

void run_profile_editor(HWND owner)
{
    register_template();
    DialogBoxParamA(nullptr, kTemplate, owner, editor_proc, 0);
}

}
