#pragma once

// The Sound device page (TSetSound) and its settings: wave output and input device names, the
// mixer line of the tuner's sound, whether the program may change the mixer, and the stream option.
//
// The settings sequence passes a null second argument to the loader, which then reads the key.
// The page lists the wave devices after "<default>" and the recording lines of the chosen input
// device's mixer after them "<not connected>"; "Stream audio input to output device" shows only
// while input and output are on different cards. Confirming the page stores the combo texts, so a
// device may be stored as "<default>", which every user of the names reads like "-1".

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/PropertySheet.h>
#include <owl/Static.h>

#include <base/Types.h>
#include <registry/Registry.h>

// Reads the five values from the key when ini_path is null or empty. Settings kept in an
// initialisation file (only MixerInput) are not supported: a non-empty ini_path changes nothing.
void LoadSoundSettings(HKEY key, const char* ini_path);
// Writes all five values; nothing without a key.
void SaveSoundSettings(HKEY key);

class TSetSound : public OWL::TPropertyPage, public ContextHelpWin {
public:
    // `wizardButtons` is what the page asks of the sheet's wizard buttons when shown.
    explicit TSetSound(OWL::TPropertySheet* parent, LPARAM wizardButtons = 0, OWL::TModule* module = nullptr);

    void TransferData(int direction) override;

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;
    int WizNext(PSHNOTIFY& notify) override;
    bool WizFinish(PSHNOTIFY& notify) override;

private:
    void FillDevices(OWL::TComboBox* combo, bool input, const char* chosen);
    // The recording lines of the input device's mixer, keeping the line chosen.
    void FillMixerLines();
    // Shows the stream option only while input and output have different mixers.
    void UpdateStreamOption();

    OWL::TComboBox* m_input;
    OWL::TComboBox* m_output;
    OWL::TComboBox* m_lines;
    OWL::TStatic* m_linesLabel;
    OWL::TCheckBox* m_changeMixer;
    OWL::TCheckBox* m_stream;
    LPARAM m_wizardButtons;
};
