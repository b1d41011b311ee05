#pragma once

// The AVI/WAV page's settings: the friendly names of the video and audio compressors (empty
// for no compression). DefaultMediaFormat, which the page also edits, is kept by the WinMedia page.

#include <base/Types.h>
#include <registry/Registry.h>

void LoadAviSettings(HKEY key);
void SaveAviSettings(HKEY key);
