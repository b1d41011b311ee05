#pragma once

// The profile manager's editor (internal): a modal dialog "Profiles", template "WMEncProfiles",
// that lists every profile, shows the chosen one's streams and description, saves the fields as
// a user profile (a standard profile's name is refused) and deletes user profiles. It returns
// when the user closes it.

#include <base/Types.h>

namespace wmenc::detail {

// Control ids of the dialog, for tests.
enum ProfileEditorControl : int {
    kProfileList = 100,
    kProfileName = 101,
    kPictureWidth = 102,
    kPictureHeight = 103,
    kFramesPerSecond = 104,
    kVideoKbps = 105,
    kSampleRate = 106,
    kChannels = 107,
    kAudioKbps = 108,
    kProfileDescription = 109,
    kSaveProfile = 110,
    kDeleteProfile = 111,
};

// Runs the dialog over `owner` (may be NULL) until it is closed.
void run_profile_editor(HWND owner);

}
