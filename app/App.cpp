#include "App.h"

#include "Client.h"
#include "MainFrame.h"
#include "SettingsSequence.h"

#include <dialogs/AboutDlg.h>
#include <dialogs/SetApp.h>
#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <dialogs/SetSound.h>
#include <dialogs/SetStation.h>
#include <dialogs/SetTv.h>
#include <dialogs/SetWMEnc.h>
#include <owl/PropertySheet.h>
#include <resources/CommandIds.h>
#include <resources/MainMenu.h>
#include <resources/StateIcons.h>
#include <settings/Settings.h>

#include <base/Modules.h>
#include <base/Process.h>
#include <base/SystemInfo.h>
#include <base/Text.h>
#include <shell/Help.h>
#include <user/User.h>

#include <cstring>
#include <string>

namespace {

void compute_help_paths()
{
    char module[260] = {};
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof(module));
    if (length >= sizeof(module))
        length = sizeof(module) - 1;
    module[length] = 0;
    char* slash = std::strrchr(module, '\\');
    std::string folder = slash ? std::string(module, static_cast<std::size_t>(slash - module + 1)) : std::string();
    std::string help = folder + "orbivane.chm";
    base::copy_bounded(HelpFilePath, sizeof(HelpFilePath), help);
    base::copy_bounded(PopupTextPath, sizeof(PopupTextPath), std::string(HelpFilePath) + "::/" + "CSOrbivane.txt");
}

// Shows and raises the first window found of the class with one of the titles; false when none.
bool raise_tool_window(const char* title, const char* other_title)
{
    HWND window = FindWindowExA(nullptr, nullptr, "Volume Control", title);
    if (!window)
        window = FindWindowExA(nullptr, nullptr, "Volume Control", other_title);
    if (!window)
        return false;
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    return true;
}

}

App::App()
    : OWL::TApplication("Orbivane")
    , OWL::TRecentFiles(SettingsKeyPath, 6, 80)
{
    m_audio_format = new BYTE[MaxWaveFormatSize + 40]();
    Settings.AudioFormat = m_audio_format;
    Settings.AudioFormatSize = MaxWaveFormatSize;
    LoadSettings();
    compute_help_paths();

    OnCommand(CM_PREFERENCES, [this] { CmPreferences(); });
    OnCommand(CM_MIXERPLAY, [this] { CmMixerPlay(); });
    OnCommand(CM_MIXERRECORD, [this] { CmMixerRecord(); });
    OnCommand(CM_SOUNDVOLUME, [this] { CmSoundVolume(); });
    OnCommand(CM_MMPROPERTIES, [this] { CmMmProperties(); });
    OnCommand(CM_SAVESETTINGS, [this] { SaveSettings(); });
    OnCommand(CM_EXIT, [this] { CmExit(); });
    OnCommand(CM_HELPCONTENTS, [this] { CmHelpContents(); });
    OnCommand(CM_ABOUT, [this] { CmAbout(); });
    OnCommand(CM_HELPUSING, [] { });
    // A recent file chosen from the menu is opened and played.
    OnRegisteredMessage("MRUFILEMESSAGE", [this](WPARAM id, LPARAM) {
        char path[260] {};
        OWL::TFrameWindow* main = GetMainWindow();
        auto* client = main ? dynamic_cast<TClient*>(main->GetClientWindow()) : nullptr;
        if (client && GetMenuText(static_cast<UINT>(id), path, sizeof path) > 0) {
            client->OpenMediaFile(path);
            if (client->GetPlayer())
                SendMessageA(client->GetHandle(), WM_COMMAND, CM_PLAY, 0);
        }
        return LRESULT(0);
    });
}

App::~App()
{
    // The windows go before the block they may still point at.
    delete SetMainWindow(nullptr);
    Settings.AudioFormat = nullptr;
    delete[] m_audio_format;
}

void App::CmHelpContents()
{
    OWL::TFrameWindow* main = GetMainWindow();
    HtmlHelpA(main ? main->GetHandle() : nullptr, HelpFilePath, HH_DISPLAY_TOPIC, 0);
}

void App::CmAbout()
{
    AboutDlg(GetMainWindow()).Execute();
}

void App::AddPreferencesPages(OWL::TPropertySheet& sheet, LONG* format)
{
    new TSetTv(&sheet);
    new TSetApp(&sheet);
    new TSetStation(&sheet, true);
    new TSetAvi(&sheet, format);
    new TSetSound(&sheet);
    new TSetFile(&sheet, format);
    new TSetWMEnc(&sheet, format);
}

void App::CmPreferences()
{
    OWL::TFrameWindow* main = GetMainWindow();
    // The pages that choose the recording format share one working copy of it; it is kept
    // whichever pages were shown and however the sheet closed, as every other setting is.
    LONG format = Settings.DefaultMediaFormat;
    {
        OWL::TPropertySheet sheet(main, "Options", 0, false, PSH_NOAPPLYNOW);
        AddPreferencesPages(sheet, &format);
        sheet.Execute();
    }
    Settings.DefaultMediaFormat = format;
    SaveSettings();
    if (auto* frame = dynamic_cast<SDIDecFrame*>(main))
        frame->ApplyOptions();
}

void App::LoadSettings()
{
    LoadAllSettings();
}

void App::SaveSettings()
{
    OWL::TFrameWindow* main = GetMainWindow();
    SaveAllSettings(main ? main->GetHandle() : nullptr);
}

bool App::CanClose()
{
    SaveSettings();
    OWL::TFrameWindow* main = GetMainWindow();
    OWL::TWindow* client = main ? main->GetClientWindow() : nullptr;
    return !client || client->CanClose();
}

void App::InitMainWindow()
{
    auto* client = new TClient(nullptr);
    auto* frame = new SDIDecFrame(nullptr, GetName(), client, true);
    if (Settings.WindowX)
        frame->Attr.X = Settings.WindowX;
    if (Settings.WindowY)
        frame->Attr.Y = Settings.WindowY;
    if (Settings.WindowW)
        frame->Attr.W = Settings.WindowW;
    if (Settings.WindowH)
        frame->Attr.H = Settings.WindowH;
    frame->SetIcon(this, IDI_IDLE);
    frame->SetIconSm(this, IDI_IDLE_SMALL);
    frame->AssignMenu(IDM_MAINMENU);
    frame->Attr.AccelTable = IDA_MAINACCELERATORS;
    SetMainWindow(frame);
}

void App::CmMixerPlay()
{
    if (GetOsMajorVersion() >= 6) {
        WinExec("sndvol.exe", SW_SHOWNORMAL);
        return;
    }
    if (!raise_tool_window("Play Control", "Volume Control"))
        WinExec("sndvol32.exe", SW_SHOWNORMAL);
}

void App::CmMixerRecord()
{
    if (GetOsMajorVersion() >= 6) {
        WinExec("control.exe mmsys.cpl,,1", SW_SHOWNORMAL);
        return;
    }
    if (!raise_tool_window("Record Control", "Recording Control"))
        WinExec("sndvol32.exe /r", SW_SHOWNORMAL);
}

void App::CmSoundVolume()
{
    WinExec(GetOsMajorVersion() >= 6 ? "sndvol.exe -f" : "sndvol32.exe /t", SW_SHOWNORMAL);
}

void App::CmMmProperties()
{
    WinExec("control.exe mmsys.cpl", SW_SHOWNORMAL);
}

void App::CmExit()
{
    if (OWL::TFrameWindow* main = GetMainWindow(); main && main->GetHandle())
        SendMessageA(main->GetHandle(), WM_CLOSE, 0, 0);
}
