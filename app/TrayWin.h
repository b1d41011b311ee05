#pragma once

// TTrayWin: the mix-in that gives a window an icon in the notification area, with a tip, a
// right-click menu and minimise-to-tray. A frame derives from it beside its frame class (both share
// the virtual base TWindow), gives it an icon, a menu resource id and a tip, then shows the icon:
//
//     SetIcon(idle_icon);
//     SetMenu(1200);          // the icon's id, and the menu a right click opens
//     SetTip("Orbivane");
//     ShowIcon();             // added the first time, modified after
//
// A left press on the icon restores the window; releasing the right button opens the menu's first
// popup at the cursor, its commands going to this window. With minimise-to-tray on, minimising
// hides the window and leaves only the icon. Removal is idempotent, and the destructor removes it.

#include <owl/Window.h>
#include <shell/TrayIcon.h>

class TTrayWin : virtual public OWL::TWindow {
public:
    ~TTrayWin() override;

    // The icon to show (null for none); the next ShowIcon or Notify shows it.
    void SetIcon(HICON icon);
    // The icon's id and the menu resource it opens (0: no menu).
    void SetMenu(UINT menu_id);
    // The tip, cut to 63 bytes of whole characters and always terminated.
    void SetTip(const char* tip);
    // One call of the notification area: NIM_ADD, NIM_MODIFY or NIM_DELETE; anything else is ignored.
    void Notify(DWORD operation);
    // Adds the icon, or modifies it when it is there already.
    void ShowIcon();
    // Deletes the icon when it is there.
    void RemoveIcon();
    void SetMinimizeToTray(bool on) { MinimizeToTray = on ? 1 : 0; }
    bool GetMinimizeToTray() const { return MinimizeToTray != 0; }
    bool IsIconAdded() const { return Added != 0; }
    const NOTIFYICONDATAA& GetIconData() const { return IconData; }
    // Shows the window normally and brings it to the foreground, active.
    void Restore();

protected:
    TTrayWin();

    // WM_SYSCOMMAND: the default processing, then minimise-to-tray.
    LRESULT EvSysCommand(UINT command, LPARAM lparam);
    // The icon's callback: a left press restores, a right release opens the menu.
    LRESULT EvTrayNotify(UINT id, UINT mouse_message);

private:
    NOTIFYICONDATAA IconData {};
    BYTE Added = 0;
    BYTE MinimizeToTray = 0;
};
