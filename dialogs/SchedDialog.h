#pragma once

// TSchedDialog: the modal dialog "Timer" (dialog 600) that lists the scheduled events of the event
// table in `Settings` (name, station, time and days, recordings kept, action), adds, edits and
// deletes them through the event editor, switches the whole timer on and off, and sorts the list
// by a clicked column. It edits the table in place; the caller saves the settings afterwards.
//
// Each row's item data is the index of its event in the table, so Edit and Delete act on that very
// event. After an event was added or edited, CheckConflicts warns about every pair of events that
// share a day and whose times overlap; it changes nothing.
//
//     TSchedDialog(client).Execute();
//     SaveAllSettings();

#include "ContextHelpWin.h"
#include "CoolButton.h"
#include "DialogRefocus.h"

#include <owl/Dialog.h>
#include <owl/ListWindow.h>

#include <settings/TimerEvent.h>

#include <string>


class TSchedDialog : public OWL::TDialog, public ContextHelpWin {
public:
    explicit TSchedDialog(OWL::TWindow* parent, OWL::TModule* module = nullptr);

    bool CanClose() override { return true; }
    // The main window's accelerators keep working while the list is open.
    bool PreProcessMsg(MSG& msg) override;

    // The conflict lines, each beginning with "\n"; lines that would take the text to 1999
    // characters or more are left out. Empty when no events conflict.
    static std::string ConflictText();
    // Shows ConflictText() in a message box "Schedule conflict" owned by `owner`, when not empty.
    static void CheckConflicts(HWND owner);
    // The text stays below this many characters.
    static constexpr std::size_t ConflictTextLimit = 1999;

    // The texts of an event's five columns.
    static std::string ProgramText(const TimerEvent& event);
    static std::string StationText(const TimerEvent& event);
    static std::string TimeText(const TimerEvent& event);
    static std::string KeepText(const TimerEvent& event);

protected:
    void SetupWindow() override;

private:
    void CmNew();
    void CmEdit();
    void CmDelete();
    void CmEnableTimer();
    LRESULT ColumnClick(LPARAM notification);
    // Adds the row of event `index` at `row` (-1: at the end); nothing for a free record.
    void AddRow(int index, int row = -1);
    // The event table index of the first selected row, or -1.
    int SelectedEvent(int& row) const;

    OWL::TListWindow* m_list;
    CoolButton* m_timerButton;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

// Orders two rows of the timer list by their events: the column in the parameter's low byte
// (1 station, 2 start time, 3 keep, 4 action, else the names without regard to case), ascending
// when bit 0x100 is set.
class ListComparator : public OWL::TLwComparator {
public:
    int Compare(LPARAM a, LPARAM b, LPARAM parameter) const override;
};
