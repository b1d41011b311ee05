#include "TrayWin.h"
#include "PrivateMessages.h"

#include <owl/Application.h>

#include <base/Text.h>
#include <base/Threads.h>
#include <user/Keyboard.h>
#include <user/Menus.h>

TTrayWin::TTrayWin()
{
    IconData.cbSize = 88;
    IconData.uCallbackMessage = WM_TRAYNOTIFY;
    OnMessage(WM_SYSCOMMAND, [this](WPARAM command, LPARAM lparam) {
        return EvSysCommand(static_cast<UINT>(command), lparam);
    });
    OnMessage(WM_TRAYNOTIFY, [this](WPARAM id, LPARAM mouse) {
        return EvTrayNotify(static_cast<UINT>(id), static_cast<UINT>(mouse));
    });
}

TTrayWin::~TTrayWin()
{
    RemoveIcon();
}

void TTrayWin::SetIcon(HICON icon)
{
    IconData.hIcon = icon;
}

void TTrayWin::SetMenu(UINT menu_id)
{
    IconData.uID = menu_id;
}

void TTrayWin::SetTip(const char* tip)
{
    base::copy_bounded(IconData.szTip, sizeof IconData.szTip, tip ? tip : "");
}

void TTrayWin::Notify(DWORD operation)
{
    // A window already destroyed keeps its last handle, so the icon it left can still be removed.
    if (GetHandle())
        IconData.hWnd = GetHandle();
    switch (operation) {
    case NIM_ADD:
        IconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        Added = 1;
        break;
    case NIM_MODIFY:
        IconData.uFlags = NIF_ICON | NIF_TIP;
        break;
    case NIM_DELETE:
        IconData.uFlags = NIF_ICON;
        Added = 0;
        break;
    default:
        return;
    }
    Shell_NotifyIconA(operation, &IconData);
}

void TTrayWin::ShowIcon()
{
    Notify(Added ? NIM_MODIFY : NIM_ADD);
}

void TTrayWin::RemoveIcon()
{
    if (Added)
        Notify(NIM_DELETE);
}

void TTrayWin::Restore()
{
    HWND window = GetHandle();
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);

    // Take the foreground window's input for a moment, so that the activation is allowed.
    DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD own_thread = GetCurrentThreadId();
    AttachThreadInput(foreground_thread, own_thread, TRUE);
    OWL::TApplication* app = GetApplication();
    OWL::TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    SetForegroundWindow(main ? main->GetHandle() : window);
    SetActiveWindow(window);
    AttachThreadInput(foreground_thread, own_thread, FALSE);
}

LRESULT TTrayWin::EvSysCommand(UINT command, LPARAM lparam)
{
    LRESULT result = DefaultProcessing(WM_SYSCOMMAND, command, lparam);
    if (!MinimizeToTray)
        return result;
    // The low four bits are the system's own.
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        ShowWindow(GetHandle(), SW_HIDE);
        ShowIcon();
        break;
    case SC_CLOSE:
        RemoveIcon();
        break;
    }
    return result;
}

LRESULT TTrayWin::EvTrayNotify(UINT, UINT mouse_message)
{
    if (mouse_message == WM_LBUTTONDOWN) {
        Restore();
    } else if (mouse_message == WM_RBUTTONUP && IconData.uID) {
        HMENU menu = GetModule()->LoadMenu(IconData.uID);
        HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
        if (popup) {
            SetMenuDefaultItem(popup, 0, TRUE);
            POINT cursor {};
            GetCursorPos(&cursor);
            HWND window = GetHandle();
            SetForegroundWindow(window);
            TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, window, nullptr);
        }
        if (menu)
            DestroyMenu(menu);
    }
    return 0;
}
