// Accelerator tables and their translation into WM_COMMAND.

#include "Ops.h"
#include "ResourceTable.h"

#include <base/Errors.h>
#include <base/Text.h>
#include <user/Accelerators.h>
#include <user/Keyboard.h>
#include <user/Menus.h>

#include <cstdlib>
#include <map>

namespace user::detail {

namespace {

std::map<HACCEL, std::vector<ACCEL>> s_tables;
std::uintptr_t s_next_table = 0x50010;
user::detail::ResourceTable<std::vector<ACCEL>> s_resources;


HACCEL make_table(std::vector<ACCEL> entries)
{
    Guard guard(lock());
    HACCEL handle = reinterpret_cast<HACCEL>(s_next_table);
    s_next_table += 2;
    s_tables[handle] = std::move(entries);
    return handle;
}

bool down(int vk)
{
    return GetKeyState(vk) < 0;
}

}

}

using namespace user::detail;

HACCEL CreateAcceleratorTableA(LPACCEL entries, int count)
{
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return make_table(std::vector<ACCEL>(entries, entries + count));
}

BOOL DestroyAcceleratorTable(HACCEL table)
{
    Guard guard(lock());
    return s_tables.erase(table) ? TRUE : FALSE;
}

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR name)
{
    std::vector<ACCEL> entries;
    {
        Guard guard(lock());
        const std::vector<ACCEL>* found = s_resources.find(name);
        if (!found) {
            SetLastError(1814);   // ERROR_RESOURCE_NAME_NOT_FOUND
            return nullptr;
        }
        entries = *found;
    }
    return make_table(std::move(entries));
}

int CopyAcceleratorTableA(HACCEL table, LPACCEL entries, int count)
{
    Guard guard(lock());
    auto it = s_tables.find(table);
    if (it == s_tables.end())
        return 0;
    int total = static_cast<int>(it->second.size());
    if (!entries)
        return total;
    int n = std::min(total, count);
    for (int i = 0; i < n; ++i)
        entries[i] = it->second[static_cast<std::size_t>(i)];
    return n;
}

int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG msg)
{
    if (!msg || !IsWindow(window))
        return 0;
    UINT m = msg->message;
    bool key = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    bool chr = m == WM_CHAR || m == WM_SYSCHAR;
    if (!key && !chr)
        return 0;
    std::vector<ACCEL> entries;
    {
        Guard guard(lock());
        auto it = s_tables.find(table);
        if (it == s_tables.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        entries = it->second;
    }
    bool alt = down(VK_MENU) || ((m == WM_SYSKEYDOWN || m == WM_SYSCHAR) && (msg->lParam & (1 << 29)));
    bool shift = down(VK_SHIFT), control = down(VK_CONTROL);
    for (const ACCEL& a : entries) {
        bool virt = (a.fVirt & FVIRTKEY) != 0;
        if (virt != key || a.key != static_cast<WORD>(msg->wParam))
            continue;
        if (virt && (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != control))
            continue;
        if (((a.fVirt & FALT) != 0) != alt)
            continue;
        HMENU menu = GetMenu(window);
        if (menu && GetMenuState(menu, a.cmd, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
            for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
                if (HMENU sub = GetSubMenu(menu, i))
                    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(i, FALSE));
            UINT state = GetMenuState(menu, a.cmd, MF_BYCOMMAND);
            if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)))
                return 1;
        }
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

namespace user {

void register_accelerators(UINT id, std::vector<ACCEL> table)
{
    Guard guard(lock());
    s_resources.add(id, std::move(table));
}

void register_accelerators(const char* name, std::vector<ACCEL> table)
{
    if (!name)
        return;
    Guard guard(lock());
    s_resources.add(name, std::move(table));
}

void clear_accelerators()
{
    Guard guard(lock());
    s_resources.clear();
}

}
