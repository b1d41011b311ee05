#pragma once

// The profile manager: describes the encoder's profiles and keeps the user's own ones, which live
// in "wmprofiles.json" in the platform home (Profiles.h) and join the standard ones in every
// profile collection made afterwards.
//
// Programs reach it by class (a settings page shows a profile's description):
//
//     IWMEncProfileManager* m;  CoCreateInstance(CLSID_WMEncProfileManager, ..., IID_IWMEncProfileManager, ...);
//     m->GetDetailsString(name, 0, &text);       // E_INVALIDARG for a name that is no profile
//
//     m->EditProfiles(17, 1, 0);                 // the "Profiles" dialog, until the user closes it
//
// and the platform's own code through the model below. The editor lists every profile, saves its
// fields as a user profile (never over a standard one) and deletes user profiles; its arguments
// are accepted and not used.

#include <wmenc/Profiles.h>

#include <com/BStr.h>
#include <com/Dispatch.h>

#include <string>
#include <string_view>

DEFINE_GUID(CLSID_WMEncProfileManager, 0xA8D3AD02, 0x7508, 0x4004, 0xB2, 0xE9, 0xAD, 0x33, 0xF0, 0x87, 0xF4, 0x3C);
DEFINE_GUID(IID_IWMEncProfileManager, 0x731B9D9E, 0x6CF4, 0x4C37, 0xA6, 0xA9, 0xA8, 0x9B, 0x88, 0x0D, 0x36, 0xEC);

struct IWMEncProfileManager : IDispatch {
    STDMETHOD(Reserved7)() PURE;
    // 8: runs the "Profiles" dialog, modal over the active window, until it is closed.
    STDMETHOD(EditProfiles)(LONG flags, LONG options, LONG reserved) PURE;
    STDMETHOD(Reserved9)() PURE;
    // 10: the description of the profile `name` (case ignored): its own text, then its streams.
    STDMETHOD(GetDetailsString)(BSTR name, LONG flags, BSTR* details) PURE;
};
COM_INTERFACE(IWMEncProfileManager, IID_IWMEncProfileManager, IDispatch);

namespace wmenc {

// A profile's text for people: its description followed by what it records, e.g.
// "Picture 320 x 240 at 15 frames per second, 96 Kbps.\r\nSound 22.05 kHz stereo, 32 Kbps."
std::string describe_profile(const Profile& profile);
// Adds a user profile (or replaces the user profile of that name); false when it cannot be
// recorded, names a standard profile, or the file cannot be written.
bool add_user_profile(const Profile& profile);
// Removes the user profile of that name; false when there is none.
bool remove_user_profile(std::string_view name);

}
