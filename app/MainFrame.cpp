#include "MainFrame.h"
#include "App.h"
#include "Client.h"
#include "PrivateMessages.h"

#include <dialogs/ContextHelpWin.h>
#include <resources/CommandIds.h>
#include <resources/StateIcons.h>
#include <resources/TrayMenu.h>
#include <settings/Settings.h>

#include <shell/Help.h>
#include <user/Keyboard.h>
#include <user/Menus.h>

namespace {

// The minimised start has happened (or was not asked for) in this process.
bool s_start_minimized_done = false;

// A WM_CONTEXTMENU point: signed screen coordinates, so that monitors left of or above the
// primary one work.
POINT context_point(LPARAM lparam)
{
    return { static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam)) };
}

// The menu key and Shift+F10 ask for a context menu with the point (-1, -1).
bool from_keyboard(LPARAM lparam)
{
    POINT point = context_point(lparam);
    return point.x == -1 && point.y == -1;
}

}

SDIDecFrame::SDIDecFrame(OWL::TWindow* parent, const char* title, OWL::TWindow* client, bool track_menu_selection,
    OWL::TModule* module)
    : OWL::TDecoratedFrame(parent, title, client, track_menu_selection, module)
{
    ContextMenu = CreatePopupMenu();
    struct Item {
        UINT id; // 0: a separator
        const char* text;
    };
    static constexpr Item items[] = {
        { CM_FULLSCREEN, "Full Screen\tAlt+Enter" },
        { CM_FULLWINDOW, "Full Window" },
        { CM_NORMALSCREEN, "Normal Screen" },
        { 0, nullptr },
        { CM_TV, "Tv" },
        { CM_TVAUDIOONLY, "TV audio only" },
        { CM_CHANNELUP, "Channel &up\tPgUp" },
        { CM_CHANNELDOWN, "Channel &down\tPgDn" },
        { CM_CHANNELS, "&Channels..." },
        { CM_ARCHIVES, "VCR archives..." },
        { CM_VCRTIMER, "VCR timer..." },
        { 0, nullptr },
        { CM_MUTE, "&Mute\tCtrl+Home" },
        { CM_VOLUMEUP, "Volume up\tAlt+Up-cursor" },
        { CM_VOLUMEDOWN, "Volume down\tAlt+Down-cursor" },
        { 0, nullptr },
        { CM_PLAY, "&Play\tCtrl+P" },
        { CM_STOP, "&Stop\tCtrl+S" },
        { CM_TOGGLEPLAY, "Toggle play\tSpace" },
        { CM_SKIPFORWARD, "Skip &forward\tRight-cursor" },
        { CM_SKIPBACKWARD, "Skip &backward\tLeft-cursor" },
        { CM_RECORD, "&Record\tCtrl+R" },
        { CM_RECORDAUDIO, "Record &audio" },
        { 0, nullptr },
        { CM_ABOUT, "&About..." },
    };
    for (const Item& item : items) {
        if (item.id)
            AppendMenuA(ContextMenu, MF_STRING, item.id, item.text);
        else
            AppendMenuA(ContextMenu, MF_SEPARATOR, 0, nullptr);
    }

    OnMessage(WM_GETMINMAXINFO, [this](WPARAM w, LPARAM l) { return EvGetMinMaxInfo(w, l); });
    OnMessage(WM_SIZING, [this](WPARAM w, LPARAM l) { return EvSizing(w, l); });
    OnMessage(WM_UPDATESTATEICON, [this](WPARAM, LPARAM) { return EvUpdateStateIcon(); });
    OnMessage(WM_HIDETOTRAY, [this](WPARAM, LPARAM) { return EvHideToTray(); });
    OnMessage(WM_HELP, [this](WPARAM, LPARAM l) { return EvHelp(l); });
    OnMessage(WM_CONTEXTMENU, [this](WPARAM w, LPARAM l) { return EvContextMenu(reinterpret_cast<HWND>(w), l); });
    OnMessage(WM_NCRBUTTONDOWN, [this](WPARAM, LPARAM) { return EvNcRButtonDown(); });
    OnMessage(WM_TUNERREQUEST, [this](WPARAM w, LPARAM l) { return EvTunerRequest(w, l); });
    OnCommand(CM_TRAYTV, [this] { CmTrayTv(); });
    OnCommandEnable(CM_TRAYTV, [this](OWL::TCommandEnabler& ce) { CeTrayTv(ce); });
    OnCommand(CM_TRAYMUTE, [this] { CmTrayMute(); });
    OnCommandEnable(CM_TRAYMUTE, [this](OWL::TCommandEnabler& ce) { CeTrayMute(ce); });
    OnCommand(CM_TRAYRESTORE, [this] { Restore(); });
    OnCommand(CM_TRAYABOUT, [this] { RouteCommand(CM_ABOUT); });
    OnCommand(CM_TRAYEXIT, [this] { CmTrayExit(); });
}

