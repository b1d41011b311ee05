#pragma once

// The WinMedia page (TSetWMEnc) and its settings: the Windows Media profiles for TV and for sound
// only, and the default recording format (shared with the AVI/WAV page).
//
// The page lists the encoder's profiles that record picture and sound (screen-capture profiles
// left out) and those that record sound only, each with the profile manager's description of the
// chosen one; Manage Profiles opens the manager's profile editor and lists the profiles again.
// Without the encoder or its manager the lists stay empty and Manage Profiles does nothing. The
// format box acts at once on the sheet's working copy of the recording format; the profile names
// are stored at Apply.
//
//     LONG format = Settings.DefaultMediaFormat;
//     new TSetWMEnc(&sheet, &format);

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/Edit.h>
#include <owl/PropertySheet.h>

#include <base/Types.h>
#include <com/ComPtr.h>
#include <registry/Registry.h>
#include <wmenc/Encoder.h>
#include <wmenc/ProfileManager.h>

// Both return the status of their last registry call.
LONG LoadWMEncSettings(HKEY key);
LONG SaveWMEncSettings(HKEY key);

class TSetWMEnc : public OWL::TPropertyPage, public ContextHelpWin {
public:
    TSetWMEnc(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module = nullptr);
    ~TSetWMEnc() override;

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;

private:
    // A profile collection from a new encoder, when there is one.
    void TakeProfiles();
    void FillProfileLists();
    // The manager's description of the list's chosen profile into its box.
    void ShowDescription(OWL::TComboBox* list, OWL::TEdit* box);
    void CmManageProfiles();
    void FormatClicked();

    LONG* m_format;
    OWL::TComboBox* m_videoList;
    OWL::TEdit* m_videoDescription;
    OWL::TComboBox* m_audioList;
    OWL::TEdit* m_audioDescription;
    OWL::TCheckBox* m_formatBox;
    CComPtr<IWMEncProfileManager> m_manager;
    CComPtr<IWMEncProfileCollection> m_profiles;
};
