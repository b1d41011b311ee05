// The timer list's schedule-conflict check.

#include "SchedDialog.h"

#include <user/MessageBox.h>

#include <settings/Settings.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

LONG start_of(const TimerEvent& event) { return event.StartHour * 60 + event.StartMinute; }
LONG end_of(const TimerEvent& event) { return event.EndHour * 60 + event.EndMinute; }

bool conflict(const TimerEvent& a, const TimerEvent& b)
{
    return a.Action != 0 && b.Action != 0 && a.Name[0] && b.Name[0] && (a.DayMask & b.DayMask) != 0
        && start_of(a) < end_of(b) && start_of(b) < end_of(a);
}

std::string_view name_of(const TimerEvent& event)
{
    return { event.Name, strnlen(event.Name, sizeof(event.Name)) };
}

}

std::string TSchedDialog::ConflictText()
{
    std::string text;
    int count = std::clamp<LONG>(Settings.EventCount, 0, MaxTimerEvents);
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < i; ++j) {
            const TimerEvent& later = Settings.Events[i];
            const TimerEvent& earlier = Settings.Events[j];
            if (!conflict(later, earlier))
                continue;
            std::string line = "\nSchedule conflict between events \"";
            line += name_of(later);
            line += "\" and \"";
            line += name_of(earlier);
            line += "\".";
            // A line that does not fit is dropped; a later, shorter one may still fit.
            if (text.size() + line.size() < ConflictTextLimit)
                text += line;
        }
    }
    return text;
}

namespace {

void ShowScheduleConflictBox(HWND owner, const std::string& text)
{
    MessageBoxA(owner, text.c_str(), "Schedule conflict", MB_OK);
}

}

void TSchedDialog::CheckConflicts(HWND owner)
{
    std::string text = ConflictText();
    if (!text.empty())
        ShowScheduleConflictBox(owner, text);
}
