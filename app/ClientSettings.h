#pragma once

// The main window's own registry values: the station table ("Station%d", "StationName%d"),
// the channel, mute, volume, TV state, window rectangle and the last folder of the open dialog.
//
// The settings sequence calls the pair with the program's settings key open; the loader sets
// the default of every value it cannot read (a null key gives all defaults).

#include <base/Types.h>
#include <registry/Registry.h>

void LoadClientSettings(HKEY key);
void SaveClientSettings(HKEY key);
