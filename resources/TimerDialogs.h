#pragma once

// The templates of the timer list (dialog 600) and the event editor (dialog 400), and the timer
// button's two bitmaps (900 down, 901 up). RegisterTimerDialogs() registers whichever is missing;
// the two dialogs call it as they are made, so neither the program nor a test needs to.

#include <base/Types.h>

constexpr UINT IDD_EVENT = 400;
constexpr UINT IDD_TIMER = 600;
constexpr UINT IDB_TIMER_DOWN = 900;
constexpr UINT IDB_TIMER_UP = 901;

void RegisterTimerDialogs();
