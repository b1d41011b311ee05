// Tracking the menu bar of a top-level window: mouse presses on it, F10 and Alt+mnemonic.

#include "NonClient.h"

#include <base/Text.h>
#include <user/Keyboard.h>
#include <user/Menus.h>
#include <user/Messages.h>
#include <user/NonClient.h>

#include <map>
#include <mutex>

namespace {

std::mutex s_mutex;
std::map<HWND, int> s_tracked;

void set_tracked(HWND window, int item)
{
    std::lock_guard guard(s_mutex);
    if (item < 0)
        s_tracked.erase(window);
    else
        s_tracked[window] = item;
}

// The letter after the first lone "&" of a menu text, lower case; 0 for none.
char mnemonic(const char* text)
{
    for (const char* p = text; *p; ++p) {
        if (*p != '&')
            continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return base::fold_ascii(p[1]);
    }
    return 0;
}

}

namespace user {

int tracked_menu_bar_item(HWND window)
{
    std::lock_guard guard(s_mutex);
    auto it = s_tracked.find(window);
    return it == s_tracked.end() ? -1 : it->second;
}

}

namespace user::detail {

void track_menu_bar(HWND window, int item)
{
    HMENU menu = GetMenu(window);
    auto items = user::menu_bar_items(window);
    if (!menu || item < 0 || item >= static_cast<int>(items.size()))
        return;
    set_tracked(window, item);
    paint_non_client(window);
    SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    if (HMENU sub = GetSubMenu(menu, item)) {
        RECT wr {};
        GetWindowRect(window, &wr);
        const RECT& r = items[static_cast<std::size_t>(item)];
        TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, wr.left + r.left, wr.top + r.bottom + 1,
            window, nullptr);
    } else {
        // A command straight on the bar.
        UINT id = GetMenuItemID(menu, item);
        UINT state = GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION);
        if (id != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)))
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    set_tracked(window, -1);
    if (IsWindow(window))
        paint_non_client(window);
}

bool menu_bar_key(HWND window, WPARAM vk, LPARAM lparam)
{
    HWND root = GetAncestor(window, GA_ROOT);
    if (!root)
        root = window;
    HMENU menu = GetMenu(root);
    if (!menu || GetMenuItemCount(menu) <= 0)
        return false;
    if (vk == VK_F10) {
        track_menu_bar(root, 0);
        return true;
    }
    bool alt = (lparam & (1 << 29)) != 0;
    bool letter = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
    if (!alt || !letter)
        return false;
    char wanted = base::fold_ascii(static_cast<char>(vk));
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        char text[256] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (mnemonic(text) == wanted) {
            track_menu_bar(root, i);
            return true;
        }
    }
    return false;
}

}
