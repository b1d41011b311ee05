// Menus and their items, resource menus, menu bars and popup tracking.

#include "Ops.h"
#include "ResourceTable.h"

#include <base/Errors.h>
#include <base/Text.h>
#include <user/Testing.h>

#include <cstdlib>
#include <map>

namespace user::detail {

namespace {

struct Item {
    UINT flags = 0;
    UINT_PTR id = 0;
    HMENU sub = nullptr;
    std::string text;
};

struct Menu {
    bool popup = false;
    std::vector<Item> items;
    int default_item = -1;
};

std::map<HMENU, std::shared_ptr<Menu>> s_menus;
std::uintptr_t s_next_menu = 0x30010;
user::detail::ResourceTable<MenuTemplate> s_resources;
PopupMenuPresenter s_presenter;
user::testing::PopupMenuScript s_script;
std::vector<user::testing::TrackedPopupMenu> s_journal;

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT | MF_MENUBREAK | MF_MENUBARBREAK;

std::shared_ptr<Menu> menu_of(HMENU handle)
{
    auto it = s_menus.find(handle);
    if (it == s_menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return it->second;
}

HMENU make_menu(bool popup)
{
    Guard guard(lock());
    HMENU handle = reinterpret_cast<HMENU>(s_next_menu);
    s_next_menu += 2;
    auto m = std::make_shared<Menu>();
    m->popup = popup;
    s_menus[handle] = m;
    return handle;
}

void destroy(HMENU handle)
{
    auto it = s_menus.find(handle);
    if (it == s_menus.end())
        return;
    auto m = it->second;
    s_menus.erase(it);
    for (auto& item : m->items)
        if (item.sub)
            destroy(item.sub);
}

// Finds an item by position or command (searching submenus); returns its menu and index.
bool locate(HMENU handle, UINT item, UINT flags, std::shared_ptr<Menu>* menu, std::size_t* index)
{
    auto m = menu_of(handle);
    if (!m)
        return false;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size())
            return false;
        *menu = m;
        *index = item;
        return true;
    }
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        auto& it = m->items[i];
        if (it.sub) {
            if (locate(it.sub, item, flags, menu, index))
                return true;
            if (reinterpret_cast<UINT_PTR>(it.sub) == item) {
                *menu = m;
                *index = i;
                return true;
            }
        } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
            *menu = m;
            *index = i;
            return true;
        }
    }
    return false;
}

Item make_item(UINT flags, UINT_PTR id, LPCSTR text)
{
    Item item;
    item.flags = flags & (kStateBits | MF_SEPARATOR | MF_POPUP | MF_BITMAP | MF_OWNERDRAW | MF_RIGHTJUSTIFY);
    if (flags & MF_POPUP) {
        item.sub = reinterpret_cast<HMENU>(id);
        if (auto sub = menu_of(item.sub))
            sub->popup = true;
    } else
        item.id = id;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text)
        item.text = text;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_POPUP)) && !text && id == 0)
        item.flags |= MF_SEPARATOR;
    return item;
}

HMENU build(const MenuTemplate& entries, bool popup)
{
    HMENU handle = make_menu(popup);
    for (auto& entry : entries) {
        if (entry.flags & MF_POPUP) {
            HMENU sub = build(entry.items, true);
            AppendMenuA(handle, (entry.flags & ~MF_POPUP) | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), entry.text.c_str());
        } else if (entry.flags & MF_SEPARATOR)
            AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(handle, entry.flags, entry.id, entry.text.c_str());
    }
    return handle;
}


// The submenus from `menu` down to the one holding the command (empty when it is not there).
bool path_to(HMENU menu, UINT command, std::vector<HMENU>& path)
{
    auto m = menu_of(menu);
    if (!m)
        return false;
    for (auto& item : m->items) {
        if (item.sub) {
            path.push_back(item.sub);
            if (path_to(item.sub, command, path))
                return true;
            path.pop_back();
        } else if (!(item.flags & MF_SEPARATOR) && item.id == command)
            return true;
    }
    return false;
}

std::string plain_text(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t')
            break;
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        if (text[i] == '&')
            ++i;
        out += text[i];
    }
    return out;
}

}

}

