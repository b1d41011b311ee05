#include <shell/TrayIcon.h>

#include <base/Errors.h>
#include <base/Text.h>
#include <user/Messages.h>
#include <user/Window.h>

#include <cstring>
#include <mutex>
#include <optional>

namespace shell {
namespace {

struct Tray {
    std::mutex lock;
    std::vector<TrayIcon> icons;
    TrayObserver observer;
    std::vector<TrayCall> calls;
};

Tray& tray()
{
    static Tray instance;
    return instance;
}

std::vector<TrayIcon>::iterator find_icon(std::vector<TrayIcon>& icons, HWND owner, UINT id)
{
    for (auto it = icons.begin(); it != icons.end(); ++it) {
        if (it->owner == owner && it->id == id)
            return it;
    }
    return icons.end();
}

// The tip as the icon keeps it: the field need not be terminated; read at most its 64 bytes and
// keep 63.
std::string tip_of(const NOTIFYICONDATAA& data)
{
    std::string_view text(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    char cut[sizeof data.szTip];
    base::copy_bounded(cut, sizeof cut, text);
    return cut;
}

void apply(TrayIcon& icon, const NOTIFYICONDATAA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        icon.callback_message = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP)
        icon.tip = tip_of(data);
}

}

std::vector<TrayIcon> tray_icons()
{
    std::lock_guard guard(tray().lock);
    return tray().icons;
}

TrayObserver set_tray_observer(TrayObserver observer)
{
    std::lock_guard guard(tray().lock);
    std::swap(tray().observer, observer);
    return observer;
}

bool tray_click(HWND owner, UINT id, UINT mouse_message)
{
    UINT message = 0;
    {
        std::lock_guard guard(tray().lock);
        auto it = find_icon(tray().icons, owner, id);
        if (it == tray().icons.end())
            return false;
        message = it->callback_message;
    }
    if (message == 0)
        return false;
    return PostMessageA(owner, message, static_cast<WPARAM>(id), static_cast<LPARAM>(mouse_message)) != FALSE;
}

void clear_tray_icons()
{
    std::lock_guard guard(tray().lock);
    tray().icons.clear();
}

std::vector<TrayCall> tray_calls()
{
    std::lock_guard guard(tray().lock);
    return tray().calls;
}

void clear_tray_calls()
{
    std::lock_guard guard(tray().lock);
    tray().calls.clear();
}

}

namespace {

BOOL notify(DWORD message, PNOTIFYICONDATAA data)
{
    using namespace shell;
    std::optional<TrayEvent> event;
    TrayIcon changed;
    TrayObserver observer;
    {
        std::lock_guard guard(tray().lock);
        auto& icons = tray().icons;
        auto it = find_icon(icons, data->hWnd, data->uID);
        switch (message) {
        case NIM_ADD:
            if (it != icons.end() || !data->hWnd || !IsWindow(data->hWnd))
                return FALSE;
            changed.owner = data->hWnd;
            changed.id = data->uID;
            apply(changed, *data);
            icons.push_back(changed);
            event = TrayEvent::Added;
            break;
        case NIM_MODIFY:
            if (it == icons.end())
                return FALSE;
            apply(*it, *data);
            changed = *it;
            event = TrayEvent::Modified;
            break;
        case NIM_DELETE:
            if (it == icons.end())
                return FALSE;
            changed = *it;
            icons.erase(it);
            event = TrayEvent::Deleted;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        observer = tray().observer;
    }
    if (observer)
        observer(*event, changed);
    return TRUE;
}

}

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data)
{
    using namespace shell;
    if (!data)
        return FALSE;
    BOOL result = notify(message, data);
    TrayCall call { message, data->hWnd, data->uID, data->uFlags, data->hIcon, tip_of(*data), result };
    std::lock_guard guard(tray().lock);
    tray().calls.push_back(std::move(call));
    return result;
}
