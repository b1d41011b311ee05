#pragma once

// The desktop shared by all processes of the user: each process's top-level windows are visible
// to the others and reachable from them.
//
// A process publishes its top-level windows (handle, class, title, thread, style, rectangle) in
// "desktop-<pid>.windows" in base::runtime_folder(), replaced atomically whenever they change and
// removed at exit, and serves requests on the Unix socket "desktop-<pid>.sock" next to it: posted
// and sent messages (wParam and lParam as plain numbers), ShowWindow, SetForegroundWindow and
// raising. Each request runs on the thread of the window it names. The files of processes that
// have ended are ignored and removed, and a starting process removes those left by killed ones.
//
// The runtime folder is the user's alone (0700) and so is the socket (0600); connections from
// another user are closed unanswered. Requests reach top-level windows only, and a message
// whose parameters would be pointers in this process is refused from outside. A published
// process counts as running only while it exists, is no zombie and has the start time it
// published.
//
// It starts by itself the first time the window area creates a window or looks beyond this
// process (FindWindowA, a call on another process's handle); start_shared_desktop() starts it
// explicitly. Once started it is the installed user::ForeignDesktop unless another was set first.

#include <user/Desktop.h>

#include <string>

namespace user {

// Publishes this process's windows and installs the view of the others (idempotent).
void start_shared_desktop();

// The file in which a process publishes its windows.
std::string desktop_windows_file(DWORD process_id);

}
