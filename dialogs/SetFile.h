#pragma once

// The File page (TSetFile) and its settings: recording size limit, recording folder, file-name
// pattern and instance-number mode.
//
// The settings sequence calls the loader/saver pair with the program's settings key open. A
// missing folder becomes the current folder (the temporary folder when that fails), or on newer
// systems the common application-data folder's "Orbivane" sub-folder when the shell offers it.
//
// The page shows how long a recording the size limit allows (at the rate of a recording in the
// sheet's chosen format, RecordingRate.h, taken each time the page is shown) and an example name
// built from the pattern ("Edit..." opens TPatternDialog); "Browse..." picks the folder (TDirPick). It edits
// working copies and stores them at Apply. The example's extension follows the sheet's working
// copy of the recording format, which the AVI/WAV and WinMedia pages share.

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/Edit.h>
#include <owl/PropertySheet.h>
#include <owl/Static.h>

#include <base/Types.h>
#include <registry/Registry.h>

void LoadFileSettings(HKEY key);
void SaveFileSettings(HKEY key);

// The example name of a pattern: "Event", "_" and the pattern when there is one, "_1" when the
// instance number is always appended, the extension of the format (1 ".mp3", 2 ".ogg", 3 ".wmv",
// else ".avi"), formatted with the current local time (settings/FilePattern.h).
void MakeExampleName(const char* pattern, bool alwaysInstance, LONG format, char* out, std::size_t size);

// The help table the File page and the pattern editor share.
extern const ContextHelpWin::HelpPair FileHelp[];

class TSetFile : public OWL::TPropertyPage, public ContextHelpWin {
public:
    TSetFile(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module = nullptr);

protected:
    void SetupWindow() override;
    int SetActive(PSHNOTIFY& notify) override;
    int Apply(PSHNOTIFY& notify) override;

private:
    void UpdateTimeEstimate();
    void UpdateExample();
    void Browse();
    void EditPattern();

    OWL::TEdit* m_size;
    OWL::TStatic* m_estimate;
    OWL::TButton* m_browse;
    OWL::TStatic* m_folder;
    OWL::TStatic* m_example;
    char m_pattern[260];
    BYTE m_mode;
    LONG* m_format;
    DWORD m_rate = 0;
};
