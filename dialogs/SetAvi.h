#pragma once

// The AVI/WAV page (TSetAvi) and its settings: the friendly names of the video and audio
// compressors that AVI and WAV recording use (empty for no compression), and whether AVI/WAV is
// the default recording format. The loader/saver pair keeps the two names; DefaultMediaFormat is
// kept by the WinMedia page.
//
// The page lists the compressors of the device enumerator's two categories after
// "<No compression>". Its check box acts at once on the sheet's working copy of the recording
// format, which the File and WinMedia pages share.
//
//     LONG format = Settings.DefaultMediaFormat;
//     new TSetAvi(&sheet, &format);

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/PropertySheet.h>

#include <base/Types.h>
#include <com/Guid.h>
#include <registry/Registry.h>

void LoadAviSettings(HKEY key);
void SaveAviSettings(HKEY key);

class TSetAvi : public OWL::TPropertyPage, public ContextHelpWin {
public:
    TSetAvi(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module = nullptr);

    // The first entry of both lists.
    static constexpr const char* NoCompression = "<No compression>";

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;

private:
    void FormatClicked();
    // Adds the friendly name of every device of the category; a failing step ends the list quietly.
    static void ListCompressors(REFCLSID category, OWL::TComboBox* combo);
    void FillList(REFCLSID category, OWL::TComboBox* combo, const char* chosen);
    // The combo's text, with "<No compression>" as the empty string.
    static void ReadChoice(OWL::TComboBox* combo, char* codec);

    OWL::TComboBox* m_video;
    OWL::TComboBox* m_audio;
    OWL::TCheckBox* m_default;
    LONG* m_format;
};
