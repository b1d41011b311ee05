#pragma once

// The General page (TSetApp) and its settings: five application flags, and the program's entry
// in the list of programs started at log-on (value "Orbivane" of the local machine's Run key).
//
// The settings sequence calls the loader/saver pair with the program's settings key open; the
// saver also writes or deletes the Run entry each time, by AlwaysStart. RemoveAutostart serves
// option U. The page edits the flags and applies always-on-top to the main window at once (at
// Apply); the frame applies the others after the sheet closes.
//
//     OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
//     new TSetApp(&sheet);

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/PropertySheet.h>

#include <base/Types.h>
#include <registry/Registry.h>

void LoadAppSettings(HKEY key);
void SaveAppSettings(HKEY key);
// Deletes the Run entry from the local machine's and the current user's hive.
void RemoveAutostart();

class TSetApp : public OWL::TPropertyPage, public ContextHelpWin {
public:
    explicit TSetApp(OWL::TPropertySheet* parent, OWL::TModule* module = nullptr);

    void TransferData(int direction) override;

protected:
    int Apply(PSHNOTIFY& notify) override;

private:
    // Makes the main window top-most or not, size and place unchanged.
    static void ApplyOnTop();

    OWL::TCheckBox* m_minimize;
    OWL::TCheckBox* m_tray;
    OWL::TCheckBox* m_onTop;
    OWL::TCheckBox* m_boot;
    OWL::TCheckBox* m_taskHide;
};
