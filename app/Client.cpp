// TClient's life: construction, window set-up, the deferred start, destruction, and the response
// table that routes every message and command of the client.

#include "Client.h"

#include "PrivateMessages.h"
#include "Settings.h"
#include "TvEngine.h"

#include <capture/Tv.h>
#include <media/Mixer.h>

#include <base/Files.h>
#include <base/Modules.h>
#include <com/Apartment.h>
#include <mm/MmSystem.h>
#include <user/MessageBox.h>
#include <user/Timers.h>

STv* Tv = nullptr;

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
    if (GetHandle())
        KillTimer(GetHandle(), TimerId);
    delete Tv;
    Tv = nullptr;
    DeletePlayer();
    delete m_mixer;
    m_mixer = nullptr;
    CoUninitialize();
}

void TClient::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    if (Settings.LatestDirectory[0])
        SetCurrentDirectoryA(Settings.LatestDirectory);
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

    command(1800, &TClient::CmTv);
    OnCommandEnable(1800, [=](OWL::TCommandEnabler& ce) {
        check(ce, Tv && Tv->IsVideoShown());
        ce.Enable(not_recording());
    });
    command(1827, &TClient::CmTvAudioOnly);
    OnCommandEnable(1827, [=](OWL::TCommandEnabler& ce) {
        check(ce, Tv && !Tv->IsVideoShown());
        ce.Enable(not_recording());
    });
    command(1801, &TClient::CmArchives);
    command(1802, &TClient::CmVcrTimer);
    command(1816, &TClient::CmMute);
    OnCommandEnable(1816, [=](OWL::TCommandEnabler& ce) {
        check(ce, Settings.Mute != 0);
        ce.Enable(Settings.ChangeMixer != 0);
    });
    command(1817, &TClient::CmMute);
    command(1828, &TClient::CmVolumeUp);
    OnCommandEnable(1828, [](OWL::TCommandEnabler& ce) { ce.Enable(Settings.ChangeMixer != 0); });
    command(1829, &TClient::CmVolumeDown);
    OnCommandEnable(1829, [](OWL::TCommandEnabler& ce) { ce.Enable(Settings.ChangeMixer != 0); });
    command(1806, &TClient::CmPlay);
    OnCommandEnable(1806, file_open);
    command(1826, &TClient::CmTogglePlay);
    OnCommandEnable(1826, file_open);
    command(1830, &TClient::CmHalfRate);
    command(1807, &TClient::CmStop);
    command(1808, &TClient::CmRecord);
    OnCommandEnable(1808, [](OWL::TCommandEnabler& ce) { ce.Enable(true); });
    command(1819, &TClient::CmRecordAudio);
    OnCommandEnable(1819, [](OWL::TCommandEnabler& ce) { ce.Enable(true); });
    command(1811, &TClient::CmSkipBackward);
    OnCommandEnable(1811, file_open);
    command(1810, &TClient::CmSkipForward);
    OnCommandEnable(1810, file_open);
    command(1803, &TClient::CmChannelUp);
    OnCommandEnable(1803, [=](OWL::TCommandEnabler& ce) { ce.Enable(not_recording()); });
    command(1804, &TClient::CmChannelDown);
    OnCommandEnable(1804, [=](OWL::TCommandEnabler& ce) { ce.Enable(not_recording()); });
    command(1825, &TClient::CmChannels);
    OnCommand(1814, [] { }); // the status text: a gadget that takes no action
    command(27000, &TClient::CmTunerProperties);
    command(27001, &TClient::CmCaptureFilterProperties);
    command(27002, &TClient::CmCapturePinProperties);
    command(27003, &TClient::CmCrossbarProperties);
    OnMessage(WM_GRAPHNOTIFY, [this](WPARAM wparam, LPARAM lparam) {
        if (m_player)
            PlayerGraphEvents(wparam, lparam);
        return LRESULT(0);
    });
    message(WM_POSITIONUPDATE, &TClient::EvPositionUpdate);
    OnMessage(WM_DEFERREDSTART, [this](WPARAM wparam, LPARAM lparam) { return EvDeferredStart(wparam, lparam); });
    OnMessage(WM_HSCROLL, [this](WPARAM wparam, LPARAM lparam) { return EvHScroll(wparam, lparam); });
    command(24331, &TClient::CmResetPlayback);
    command(24332, &TClient::CmOpen);
    command(24333, &TClient::CmRefreshPlayback);
    OnCommandEnable(24333, file_open);
    command(24334, &TClient::CmSaveAs);
    command(24339, &TClient::CmClose);
    OnCommandEnable(24339, file_open);
    command(25020, &TClient::CmProperties);
    OnCommandEnable(25020, file_open);
    OnCommand(28000, [] { });
    message(WM_CHANNELTYPED, &TClient::EvChannelTyped);
    message(MM_MIXM_CONTROL_CHANGE, &TClient::EvMixerControlChange);
    message(WM_TRAYMUTE, &TClient::CmMute);
    message(WM_TRAYTV, &TClient::CmTv);
    message(WM_VIDEOLAYOUT, &TClient::LayoutVideo);
    const LONG modes[] = { 1, 2, 0 };
    for (UINT i = 0; i < 3; ++i) {
        LONG mode = modes[i];
        OnCommand(25094 + i, [this, mode] { SetScreenMode(mode); });
        OnCommandEnable(25094 + i, [=, this](OWL::TCommandEnabler& ce) { check(ce, m_screenMode == mode); });
    }
}
