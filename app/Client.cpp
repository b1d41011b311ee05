// TClient's life: construction, window set-up, the deferred start, destruction, and the response
// table that routes every message and command of the client.

#include "BitmapToggle.h"
#include "Client.h"

#include "PrivateMessages.h"
#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <media/Mixer.h>
#include <resources/CommandIds.h>
#include <settings/Settings.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <com/Apartment.h>
#include <mm/MmSystem.h>
#include <user/MessageBox.h>
#include <user/Timers.h>

#include <utility>

namespace {

// The overlay filter module registers itself when it is there; nothing else of it is used.
void register_overlay_module()
{
    HMODULE module = LoadLibraryA("ksprite.ax");
    if (!module)
        return;
    using RegisterServer = HRESULT (*)();
    if (auto entry = reinterpret_cast<RegisterServer>(GetProcAddress(module, "DllRegisterServer")))
        entry();
    FreeLibrary(module);
}

}

TClient::TClient(OWL::TWindow* parent)
    : OWL::TWindow(parent, nullptr, nullptr)
{
    Settings.OpenedDeviceName[0] = '\0';
    Tv = nullptr;
    CoInitialize(nullptr);
    register_overlay_module();
    BuildResponseTable();
}

TClient::~TClient()
{
    CmStop();
    delete m_tvToggle;
    m_tvToggle = nullptr;
    delete m_muteToggle;
    m_muteToggle = nullptr;
    if (GetHandle())
        KillTimer(GetHandle(), TimerId);
    delete Tv;
    Tv = nullptr;
    DeletePlayer();
    delete m_mixer;
    m_mixer = nullptr;
    CoUninitialize();
}

bool TClient::CanClose()
{
    if (!OWL::TWindow::CanClose())
        return false;
    RemoveControlBars();
    return true;
}

void TClient::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    if (Settings.LatestDirectory[0])
        SetCurrentDirectoryA(Settings.LatestDirectory);
    m_openData.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    m_openData.FileName[0] = '\0';
    m_openData.FilterIndex = 0;
    m_openData.DefExt = "wmv";
    m_openData.SetFilter("All media files (*.wmv,*.wma,*.avi,*.wav,*.mp3,*.mpg)|*.wmv;*.wma;*.avi;*.wav;*.mp3;*.mpg|"
                         "WindowsMedia Video files (*.wmv)|*.wmv|WindowsMedia Audio files (*.wma)|*.wma|"
                         "WindowsMedia files (*.wmv,*.wma)|*.wmv;*.wma|AVI files (*.avi)|*.avi|WAV files (*.wav)|*.wav|"
                         "MP3 files (*.mp3)|*.mp3|MPG files (*.mpg)|*.mpg|All files (*.*)|*.*|");
    BuildControlBar();
    if (!SetTimer(GetHandle(), TimerId, TimerPeriod, nullptr))
        MessageBoxA(GetHandle(), "Windows timer error\n(EvTimer)", "Orbivane", MB_OK);
    SelectChannel(Settings.Channel, true);
    SetupPositionSlider();
    PostMessageA(GetHandle(), WM_DEFERREDSTART, DeferredStartWParam, DeferredStartLParam);
}

LRESULT TClient::EvDeferredStart(WPARAM wparam, LPARAM lparam)
{
    if (wparam != DeferredStartWParam || lparam != DeferredStartLParam)
        return 0;
    SelectChannel(Settings.Channel, true);
    SetupPositionSlider();
    SetupVolumeSlider();
    ShowMuteToggle();
    if (Settings.TvStart == 1 || (Settings.TvStart == 2 && Settings.TvState != 0))
        CmTv();
    ApplyClientOptions();
    return 0;
}

void TClient::UpdateStateIcon()
{
    if (HWND frame = GetParent(GetHandle()))
        PostMessageA(frame, WM_UPDATESTATEICON, 0, 0);
}

