#pragma once

// The General page's settings: five application flags, and the program's entry in the list of
// programs started at log-on (value "Orbivane" of the local machine's Run key).
//
// The settings sequence calls the pair with the program's settings key open; the saver also
// writes or deletes the Run entry each time, by AlwaysStart. RemoveAutostart serves option U.

#include <base/Types.h>
#include <registry/Registry.h>

void LoadAppSettings(HKEY key);
void SaveAppSettings(HKEY key);
// Deletes the Run entry from the local machine's and the current user's hive.
void RemoveAutostart();
