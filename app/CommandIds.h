#pragma once

// The application-level command identifiers of the main menu and its accelerators.

#include <base/Types.h>

constexpr UINT CM_HELPCONTENTS = 2001;
constexpr UINT CM_HELPUSING = 2002;
constexpr UINT CM_ABOUT = 2009;
constexpr UINT CM_PREFERENCES = 25006;
constexpr UINT CM_MIXERPLAY = 25001;
constexpr UINT CM_MIXERRECORD = 25002;
constexpr UINT CM_SOUNDVOLUME = 25003;
constexpr UINT CM_MMPROPERTIES = 25015;
constexpr UINT CM_SAVESETTINGS = 18999;
constexpr UINT CM_EXIT = 24310;
