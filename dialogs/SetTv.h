#pragma once

// The TV page's settings: the capture device, the two video-window options, the TV state at
// start, antenna or cable, and the tuner country code.

#include <base/Types.h>
#include <registry/Registry.h>

// Both return the status of their last registry call.
LONG LoadTvSettings(HKEY key);
LONG SaveTvSettings(HKEY key);
