#pragma once

// The private message that asks a list dialog (the timer list, the archive browser) to take the
// keyboard focus again, and the archive browser to fill its tree afresh (WM_USER + 51). Result 0.

#include <base/Types.h>

constexpr UINT WM_DIALOG_REFOCUS = 0x0400 + 51;