using namespace user::detail;

HMENU CreateMenu()
{
    return make_menu(false);
}

HMENU CreatePopupMenu()
{
    return make_menu(true);
}

BOOL DestroyMenu(HMENU menu)
{
    Guard guard(lock());
    if (!menu_of(menu))
        return FALSE;
    destroy(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    Guard guard(lock());
    return s_menus.count(menu) ? TRUE : FALSE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m)
        return FALSE;
    if ((flags & MF_POPUP) && !menu_of(reinterpret_cast<HMENU>(id)))
        return FALSE;
    m->items.push_back(make_item(flags, id, text));
    return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m)
        return FALSE;
    if ((flags & MF_POPUP) && !menu_of(reinterpret_cast<HMENU>(id)))
        return FALSE;
    Item item = make_item(flags, id, text);
    if (flags & MF_BYPOSITION) {
        std::size_t at = position >= m->items.size() ? m->items.size() : position;
        m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
        return TRUE;
    }
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, position, MF_BYCOMMAND, &owner, &index)) {
        m->items.push_back(std::move(item));
        return TRUE;
    }
    owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, position, flags & MF_BYPOSITION, &owner, &index))
        return FALSE;
    Item& old = owner->items[index];
    HMENU old_sub = old.sub;
    Item fresh = make_item(flags & ~MF_BYPOSITION, id, text);
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && !text)
        fresh.text = old.text;
    if (old_sub && old_sub != fresh.sub)
        destroy(old_sub);
    owner->items[index] = std::move(fresh);
    return TRUE;
}

static BOOL take_out(HMENU menu, UINT position, UINT flags, bool destroy_sub)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, position, flags, &owner, &index))
        return FALSE;
    HMENU sub = owner->items[index].sub;
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
    if (owner->default_item == static_cast<int>(index))
        owner->default_item = -1;
    if (sub && destroy_sub)
        destroy(sub);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    return take_out(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    return take_out(menu, position, flags, false);
}

HMENU GetSubMenu(HMENU menu, int position)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size())
        return nullptr;
    return m->items[static_cast<std::size_t>(position)].sub;
}

int GetMenuItemCount(HMENU menu)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size())
        return static_cast<UINT>(-1);
    auto& item = m->items[static_cast<std::size_t>(position)];
    if (item.sub)
        return static_cast<UINT>(-1);
    return static_cast<UINT>(item.id);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, item, flags & MF_BYPOSITION, &owner, &index))
        return static_cast<DWORD>(-1);
    auto& it = owner->items[index];
    DWORD previous = it.flags & MF_CHECKED;
    it.flags = (it.flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, item, flags & MF_BYPOSITION, &owner, &index))
        return -1;
    auto& it = owner->items[index];
    BOOL previous = static_cast<BOOL>(it.flags & (MF_GRAYED | MF_DISABLED));
    it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, item, flags & MF_BYPOSITION, &owner, &index))
        return static_cast<UINT>(-1);
    auto& it = owner->items[index];
    UINT state = it.flags & (kStateBits | MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW);
    if (owner->default_item == static_cast<int>(index))
        state |= MF_DEFAULT;
    if (it.sub) {
        auto sub = menu_of(it.sub);
        return (static_cast<UINT>(sub ? sub->items.size() : 0) << 8) | (state & 0xFF) | MF_POPUP;
    }
    return state;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags)
{
    Guard guard(lock());
    std::shared_ptr<Menu> owner;
    std::size_t index;
    if (!locate(menu, item, flags & MF_BYPOSITION, &owner, &index))
        return 0;
    const std::string& s = owner->items[index].text;
    if (!text || size <= 0)
        return static_cast<int>(s.size());
    return static_cast<int>(base::copy_bounded(text, static_cast<std::size_t>(size), s));
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT by_position)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m)
        return FALSE;
    if (item == static_cast<UINT>(-1)) {
        m->default_item = -1;
        return TRUE;
    }
    for (std::size_t i = 0; i < m->items.size(); ++i)
        if (by_position ? i == item : (!m->items[i].sub && m->items[i].id == item)) {
            m->default_item = static_cast<int>(i);
            return TRUE;
        }
    return FALSE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT by_position, UINT)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m || m->default_item < 0)
        return static_cast<UINT>(-1);
    if (by_position)
        return static_cast<UINT>(m->default_item);
    return static_cast<UINT>(m->items[static_cast<std::size_t>(m->default_item)].id);
}

