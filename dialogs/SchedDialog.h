#pragma once

// TSchedDialog: the timer list dialog; for now its schedule-conflict check.
//
// After an event of the table in `Settings` was added or edited, the check warns about every
// pair of events that share a day and whose times overlap; it changes nothing.
//
//     TSchedDialog::CheckConflicts(dialog);   // a message box owned by `dialog`, if any conflict

#include <base/Types.h>

#include <string>

class TSchedDialog {
public:
    // The conflict lines, each beginning with "\n"; lines that would take the text to 1999
    // characters or more are left out. Empty when no events conflict.
    static std::string ConflictText();
    // Shows ConflictText() in a message box "Schedule conflict" owned by `owner`, when not empty.
    static void CheckConflicts(HWND owner);

    // The text stays below this many characters.
    static constexpr std::size_t ConflictTextLimit = 1999;
};