void TClient::BuildResponseTable()
{
    auto command = [this](UINT id, void (TClient::*handler)()) { OnCommand(id, [this, handler] { (this->*handler)(); }); };
    // A message whose handler needs neither parameter; the answer is 0.
    auto message = [this](UINT id, auto handler) {
        OnMessage(id, [this, handler](WPARAM, LPARAM) {
            (this->*handler)();
            return LRESULT(0);
        });
    };
    auto not_recording = [] { return !(Tv && Tv->IsRecording()); };
    auto file_open = [this](OWL::TCommandEnabler& ce) { ce.Enable(m_player != nullptr); };
    auto check = [](OWL::TCommandEnabler& ce, bool on) {
        ce.SetCheck(on ? OWL::TCommandEnabler::Checked : OWL::TCommandEnabler::Unchecked);
    };

    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
        EvTimer(id);
        return LRESULT(0);
    });
    message(WM_SIZE, &TClient::FitVideo);

    command(CM_TV, &TClient::CmTv);
    OnCommandEnable(CM_TV, [=](OWL::TCommandEnabler& ce) {
        check(ce, Tv && Tv->IsVideoShown());
        ce.Enable(not_recording());
    });
    command(CM_TVAUDIOONLY, &TClient::CmTvAudioOnly);
    OnCommandEnable(CM_TVAUDIOONLY, [=](OWL::TCommandEnabler& ce) {
        check(ce, Tv && !Tv->IsVideoShown());
        ce.Enable(not_recording());
    });
    command(CM_ARCHIVES, &TClient::CmArchives);
    command(CM_VCRTIMER, &TClient::CmVcrTimer);
    command(CM_MUTE, &TClient::CmMute);
    OnCommandEnable(CM_MUTE, [=](OWL::TCommandEnabler& ce) {
        check(ce, Settings.Mute != 0);
        ce.Enable(Settings.ChangeMixer != 0);
    });
    command(CM_MUTEOTHER, &TClient::CmMute);
    command(CM_VOLUMEUP, &TClient::CmVolumeUp);
    OnCommandEnable(CM_VOLUMEUP, [](OWL::TCommandEnabler& ce) { ce.Enable(Settings.ChangeMixer != 0); });
    command(CM_VOLUMEDOWN, &TClient::CmVolumeDown);
    OnCommandEnable(CM_VOLUMEDOWN, [](OWL::TCommandEnabler& ce) { ce.Enable(Settings.ChangeMixer != 0); });
    command(CM_PLAY, &TClient::CmPlay);
    OnCommandEnable(CM_PLAY, file_open);
    command(CM_TOGGLEPLAY, &TClient::CmTogglePlay);
    OnCommandEnable(CM_TOGGLEPLAY, file_open);
    command(CM_HALFRATE, &TClient::CmHalfRate);
    command(CM_STOP, &TClient::CmStop);
    command(CM_RECORD, &TClient::CmRecord);
    OnCommandEnable(CM_RECORD, [](OWL::TCommandEnabler& ce) { ce.Enable(true); });
    command(CM_RECORDAUDIO, &TClient::CmRecordAudio);
    OnCommandEnable(CM_RECORDAUDIO, [](OWL::TCommandEnabler& ce) { ce.Enable(true); });
    command(CM_SKIPBACKWARD, &TClient::CmSkipBackward);
    OnCommandEnable(CM_SKIPBACKWARD, file_open);
    command(CM_SKIPFORWARD, &TClient::CmSkipForward);
    OnCommandEnable(CM_SKIPFORWARD, file_open);
    command(CM_CHANNELUP, &TClient::CmChannelUp);
    OnCommandEnable(CM_CHANNELUP, [=](OWL::TCommandEnabler& ce) { ce.Enable(not_recording()); });
    command(CM_CHANNELDOWN, &TClient::CmChannelDown);
    OnCommandEnable(CM_CHANNELDOWN, [=](OWL::TCommandEnabler& ce) { ce.Enable(not_recording()); });
    command(CM_CHANNELS, &TClient::CmChannels);
    OnCommand(CM_POSITIONSTATUS, [] { }); // the status text: a gadget that takes no action
    command(CM_TUNERPAGE, &TClient::CmTunerProperties);
    command(CM_CAPTUREFILTERPAGE, &TClient::CmCaptureFilterProperties);
    command(CM_CAPTUREPINPAGE, &TClient::CmCapturePinProperties);
    command(CM_CROSSBARPAGE, &TClient::CmCrossbarProperties);
    OnMessage(WM_GRAPHNOTIFY, [this](WPARAM wparam, LPARAM lparam) {
        if (m_player)
            PlayerGraphEvents(wparam, lparam);
        return LRESULT(0);
    });
    message(WM_POSITIONUPDATE, &TClient::EvPositionUpdate);
    OnMessage(WM_DEFERREDSTART, [this](WPARAM wparam, LPARAM lparam) { return EvDeferredStart(wparam, lparam); });
    OnMessage(WM_HSCROLL, [this](WPARAM wparam, LPARAM lparam) { return EvHScroll(wparam, lparam); });
    command(CM_RESETPLAYBACK, &TClient::CmResetPlayback);
    command(CM_FILEOPEN, &TClient::CmOpen);
    command(CM_REFRESHPLAYBACK, &TClient::CmRefreshPlayback);
    OnCommandEnable(CM_REFRESHPLAYBACK, file_open);
    command(CM_FILESAVEAS, &TClient::CmSaveAs);
    command(CM_FILECLOSE, &TClient::CmClose);
    OnCommandEnable(CM_FILECLOSE, file_open);
    command(CM_PROPERTIES, &TClient::CmProperties);
    OnCommandEnable(CM_PROPERTIES, [this](OWL::TCommandEnabler& ce) {
        ce.Enable(m_player || (Tv && Tv->GetRecordingTarget()));
    });
    OnCommand(CM_NOACTION, [] { });
    message(WM_CHANNELTYPED, &TClient::EvChannelTyped);
    message(MM_MIXM_CONTROL_CHANGE, &TClient::EvMixerControlChange);
    message(WM_TRAYMUTE, &TClient::CmMute);
    message(WM_TRAYTV, &TClient::CmTv);
    message(WM_VIDEOLAYOUT, &TClient::LayoutVideo);
    for (auto [id, mode] : { std::pair { CM_FULLSCREEN, 1 }, { CM_FULLWINDOW, 2 }, { CM_NORMALSCREEN, 0 } }) {
        OnCommand(id, [this, mode] { SetScreenMode(mode); });
        OnCommandEnable(id, [=, this](OWL::TCommandEnabler& ce) { check(ce, m_screenMode == mode); });
    }
}