SDIDecFrame::~SDIDecFrame()
{
    if (ContextMenu)
        DestroyMenu(ContextMenu);
}

void SDIDecFrame::ResetStartMinimized()
{
    s_start_minimized_done = false;
}

void SDIDecFrame::SetGadgetWindows(OWL::TGadgetWindow* top, OWL::TGadgetWindow* bottom)
{
    GadgetWindows[0] = top;
    GadgetWindows[1] = bottom;
}

void SDIDecFrame::SetupWindow()
{
    OWL::TDecoratedFrame::SetupWindow();
    OWL::TModule* module = GetModule();
    IdleIcon = module->LoadIcon(IDI_IDLE_SMALL);
    RecordingIcon = module->LoadIcon(IDI_RECORDING_SMALL);
    TvIcon = module->LoadIcon(IDI_TV_SMALL);
    TTrayWin::SetIcon(IdleIcon);
    TTrayWin::SetMenu(IDM_TRAYMENU);
    SetTip("Orbivane");
    Notify(NIM_ADD);
    ApplyOptions();
}

void SDIDecFrame::ApplyOptions()
{
    SetWindowPos(GetHandle(), Settings.OnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    if (Settings.TrayIcon)
        ShowIcon();
    else
        RemoveIcon();
    SetMinimizeToTray(Settings.TrayIcon != 0);
    ClientApplyOptions();
    if (s_start_minimized_done)
        return;
    s_start_minimized_done = true;
    if (!Settings.StartMinimized)
        return;
    if (Settings.TrayIcon)
        PostMessageA(GetHandle(), WM_HIDETOTRAY, 0, 0);
    else
        PostMessageA(GetHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void SDIDecFrame::EvClose()
{
    RemoveIcon();
    OWL::TDecoratedFrame::EvClose();
    // Closing was refused: the window stays, and so must the icon that brings it back.
    if (GetHandle() && Settings.TrayIcon)
        ShowIcon();
}

LRESULT SDIDecFrame::EvUpdateStateIcon()
{
    UINT big = 0;
    UINT small = 0;
    HICON tray = nullptr;
    switch (Settings.ActivityState) {
    case ActivityIdle:
        big = IDI_IDLE;
        small = IDI_IDLE_SMALL;
        tray = IdleIcon;
        break;
    case ActivityRecording:
        big = IDI_RECORDING;
        small = IDI_RECORDING_SMALL;
        tray = RecordingIcon;
        break;
    case ActivityTv:
    case ActivityPlaying:
        big = IDI_TV;
        small = IDI_TV_SMALL;
        tray = TvIcon;
        break;
    default:
        break;
    }
    if (big) {
        OWL::TFrameWindow::SetIcon(GetModule(), big);
        SetIconSm(GetModule(), small);
        TTrayWin::SetIcon(tray);
    }
    if (Settings.TrayIcon)
        ShowIcon();
    return 0;
}

LRESULT SDIDecFrame::EvHideToTray()
{
    Show(SW_HIDE);
    return 0;
}

LRESULT SDIDecFrame::EvGetMinMaxInfo(WPARAM wparam, LPARAM lparam)
{
    ClientFrameMinimized(IsIconic(GetHandle()) != FALSE);
    LRESULT result = DefaultProcessing(WM_GETMINMAXINFO, wparam, lparam);
    if (auto* info = reinterpret_cast<MINMAXINFO*>(lparam)) {
        info->ptMaxSize.x = info->ptMaxSize.y * 4 / 3;
        info->ptMinTrackSize.x = info->ptMinTrackSize.y * 4 / 3;
        info->ptMaxTrackSize.x = info->ptMaxTrackSize.y * 4 / 3;
    }
    return result;
}

LRESULT SDIDecFrame::EvSizing(WPARAM edge, LPARAM rect)
{
    auto* r = reinterpret_cast<RECT*>(rect);
    if (!r)
        return FALSE;
    return ClientSizing(static_cast<UINT>(edge), r) ? TRUE : FALSE;
}

LRESULT SDIDecFrame::EvHelp(LPARAM lparam)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lparam);
    if (!info)
        return 0;
    int id = info->iContextType == HELPINFO_WINDOW ? GetDlgCtrlID(static_cast<HWND>(info->hItemHandle)) : info->iCtrlId;
    ShowHelpPopup(static_cast<DWORD>(id), GetHandle());
    return 0;
}

LRESULT SDIDecFrame::EvContextMenu(HWND window, LPARAM lparam)
{
    if (!window)
        return 0;
    // Over a control bar: the help of the gadget under the point, if any.
    for (OWL::TGadgetWindow* gadgets : GadgetWindows) {
        if (!gadgets || gadgets->GetHandle() != window)
            continue;
        POINT at = context_point(lparam);
        ScreenToClient(window, &at);
        if (OWL::TGadget* gadget = gadgets->GadgetFromPoint(at))
            ShowHelpPopup(static_cast<DWORD>(gadget->GetId()), GetHandle());
        return 0;
    }
    OWL::TWindow* client = GetClientWindow();
    if (!client || client->GetHandle() != window)
        return 0;
    POINT at = context_point(lparam);
    if (from_keyboard(lparam)) {
        // From the keyboard: at the client's top-left corner.
        at = { 0, 0 };
        ClientToScreen(window, &at);
    }
    TrackContextMenu(at);
    return 0;
}

LRESULT SDIDecFrame::EvNcRButtonDown()
{
    POINT cursor {};
    GetCursorPos(&cursor);
    TrackContextMenu(cursor);
    return 0;
}

void SDIDecFrame::TrackContextMenu(POINT screen)
{
    TrackPopupMenu(ContextMenu, 0, screen.x, screen.y, 0, GetHandle(), nullptr);
}

LRESULT SDIDecFrame::EvTunerRequest(WPARAM family, LPARAM lparam)
{
    return ClientTunerRequest(family, lparam);
}

void SDIDecFrame::PostToClient(UINT message)
{
    if (OWL::TWindow* client = GetClientWindow(); client && client->GetHandle())
        PostMessageA(client->GetHandle(), message, 0, 0);
}

void SDIDecFrame::CmTrayTv()
{
    PostToClient(WM_TRAYTV);
}

void SDIDecFrame::CmTrayMute()
{
    PostToClient(WM_TRAYMUTE);
}

void SDIDecFrame::CeTrayTv(OWL::TCommandEnabler& ce)
{
    ce.SetText(Settings.ActivityState == ActivityTv ? "TV off" : "TV on");
}

void SDIDecFrame::CeTrayMute(OWL::TCommandEnabler& ce)
{
    ce.SetText(Settings.Mute ? "Unmute" : "Mute");
}

void SDIDecFrame::CmTrayExit()
{
    PostMessageA(GetHandle(), WM_CLOSE, 0, 0);
}

void SDIDecFrame::ClientApplyOptions()
{
    if (auto* client = dynamic_cast<TClient*>(GetClientWindow()))
        client->ApplyClientOptions();
}

bool SDIDecFrame::ClientSizing(UINT edge, RECT* rect)
{
    auto* client = dynamic_cast<TClient*>(GetClientWindow());
    return !client || client->EvSizing(edge, rect);
}

void SDIDecFrame::ClientFrameMinimized(bool minimized)
{
    if (auto* client = dynamic_cast<TClient*>(GetClientWindow()))
        client->FrameMinimized(minimized);
}

LRESULT SDIDecFrame::ClientTunerRequest(WPARAM family, LPARAM lparam)
{
    if (auto* client = dynamic_cast<TClient*>(GetClientWindow()))
        return client->ReleaseTunerRequest(family, lparam);
    return 0;
}
