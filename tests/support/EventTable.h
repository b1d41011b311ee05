#pragma once

// Helpers of the event tests: a clean event table in `Settings` and short ways to fill it.

#include <settings/Settings.h>

#include <base/Text.h>

#include <cstring>
#include <string>

namespace event_test {

constexpr DWORD Sunday = 1, Monday = 2, Tuesday = 4, Weekdays = 62, Weekend = 65, Daily = 127;

inline void clear_table()
{
    Settings.TimerEnable = 0;
    Settings.EventCount = 0;
    std::memset(Settings.Events, 0, sizeof(Settings.Events));
}

inline TimerEvent make_event(const std::string& name, DWORD days, LONG start_hour, LONG start_minute,
    LONG end_hour, LONG end_minute, LONG action = TimerActionRecordTv, LONG station = 5, LONG keep = -1)
{
    TimerEvent event {};
    base::copy_bounded(event.Name, sizeof(event.Name), name);
    event.Station = station;
    event.DayMask = days;
    event.StartHour = start_hour;
    event.StartMinute = start_minute;
    event.EndHour = end_hour;
    event.EndMinute = end_minute;
    event.Keep = keep;
    event.Action = action;
    return event;
}

// Appends as the timer list does: at index EventCount.
inline void add(const TimerEvent& event)
{
    Settings.Events[Settings.EventCount++] = event;
}

inline void free_record(int i) { Settings.Events[i].Name[0] = 0; }

}
