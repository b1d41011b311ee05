#include "SetApp.h"

#include <owl/Application.h>
#include <owl/FrameWindow.h>
#include <resources/SettingsPages.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <base/Text.h>

namespace {

constexpr const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* run_value = "Orbivane";

BYTE read_flag(HKEY key, const char* name)
{
    BYTE byte;
    return ReadByteValue(key, name, byte) == ERROR_SUCCESS && byte > 0;
}

// The program's short path, with " -m" when it is to start minimised.
void write_run_entry(HKEY run)
{
    char path[MAX_PATH];
    char short_path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    if (GetShortPathNameA(path, short_path, sizeof short_path) == 0 || short_path[0] == '\0')
        base::copy_bounded(short_path, sizeof short_path, path);
    char command[MAX_PATH + 4];
    base::copy_bounded(command, sizeof command, short_path);
    if (Settings.MinimizeOnStart)
        lstrcatA(command, " -m");
    WriteTextValue(run, run_value, command);
}

void delete_run_entry(HKEY hive)
{
    HKEY run;
    if (RegOpenKeyExA(hive, run_key, 0, KEY_WRITE, &run) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(run, run_value);
    RegCloseKey(run);
}

}

void LoadAppSettings(HKEY key)
{
    Settings.MinimizeOnStart = read_flag(key, "MinimizeOnStart");
    Settings.OnTop = read_flag(key, "OnTop");
    Settings.TrayIcon = read_flag(key, "TrayIcon");
    Settings.AlwaysStart = read_flag(key, "AlwaysStart");
    Settings.TaskHide = read_flag(key, "TaskHide");
}

void SaveAppSettings(HKEY key)
{
    WriteByteValue(key, "MinimizeOnStart", Settings.MinimizeOnStart);
    WriteByteValue(key, "OnTop", Settings.OnTop);
    WriteByteValue(key, "TrayIcon", Settings.TrayIcon);
    WriteByteValue(key, "TaskHide", Settings.TaskHide);
    WriteByteValue(key, "AlwaysStart", Settings.AlwaysStart);

    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, run_key, 0, KEY_WRITE, &run) != ERROR_SUCCESS)
        return;
    if (Settings.AlwaysStart)
        write_run_entry(run);
    else
        RegDeleteValueA(run, run_value);
    RegCloseKey(run);
}

void RemoveAutostart()
{
    delete_run_entry(HKEY_LOCAL_MACHINE);
    delete_run_entry(HKEY_CURRENT_USER);
}

namespace {

const ContextHelpWin::HelpPair app_help[] = {
    { 301, 301 }, { 303, 303 }, { 302, 302 }, { 306, 52 }, { 305, 305 }, { 0, 0 },
};

unsigned check_of(BYTE flag)
{
    return flag ? OWL::BF_CHECKED : OWL::BF_UNCHECKED;
}

}

TSetApp::TSetApp(OWL::TPropertySheet* parent, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_APP, module)
    , ContextHelpWin(parent, app_help, IDD_SET_APP)
    , m_minimize(new OWL::TCheckBox(this, 301))
    , m_tray(new OWL::TCheckBox(this, 303))
    , m_onTop(new OWL::TCheckBox(this, 302))
    , m_boot(new OWL::TCheckBox(this, 305))
    , m_taskHide(new OWL::TCheckBox(this, 306))
{
    RegisterSettingsPages();
    SetFlags(GetFlags() | PSP_HASHELP);
}

void TSetApp::ApplyOnTop()
{
    OWL::TApplication* app = OWL::GetApplicationObject();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (main && main->GetHandle())
        SetWindowPos(main->GetHandle(), Settings.OnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void TSetApp::TransferData(int direction)
{
    if (direction == OWL::tdSetData) {
        m_minimize->SetCheck(check_of(Settings.MinimizeOnStart));
        m_tray->SetCheck(check_of(Settings.TrayIcon));
        m_onTop->SetCheck(check_of(Settings.OnTop));
        m_boot->SetCheck(check_of(Settings.AlwaysStart));
        m_taskHide->SetCheck(check_of(Settings.TaskHide));
        TPropertyPage::TransferData(direction);
        return;
    }
    TPropertyPage::TransferData(direction);
    BYTE was_on_top = Settings.OnTop;
    Settings.MinimizeOnStart = m_minimize->GetCheck() == OWL::BF_CHECKED;
    Settings.TrayIcon = m_tray->GetCheck() == OWL::BF_CHECKED;
    Settings.OnTop = m_onTop->GetCheck() == OWL::BF_CHECKED;
    Settings.AlwaysStart = m_boot->GetCheck() == OWL::BF_CHECKED;
    Settings.TaskHide = m_taskHide->GetCheck() == OWL::BF_CHECKED;
    if (Settings.OnTop != was_on_top)
        ApplyOnTop();
}

int TSetApp::Apply(PSHNOTIFY& notify)
{
    // The transfer itself sets the top-most state when the flag changed.
    TransferData(OWL::tdGetData);
    return TPropertyPage::Apply(notify);
}
