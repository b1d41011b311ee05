#pragma once

// The Stations page's own setting, ChannelListOnly (channel up and down only through the defined
// stations). The station table itself is kept by the main window's settings.

#include <base/Types.h>
#include <registry/Registry.h>

// Both return the status of their registry call.
LONG LoadStationPageSettings(HKEY key);
LONG SaveStationPageSettings(HKEY key);
