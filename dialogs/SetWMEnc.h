#pragma once

// The WinMedia page's settings: the Windows Media profiles for TV and for sound only, and the
// default recording format (shared with the AVI/WAV page).

#include <base/Types.h>
#include <registry/Registry.h>

// Both return the status of their last registry call.
LONG LoadWMEncSettings(HKEY key);
LONG SaveWMEncSettings(HKEY key);
