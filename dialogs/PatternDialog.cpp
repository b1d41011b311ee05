#include "PatternDialog.h"

#include "SetFile.h"

#include <resources/SettingsPages.h>

#include <base/Text.h>

#include <cstring>

namespace {

// Every character but those a file name cannot hold or that would start an extension.
class TPatternValidator : public OWL::TValidator {
public:
    bool IsValidInput(const std::string& text) const override { return text.find_first_of("./:*?\\") == std::string::npos; }
};

}

const TPatternDialog::Code TPatternDialog::Codes[] = {
    { " ", "Choose format code to add:" },
    { "%a", "%a Abbreviated weekday name" },
    { "%A", "%A Full weekday name" },
    { "%b", "%b Abbreviated month name" },
    { "%B", "%B Full month name" },
    { "%d", "%d Day of month (01 - 31)" },
    { "%H", "%H Hour (00 - 23)" },
    { "%I", "%I Hour (01 - 12)" },
    { "%j", "%j Day of year (001 - 366)" },
    { "%m", "%m Month number (1 - 12)" },
    { "%M", "%M Minute (00 - 59)" },
    { "%p", "%p AM or PM" },
    { "%S", "%S Two-digit second (00 - 59)" },
    { "%w", "%w Weekday where 0 is Sunday (0 - 6)" },
    { "%y", "%y Two-digit year (00 to 99)" },
    { "%Y", "%Y Year with century" },
    { "%Z", "%Z Time zone name" },
    { "", "" },
};

TPatternDialog::TPatternDialog(OWL::TWindow* parent, char* pattern, LONG defaultMediaFormat, BYTE* instanceMode,
    OWL::TModule* module)
    : TDialog(parent, IDD_FILE_PATTERN, module)
    , ContextHelpWin(parent, FileHelp, IDD_FILE_PATTERN)
    , m_pattern(pattern)
    , m_codes(new OWL::TComboBox(this, 4205))
    , m_edit(new OWL::TEdit(this, 4201, 260))
    , m_example(new OWL::TStatic(this, 4203))
    , m_always(new OWL::TRadioButton(this, 4207))
    , m_required(new OWL::TRadioButton(this, 4209))
    , m_format(defaultMediaFormat)
    , m_mode(instanceMode)
{
    RegisterSettingsPages();
    m_edit->SetValidator(new TPatternValidator);
    OnChildNotify(4201, EN_UPDATE, [this](LPARAM) { return UpdateExample(), 0; });
    OnCommand(IDCANCEL, [this] { CloseWindow(IDCANCEL); });
    OnCommand(IDOK, [this] { CmOk(); });
    OnCommand(4204, [this] { InsertCode(); });
    OnCommand(4207, [this] { UpdateExample(); });
    OnCommand(4209, [this] { UpdateExample(); });
}

void TPatternDialog::SetupWindow()
{
    TDialog::SetupWindow();
    for (const Code* code = Codes; code->Text[0]; ++code)
        m_codes->AddString(code->Text);
    m_codes->SetSelIndex(0);
    m_edit->SetText(m_pattern);
    bool required = m_mode && (*m_mode & 1);
    m_required->SetCheck(required ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
    m_always->SetCheck(required ? OWL::BF_UNCHECKED : OWL::BF_CHECKED);
    UpdateExample();
}

void TPatternDialog::UpdateExample()
{
    char pattern[260] = {};
    m_edit->GetText(pattern, sizeof pattern);
    char example[260];
    MakeExampleName(pattern, m_always->GetCheck() == OWL::BF_CHECKED, m_format, example, sizeof example);
    m_example->SetText(example);
}

void TPatternDialog::InsertCode()
{
    int row = m_codes->GetSelIndex();
    if (row < 1 || row >= static_cast<int>(std::size(Codes)) - 1)
        return;
    m_edit->SetSelection(-1, -1);
    m_edit->Insert(Codes[row].Code);
    UpdateExample();
}

void TPatternDialog::CmOk()
{
    m_pattern[0] = '\0';
    m_edit->GetText(m_pattern, 260);
    if (m_mode) {
        if (m_always->GetCheck() == OWL::BF_CHECKED)
            *m_mode = static_cast<BYTE>(*m_mode & ~1);
        else
            *m_mode = static_cast<BYTE>(*m_mode | 1);
    }
    CloseWindow(IDOK);
}
