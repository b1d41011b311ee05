// The timer's once-a-minute look at the event table: which event starts or ends now.

#include "TimerEventStore.h"

#include <settings/Settings.h>

#include <base/Clock.h>

namespace {

// Remembered for the whole run, never saved.
LONG running_index = -1;
LONG last_hour = -1;
LONG last_minute = -1;

}

LONG ScheduleCheck(bool reset)
{
    if (reset)
        running_index = -1;

    SYSTEMTIME now;
    GetLocalTime(&now);
    LONG hour = now.wHour;
    LONG minute = now.wMinute;
    DWORD day_bit = 1u << now.wDayOfWeek;

    if (hour == last_hour && minute == last_minute)
        return 0;
    last_hour = hour;
    last_minute = minute;

    LONG count = Settings.EventCount > MaxTimerEvents ? MaxTimerEvents : Settings.EventCount;
    for (LONG i = 0; i < count; ++i) {
        const TimerEvent& event = Settings.Events[i];
        if (event.Name[0] && (event.DayMask & day_bit) && event.StartHour == hour && event.StartMinute == minute) {
            running_index = i;
            return i + 1;
        }
    }

    // The end ignores the day, so an event past midnight ends the next day. The minute is
    // examined again on the next call, so an event starting as this one ends still starts.
    if (running_index >= 0 && running_index < count) {
        const TimerEvent& running = Settings.Events[running_index];
        if (running.EndHour == hour && running.EndMinute == minute) {
            LONG ended = running_index;
            running_index = -1;
            last_minute = -1;
            return ~ended;
        }
    }
    return 0;
}
