#pragma once

// The File page's settings: recording size limit, recording folder, file-name pattern and
// instance-number mode.
//
// The settings sequence calls the pair with the program's settings key open. A missing folder
// becomes the current folder (the temporary folder when that fails), or on newer systems the
// common application-data folder's "Orbivane" sub-folder when the shell offers it.

#include <base/Types.h>
#include <registry/Registry.h>

void LoadFileSettings(HKEY key);
void SaveFileSettings(HKEY key);
