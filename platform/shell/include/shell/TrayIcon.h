#pragma once

// Notification-area icons: Shell_NotifyIconA over a registry of the icons the program shows.
//
// Each icon is known by its owner window and id. The registry keeps what the program set (callback
// message, icon handle, tip) so that tests and the on-screen presenter can read it, and an observer
// hears of every change. tray_click() plays a click on an icon: the owner gets the callback message
// posted with wParam = id and lParam = the mouse message, as from the real notification area.
// Only the first-version fields of NOTIFYICONDATAA are read; cbSize is not checked, since the
// program fills the record by its own size.
//
//     shell::set_tray_observer([](shell::TrayEvent, const shell::TrayIcon& icon) { redraw(icon); });
//     Shell_NotifyIconA(NIM_ADD, &data);                     // data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP
//     shell::tray_click(frame, 1200, WM_RBUTTONUP);           // frame gets (uCallbackMessage, 1200, WM_RBUTTONUP)

#include <base/Types.h>

#include <functional>
#include <string>
#include <vector>

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA*;

// Adds, changes or removes an icon. Adding needs a live owner window and an unused (owner, id);
// changing or removing an icon that is not there fails.
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);

namespace shell {

struct TrayIcon {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback_message = 0; // 0 until set with NIF_MESSAGE: clicks are then not reported
    HICON icon = nullptr;
    std::string tip; // at most 63 bytes, whole characters
};

enum class TrayEvent { Added, Modified, Deleted };

// One Shell_NotifyIconA call as the program made it.
struct TrayCall {
    DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE or anything else passed
    HWND owner = nullptr;
    UINT id = 0;
    UINT flags = 0;
    HICON icon = nullptr;
    std::string tip; // as the icon would show it (63 bytes at most)
    BOOL result = FALSE;
};
using TrayObserver = std::function<void(TrayEvent, const TrayIcon&)>;

// The icons shown now, in the order they were added.
std::vector<TrayIcon> tray_icons();
// Installs `observer` (empty: none), called after each change outside any lock; returns the previous one.
TrayObserver set_tray_observer(TrayObserver observer);
// Posts the owner's callback message for a click; false when the icon is unknown, has no callback
// message, or the post fails.
bool tray_click(HWND owner, UINT id, UINT mouse_message);
// Removes every icon without notifying (for tests).
void clear_tray_icons();
// Every call since the last clear_tray_calls(), in order (calls with a null record are not kept).
std::vector<TrayCall> tray_calls();
void clear_tray_calls();

}
