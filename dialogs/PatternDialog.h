#pragma once

// TPatternDialog: the modal dialog "File name pattern" (dialog 4200) that edits the recording
// file-name pattern and the instance-number mode, with a combo of the time codes to insert at
// the caret and the example name the pattern gives (as the File page shows it).
//
// The caller passes its pattern buffer (260 bytes, in and out), the recording format for the
// example's extension and its instance-mode byte (bit 0: append "_1" only when required); both
// change only at OK.
//
//     char pattern[260] = "%Y";
//     BYTE mode = 0;
//     if (TPatternDialog(page, pattern, format, &mode).Execute() == IDOK) ...

#include "ContextHelpWin.h"

#include <owl/Button.h>
#include <owl/ComboBox.h>
#include <owl/Dialog.h>
#include <owl/Edit.h>
#include <owl/Static.h>

class TPatternDialog : public OWL::TDialog, public ContextHelpWin {
public:
    TPatternDialog(OWL::TWindow* parent, char* pattern, LONG defaultMediaFormat, BYTE* instanceMode,
        OWL::TModule* module = nullptr);

    // The code table: the code each combo row inserts (row 0 is the prompt) and its text.
    struct Code {
        const char* Code;
        const char* Text;
    };
    static const Code Codes[];

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void UpdateExample();
    void InsertCode();

    char* m_pattern;
    OWL::TComboBox* m_codes;
    OWL::TEdit* m_edit;
    OWL::TStatic* m_example;
    OWL::TRadioButton* m_always;
    OWL::TRadioButton* m_required;
    LONG m_format;
    BYTE* m_mode;
};
