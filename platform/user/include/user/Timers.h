#pragma once

// Window timers on the process clock (base::Clock, real or virtual).
//
// A timer belongs to the thread that set it. When it is due and the queue has nothing posted,
// GetMessageA/PeekMessageA generate one WM_TIMER (wParam the id, lParam the TIMERPROC); removing
// it schedules the next tick one interval from then, so late ticks are coalesced, never queued.
// Under a virtual clock a test advances time and pumps to get the ticks; a thread blocked in
// GetMessageA with only a timer ahead advances virtual time to it, as any timed wait does.

#include <base/Types.h>

using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR id, DWORD time);

#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

// Returns the timer id (non-zero), 0 on failure. With a window, an existing id is reset; without
// one, a new id is made.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);
