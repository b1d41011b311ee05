#pragma once

// The seam between this process's windows and the desktop shared with other processes.
//
// The window area keeps the process's top-level windows. Another module publishes them to other
// processes and makes theirs reachable:
//
//   * user::top_level_windows() lists this process's top-level windows (handle, class, title,
//     state), in z-order; user::set_desktop_observer(fn) calls fn (without locks held) after any
//     of them is created, destroyed, renamed, shown, hidden, minimised, restored or raised.
//   * user::set_foreign_desktop(desktop) installs the view of other processes' windows. FindWindowA
//     and FindWindowExA(NULL, ...) search it after the local windows, and calls on a handle that
//     is not local (IsWindow, IsIconic, IsWindowVisible, GetWindowTextA, GetClassNameA,
//     PostMessageA, SendMessageA, SendMessageTimeoutA, ShowWindow, SetForegroundWindow,
//     BringWindowToTop, SetWindowPos, GetWindowThreadProcessId) go to it.
//
// Handles carry the process that made them: user::window_process(hwnd) gives its id, so no two
// processes make the same HWND.

#include <user/Window.h>

#include <string>
#include <vector>

namespace user {

struct TopLevelWindow {
    HWND handle = nullptr;
    std::string class_name;
    std::string title;
    DWORD process_id = 0;
    DWORD thread_id = 0;
    DWORD style = 0;             // WS_VISIBLE, WS_MINIMIZE and WS_MAXIMIZE tell the show state
    DWORD ex_style = 0;          // WS_EX_TOPMOST
    RECT rect { 0, 0, 0, 0 };
    // ShowWindow calls on it so far (this process's windows): a change tells that the window has
    // acted on a show request, even when its state is the same again.
    unsigned show_calls = 0;
};

// This process's top-level windows, topmost first.
std::vector<TopLevelWindow> top_level_windows();

using DesktopObserver = void (*)();
void set_desktop_observer(DesktopObserver observer);

// Other processes' windows, as the cross-process module sees them.
class ForeignDesktop {
public:
    virtual ~ForeignDesktop() = default;
    virtual std::vector<TopLevelWindow> windows() = 0;
    virtual bool post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
    // Sends and waits up to timeout_ms (INFINITE: no limit); false when it failed or timed out.
    virtual bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms, LRESULT* result) = 0;
    virtual bool show(HWND window, int command) = 0;
    virtual bool set_foreground(HWND window) = 0;
    // Raises the window (SetWindowPos, BringWindowToTop); topmost: 1 set, -1 clear, 0 keep.
    virtual bool raise(HWND window, int topmost) = 0;
};

// Installs (or with nullptr removes) the foreign desktop; the caller keeps it alive.
void set_foreign_desktop(ForeignDesktop* desktop);

// The process id a window handle belongs to.
DWORD window_process(HWND window);
// Whether the handle was made by this process.
bool is_local_window(HWND window);

}
