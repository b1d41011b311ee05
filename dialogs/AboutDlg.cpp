#include "AboutDlg.h"
#include "ProjectRCVersion.h"

#include <resources/AboutDialog.h>

#include <owl/Application.h>

#include <cstdio>

const char ProgramWebAddress[] = "orbivane.example.org";

namespace {

const ContextHelpWin::HelpPair HelpTable[] = {
    { 1003, 1003 }, { 22001, 22001 }, { 22002, 22002 }, { 22006, 22006 }, { 0, 0 },
};

}

AboutDlg::AboutDlg(OWL::TWindow* parent, OWL::TModule* module)
    : TDialog(parent, IDD_ABOUT, module)
    , ContextHelpWin(parent, HelpTable, 0)
{
    RegisterAboutDialog();
    m_version = new OWL::TStatic(this, IDC_ABOUT_VERSION, 255);
    m_copyright = new OWL::TStatic(this, IDC_ABOUT_COPYRIGHT, 255);
    m_link = new THotLink(this, IDC_ABOUT_LINK, ProgramWebAddress);
}

void AboutDlg::SetupWindow()
{
    TDialog::SetupWindow();

    OWL::TApplication* app = GetApplication();
    ProjectRCVersion version(app ? app->GetHandle() : nullptr);
    const char* product = nullptr;
    const char* number = nullptr;
    if (version.GetProductName(product) && version.GetProductVersion(number)) {
        char label[128] = {};
        m_version->GetText(label, sizeof label);
        char line[600];
        std::snprintf(line, sizeof line, "%s %s %s", product, label, number);
        m_version->SetText(line);
    }
    const char* copyright = nullptr;
    if (version.GetLegalCopyright(copyright))
        m_copyright->SetText(copyright);
}
