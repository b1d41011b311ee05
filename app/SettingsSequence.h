#pragma once

// The one sequence that loads every setting from the registry and saves it to both hives.
//
// The key is "Software\Kestrelon\Orbivane". Loading reads the local machine's copy, or the
// current user's when the local machine has none, and calls each page's and window's loader in
// a fixed order (with no key they all set their defaults). Saving writes the complete set to the
// current user, then to the local machine, with the savers in the same order; a failure to
// write the current user's copy shows a box, one for the local machine's is silent. The application
// object's LoadSettings and SaveSettings are these two calls.
//
//     LoadAllSettings();               // once, at start
//     SaveAllSettings(main_window);    // at exit, after the Preferences and the Timer dialogs

#include <base/Types.h>

inline constexpr const char* SettingsKeyPath = "Software\\Kestrelon\\Orbivane";

void LoadAllSettings();
// `owner` is the window that owns the message boxes of a failed save.
void SaveAllSettings(HWND owner);
