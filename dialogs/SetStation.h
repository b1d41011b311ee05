#pragma once

// The Stations page (TSetStation) and its one setting, ChannelListOnly (channel up and down only
// through the defined stations). The station table itself is kept by the main window's settings.
//
// The page lists the station table in its order and edits it in place: New, Edit (through the
// station editor), Delete, Move Up and Move Down change the table at once, so cancelling the
// sheet keeps them; only ChannelListOnly waits for Apply. In the Preferences sheet it is one page
// of several; the Channels command shows it alone, and then the sheet has nothing to cancel: its
// OK button reads "Close" and Cancel is disabled, and Close applies the page.
//
//     OWL::TPropertySheet sheet(frame, "Channels", 0, false, PSH_NOAPPLYNOW);
//     new TSetStation(&sheet, false);
//     sheet.Execute();

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/PropertySheet.h>

#include <base/Types.h>
#include <registry/Registry.h>

// Both return the status of their registry call.
LONG LoadStationPageSettings(HKEY key);
LONG SaveStationPageSettings(HKEY key);

class TSetStation : public OWL::TPropertyPage, public ContextHelpWin {
public:
    // `sharedSheet`: one of the Preferences pages (true) or alone in its own sheet (false).
    TSetStation(OWL::TPropertySheet* parent, bool sharedSheet, OWL::TModule* module = nullptr);

    // The list's line of a station: "L1   name" for the lines, "5   name" for a channel.
    static void StationLine(char* line, int size, LONG channel, const char* name);

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;

private:
    void FillList();
    // The channel a new station starts with: the one last selected in the main window, unless a
    // station has it or there is none; then the highest channel of the table plus 1 (2 for an
    // empty table).
    static LONG ProposedChannel();
    void CmNew();
    void CmEdit();
    void CmDelete();
    // Exchanges the selected station with its neighbour `step` places on; the selection follows.
    void Move(int step);

    OWL::TListBox* m_list;
    OWL::TButton* m_new;
    OWL::TButton* m_delete;
    OWL::TButton* m_edit;
    OWL::TButton* m_up;
    OWL::TButton* m_down;
    OWL::TCheckBox* m_surfDefined;
    bool m_sharedSheet;
};
