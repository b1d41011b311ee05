#pragma once

// TStationDialog: the modal dialog "Station" (dialog 700) that edits one entry of the station
// table in place: its channel (a tuner channel number, or L1/L2 for the input lines) and its name.
//
// OK checks the channel box and stores channel and name only when the check passes; a refused
// channel shows a message box and the dialog stays open. The editor's Delete button removes the
// entry from the table and closes with IDOK, so a caller that added the entry for the editor
// removes it again only on IDCANCEL.
//
//     if (TStationDialog(this, index).Execute() != IDOK)
//         Settings.DeleteStation(index);

#include "ContextHelpWin.h"

#include <owl/ComboBox.h>
#include <owl/Dialog.h>
#include <owl/Edit.h>
#include <owl/Static.h>

#include <base/Types.h>

class TStationDialog : public OWL::TDialog, public ContextHelpWin {
public:
    TStationDialog(OWL::TWindow* parent, int stationIndex, OWL::TModule* module = nullptr);

protected:
    void SetupWindow() override;
    // Checks the channel; stores channel and name and closes with IDOK when it passes.
    void CmOk() override;

private:
    // Shows a refused channel's message; the dialog stays open.
    void Refuse(const char* message);
    // Whether the tuner of a running engine, when there is one, can tune `channel`.
    static bool InTunerRange(LONG channel);
    void CmDelete();

    int m_index;
    LONG m_channel = -1;
    LONG m_mode = 0; // the channel box holds a TV channel
    OWL::TStatic* m_indexText;
    OWL::TEdit* m_channelBox;
    OWL::TEdit* m_nameBox;
    OWL::TComboBox* m_tuningMode; // hidden
};
