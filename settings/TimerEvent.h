#pragma once

// One scheduled event of the weekly timer, and the action codes an event can carry.
//
// An empty name (first character NUL) marks a free record. The day mask has bit n set for
// weekday n, Sunday = 0 (as SYSTEMTIME.wDayOfWeek). Keep -1 keeps every recording.

#include <base/Types.h>

struct TimerEvent {
    char Name[260];
    LONG Station;
    DWORD DayMask;
    LONG StartHour;
    LONG StartMinute;
    LONG EndHour;
    LONG EndMinute;
    LONG Keep;
    LONG Action; // a TimerAction code
};

// Action codes; their bits are those of MediaFlags (1 record, 2 video, 4 audio, 8 TV).
enum TimerAction : LONG {
    TimerActionNone = 0,
    TimerActionAudioOn = 4,
    TimerActionRecordAudio = 5,
    TimerActionTvOn = 12,
    TimerActionRecordTv = 15,
};

// The text of an action code ("Record TV", ...); "<undefined>" for any other value.
const char* TimerActionText(LONG action);
