#pragma once

// The timer event table's registry store and its once-a-minute schedule poll.
//
// LoadTimerEvents and SaveTimerEvents read and write the event table of `Settings` in the
// program's settings key; the application's load/save sequence calls them for each hive.

#include <base/Types.h>
#include <settings/TimerEvent.h>
#include <registry/Registry.h>

// Fills the event table from an open settings key (null: no key, defaults only).
void LoadTimerEvents(HKEY key);
// Writes the event table, renumbered without gaps; returns the status of its last registry write.
LONG SaveTimerEvents(HKEY key);

// The poll: k > 0 starts event k - 1, k < 0 ends event -k - 1, 0 does nothing.
LONG ScheduleCheck(bool reset);

