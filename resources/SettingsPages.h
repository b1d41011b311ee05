#pragma once

// The templates of the Preferences pages (General 300, AVI/WAV 2100, Sound device 2300, File 1300),
// and the file name pattern editor (4200). RegisterSettingsPages() registers whichever is missing; the pages call it as they are made.

#include <base/Types.h>

constexpr UINT IDD_SET_APP = 300;
constexpr UINT IDD_SET_FILE = 1300;
constexpr UINT IDD_SET_AVI = 2100;
constexpr UINT IDD_SET_SOUND = 2300;
constexpr UINT IDD_FILE_PATTERN = 4200;

void RegisterSettingsPages();
