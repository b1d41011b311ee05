#include "Admission.h"

#include "../State.h"

#include <user/Messages.h>

namespace user::shared {

namespace {

// The system messages whose parameters are plain numbers or handles.
bool plain_system_message(UINT message, LPARAM lparam)
{
    switch (message) {
    case WM_NULL:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_SHOWWINDOW:
    case WM_ACTIVATEAPP:
    case WM_CANCELMODE:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return true;
    case WM_TIMER:
        // A timer message's lParam is the address of the procedure to call.
        return lparam == 0;
    default:
        return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    }
}

bool is_dialog_class(const std::string& name)
{
    return name == "#32770";
}

}

bool admits_foreign_request(HWND window)
{
    detail::Guard guard(detail::lock());
    auto w = detail::find(window);
    return w && w->life == detail::Life::Alive && detail::is_top_level(*w);
}

bool admits_foreign_message(HWND window, UINT message, LPARAM lparam)
{
    if (!admits_foreign_request(window))
        return false;
    if (message < WM_USER)
        return plain_system_message(message, lparam);
    if (message > 0xFFFF)
        return false;
    if (message < 0x8000) {
        detail::Guard guard(detail::lock());
        auto w = detail::find(window);
        return w && w->cls && !is_dialog_class(w->cls->name);
    }
    return true;
}

}
