#pragma once

// SDIDecFrame: the program's main window. A decorated frame around the client window, with the
// menu bar and accelerators, and a tray window for the notification-area icon.
//
// Its window class is "Orbivane", which a second start of the program looks for. Set-up puts the
// icon in the tray and applies the General options (ApplyOptions, again after Preferences): always
// on top, the tray icon, minimise-to-tray, and a minimised start the first time. The frame and tray
// icons follow the activity state when the client posts WM_UPDATESTATEICON; the tray menu's TV and
// Mute items post WM_TRAYTV and WM_TRAYMUTE to the client. A right click on the client or on the
// frame's border opens the frame context menu, whose commands go the usual command route; one on
// a control bar shows the help popup of the gadget under the pointer. The frame keeps a 4:3 shape
// for its maximised and tracking sizes.
//
//     auto* frame = new SDIDecFrame(nullptr, "Orbivane", client, true);
//     frame->AssignMenu(100);
//     app->SetMainWindow(frame);

#include "TrayWin.h"

#include <owl/DecoratedFrame.h>
#include <owl/GadgetWindow.h>

// The frame's window class; a second instance finds the first by it.
inline constexpr const char* MainWindowClass = "Orbivane";

class SDIDecFrame : public OWL::TDecoratedFrame, public TTrayWin {
public:
    SDIDecFrame(OWL::TWindow* parent, const char* title, OWL::TWindow* client, bool track_menu_selection = true,
        OWL::TModule* module = nullptr);
    ~SDIDecFrame() override;

    // The frame's big and small icons (from resources) and the tray's icon.
    using OWL::TFrameWindow::SetIcon;
    using TTrayWin::SetIcon;

    const char* GetClassName() override { return MainWindowClass; }

    // Always on top, tray icon, minimise-to-tray and the client's options from the settings; the
    // first call in the process also starts minimised when the command line asked for it.
    void ApplyOptions();

    // The control bar's two gadget windows, for context help over their gadgets (null: none).
    void SetGadgetWindows(OWL::TGadgetWindow* top, OWL::TGadgetWindow* bottom);

    HMENU GetContextMenu() const { return ContextMenu; }

    // The minimised start happens once per process; tests start a new "process" with this.
    static void ResetStartMinimized();

protected:
    void SetupWindow() override;
    // WM_CLOSE: the icon goes, then the usual close (which asks the application).
    void EvClose() override;

private:
    LRESULT EvUpdateStateIcon();
    LRESULT EvHideToTray();
    LRESULT EvGetMinMaxInfo(WPARAM wparam, LPARAM lparam);
    LRESULT EvSizing(WPARAM edge, LPARAM rect);
    LRESULT EvHelp(LPARAM info);
    LRESULT EvContextMenu(HWND window, LPARAM point);
    LRESULT EvNcRButtonDown();
    LRESULT EvTunerRequest(WPARAM family, LPARAM lparam);
    void CmTrayTv();
    void CmTrayMute();
    void CeTrayTv(OWL::TCommandEnabler& ce);
    void CeTrayMute(OWL::TCommandEnabler& ce);
    void CmTrayExit();

    void TrackContextMenu(POINT screen);
    void PostToClient(UINT message);

    // What the frame asks of the client window.
    void ClientApplyOptions();
    bool ClientSizing(UINT edge, RECT* rect);
    void ClientFrameMinimized(bool minimized);
    LRESULT ClientTunerRequest(WPARAM family, LPARAM lparam);

    HICON IdleIcon = nullptr;
    HICON RecordingIcon = nullptr;
    HICON TvIcon = nullptr;
    HMENU ContextMenu = nullptr;
    OWL::TGadgetWindow* GadgetWindows[2] = { nullptr, nullptr };
};
