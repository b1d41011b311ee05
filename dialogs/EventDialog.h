#pragma once

// TEventDialog: the modal dialog "Event" (dialog 400) that edits one timer event in place: its
// name, station, start and end time, days of the week, how many recordings to keep and its action.
//
// The caller runs it on a record of its own (a new one, or a copy of the event edited) and keeps
// the result only when Execute returns IDOK: OK checks the fields in order and writes each one
// that passes, so a failed OK (a message box, the dialog stays open) may leave some written.
//
//     TimerEvent copy = Settings.Events[i];
//     if (TEventDialog(this, &copy).Execute() == IDOK)
//         Settings.Events[i] = copy;

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/Dialog.h>
#include <owl/Edit.h>

#include <settings/TimerEvent.h>

// Reads a time as the event editor's boxes take it ("9:30pm", "2130", "8:30AM", "12am"): digits go
// to the hours up to a ":" or the third digit, then to the minutes; "a" turns hour 12 into 0, "p"
// adds 12 to any other hour; other characters are skipped. The result is hours mod 24 and minutes
// mod 60; an empty text is midnight. Any length of text is read safely.
void ParseEventTime(const char* text, LONG& hour, LONG& minute);

class TEventDialog : public OWL::TDialog, public ContextHelpWin {
public:
    TEventDialog(OWL::TWindow* parent, TimerEvent* record, OWL::TModule* module = nullptr);

    // The weekday check boxes, Sunday to Saturday.
    static constexpr int DayBoxIds[7] = { 415, 416, 417, 418, 104, 420, 421 };

protected:
    void SetupWindow() override;
    // Checks and writes the fields; closes with IDOK when all pass.
    void CmOk() override;

private:
    // Shows a failed check's message; false, so CmOk can return it.
    bool Refuse(const char* message);
    bool ReadName();
    bool ReadStation();
    bool ReadAction();
    void ReadKeep();
    void FillStations();

    TimerEvent* m_record;
    OWL::TEdit* m_name;
    OWL::TComboBox* m_station;
    OWL::TEdit* m_start;
    OWL::TEdit* m_end;
    OWL::TComboBox* m_keep;
    OWL::TComboBox* m_action;
    OWL::TCheckBox* m_days[7];
};
