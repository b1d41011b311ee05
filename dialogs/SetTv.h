#pragma once

// The TV page (TSetTv) and its settings: the capture device, the two video-window options, the TV
// state at start, antenna or cable, and the tuner country code.
//
// The page lists "<default TV tuner>" and the video input devices by their friendly names, shows
// the settings at set-up and stores them at Apply. Its "Advanced..." button shows the tuner
// read-outs of the chosen device (TvAdvanced.h). The main window applies the stored values after
// the sheet closes.
//
//     OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
//     new TSetTv(&sheet);

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/Edit.h>
#include <owl/PropertySheet.h>

#include <base/Types.h>
#include <registry/Registry.h>

// Both return the status of their last registry call.
LONG LoadTvSettings(HKEY key);
LONG SaveTvSettings(HKEY key);

// The popups of the TV page and of the advanced tuner dialog, by control.
extern const ContextHelpWin::HelpPair TvHelpTable[];

class TSetTv : public OWL::TPropertyPage, public ContextHelpWin {
public:
    explicit TSetTv(OWL::TPropertySheet* parent, OWL::TModule* module = nullptr);

    // The first entry of the device list, standing for the default device.
    static constexpr const char* DefaultTuner = "<default TV tuner>";

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;

private:
    // "<default TV tuner>", then every video input device's friendly name.
    void FillTunerList();
    // The chosen device's name; empty for the default device.
    void ChosenTuner(char* name, int size) const;
    void CmAdvanced();

    OWL::TComboBox* m_tuner;
    OWL::TCheckBox* m_ratio;
    OWL::TCheckBox* m_shrink;
    OWL::TRadioButton* m_tvOn;
    OWL::TRadioButton* m_tvOff;
    OWL::TRadioButton* m_remember;
    OWL::TRadioButton* m_antenna;
    OWL::TRadioButton* m_cable;
    OWL::TEdit* m_country;
};