BOOL SetMenu(HWND window, HMENU menu)
{
    auto w = checked(window);
    if (!w)
        return FALSE;
    {
        Guard guard(lock());
        if (w->style & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (menu && !menu_of(menu))
            return FALSE;
        w->menu = menu;
    }
    set_pos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

HMENU GetMenu(HWND window)
{
    auto w = checked(window);
    if (!w)
        return nullptr;
    Guard guard(lock());
    return (w->style & WS_CHILD) ? nullptr : w->menu;
}

BOOL DrawMenuBar(HWND window)
{
    if (!IsWindow(window))
        return FALSE;
    SendMessageA(window, WM_NCPAINT, 1, 0);
    return TRUE;
}

HMENU LoadMenuA(HINSTANCE, LPCSTR name)
{
    user::MenuTemplate entries;
    {
        Guard guard(lock());
        const user::MenuTemplate* found = s_resources.find(name);
        if (!found) {
            SetLastError(1814);   // ERROR_RESOURCE_NAME_NOT_FOUND
            return nullptr;
        }
        entries = *found;
    }
    return build(entries, false);
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS*)
{
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool notify = !(flags & TPM_NONOTIFY);
    if (notify) {
        SendMessageA(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    }
    user::PopupMenuCall call { menu, owner, x, y, flags };
    user::testing::PopupMenuScript script;
    user::PopupMenuPresenter presenter;
    {
        Guard guard(lock());
        script = s_script;
        presenter = s_presenter;
    }
    UINT chosen = script ? script(call) : presenter ? presenter(call) : 0;
    if (chosen) {
        std::vector<HMENU> path;
        if (!path_to(menu, chosen, path)) {
            chosen = 0;
        } else {
            if (notify)
                for (HMENU sub : path)
                    SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(0, FALSE));
            // The enablers ran: an item greyed now cannot be chosen.
            UINT state = GetMenuState(menu, chosen, MF_BYCOMMAND);
            if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP)))
                chosen = 0;
        }
    }
    {
        Guard guard(lock());
        s_journal.push_back({ call, chosen });
    }
    if (notify)
        SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (!chosen)
        return FALSE;
    PostMessageA(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

namespace user {

void register_menu(UINT id, MenuTemplate menu)
{
    Guard guard(lock());
    s_resources.add(id, std::move(menu));
}

void register_menu(const char* name, MenuTemplate menu)
{
    if (!name)
        return;
    Guard guard(lock());
    s_resources.add(name, std::move(menu));
}

void clear_menus()
{
    Guard guard(lock());
    s_resources.clear();
}

std::size_t live_menus()
{
    Guard guard(lock());
    return s_menus.size();
}

void set_popup_menu_presenter(PopupMenuPresenter presenter)
{
    Guard guard(lock());
    s_presenter = std::move(presenter);
}

namespace testing {

void set_popup_menu_script(PopupMenuScript script)
{
    Guard guard(lock());
    s_script = std::move(script);
}

std::vector<TrackedPopupMenu> popup_menu_journal()
{
    Guard guard(lock());
    return s_journal;
}

void reset_menus()
{
    Guard guard(lock());
    s_script = nullptr;
    s_journal.clear();
}

UINT find_menu_command(HMENU menu, const char* text)
{
    Guard guard(lock());
    auto m = menu_of(menu);
    if (!m || !text)
        return 0;
    for (auto& item : m->items) {
        if (item.sub) {
            if (UINT id = find_menu_command(item.sub, text))
                return id;
        } else if (!(item.flags & MF_SEPARATOR) && base::equals_ignoring_case(plain_text(item.text), text))
            return static_cast<UINT>(item.id);
    }
    return 0;
}

}

}
