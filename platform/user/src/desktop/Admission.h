#pragma once

// What another process may ask of this process's windows.
//
// Requests from outside reach top-level windows only, and carry wParam and lParam as plain
// numbers: nothing marshals a pointer from one process into another, so a message whose
// parameters this process would take for pointers (texts, records, callbacks) is refused.
// Admitted are the system messages whose parameters are numbers or handles (which are checked
// where they are used), a timer message without a procedure, and the messages a window class
// defines itself (WM_USER and above), except to the platform's dialog class, whose own
// messages take records.

#include <user/Desktop.h>

namespace user::shared {

// Whether another process may post or send the message to the window.
bool admits_foreign_message(HWND window, UINT message, LPARAM lparam);
// Whether another process may show, raise or activate the window.
bool admits_foreign_request(HWND window);

}
