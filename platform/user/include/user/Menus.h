#pragma once

// Menus: menu bars and popup menus, their items and states, resource menus and popup tracking.
//
// Menu handles are never reused. Resource menus come from the tables the program's resource code
// registers at start (user::register_menu); LoadMenuA builds a fresh menu from one each time (the
// module handle is not looked at: the program has one resource set). A menu set on a window with
// SetMenu is destroyed with the window.
//
// TrackPopupMenu(Ex) is modal. On screen it is shown by the display module's presenter; headless a
// test's script (user/Testing.h) chooses the item or dismisses it, and with neither the menu is
// dismissed. The owner gets WM_ENTERMENULOOP, WM_INITMENUPOPUP for the menu (and for each submenu on
// the way to the chosen item) and WM_EXITMENULOOP; the chosen command is posted as WM_COMMAND, or
// returned with TPM_RETURNCMD. Greyed, disabled, separator and popup items cannot be chosen.
//
//     user::register_menu(100, {
//         user::menu_popup("&File", { user::menu_item("&Open...\tCtrl+O", 101), user::menu_separator(),
//                                     user::menu_item("E&xit", 102) }),
//     });
//     SetMenu(frame, LoadMenuA(module, MAKEINTRESOURCEA(100)));

#include <user/Window.h>

#include <functional>
#include <string>
#include <vector>

#define MF_INSERT 0x00000000u
#define MF_CHANGE 0x00000080u
#define MF_APPEND 0x00000100u
#define MF_DELETE 0x00000200u
#define MF_REMOVE 0x00001000u
#define MF_BYCOMMAND 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define MF_SEPARATOR 0x00000800u
#define MF_ENABLED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_UNCHECKED 0x00000000u
#define MF_CHECKED 0x00000008u
#define MF_USECHECKBITMAPS 0x00000200u
#define MF_STRING 0x00000000u
#define MF_BITMAP 0x00000004u
#define MF_OWNERDRAW 0x00000100u
#define MF_POPUP 0x00000010u
#define MF_MENUBARBREAK 0x00000020u
#define MF_MENUBREAK 0x00000040u
#define MF_UNHILITE 0x00000000u
#define MF_HILITE 0x00000080u
#define MF_DEFAULT 0x00001000u
#define MF_RIGHTJUSTIFY 0x00004000u
#define MFS_GRAYED 0x00000003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_DEFAULT MF_DEFAULT

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_HORIZONTAL 0x0000u
#define TPM_VERTICAL 0x0040u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

#define GMDI_USEDISABLED 0x0001u
#define GMDI_GOINTOPOPUPS 0x0002u

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its submenus.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// With MF_POPUP, `id` is the submenu's handle.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
// Inserts before the item at `position` (MF_BYPOSITION; -1 appends) or before a command.
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
// Removes an item and destroys its submenu.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// Removes an item; its submenu lives on.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// The command of the item at a position; -1 for a popup item or a bad position.
UINT GetMenuItemID(HMENU menu, int position);
// Returns the previous check state (MF_CHECKED or MF_UNCHECKED), -1 when there is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Returns the previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED), -1 when there is no such item.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT by_position);
UINT GetMenuDefaultItem(HMENU menu, UINT by_position, UINT flags);
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);
HMENU LoadMenuA(HINSTANCE module, LPCSTR name);
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params);

namespace user {

// One entry of a resource menu.
struct MenuItemTemplate {
    UINT flags = MF_STRING;                 // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, MF_POPUP ...
    UINT id = 0;
    std::string text;                       // "&" mnemonics and "\t" key texts kept as written
    std::vector<MenuItemTemplate> items;    // a popup's entries
};
using MenuTemplate = std::vector<MenuItemTemplate>;

inline MenuItemTemplate menu_item(const char* text, UINT id, UINT flags = MF_STRING)
{
    return { flags, id, text, {} };
}
inline MenuItemTemplate menu_separator()
{
    return { MF_SEPARATOR, 0, "", {} };
}
inline MenuItemTemplate menu_popup(const char* text, MenuTemplate items, UINT flags = 0)
{
    return { flags | MF_POPUP, 0, text, std::move(items) };
}

// Registers a resource menu under a numeric id or a name (names ignore case).
void register_menu(UINT id, MenuTemplate menu);
void register_menu(const char* name, MenuTemplate menu);
// Removes every registered menu (tests).
void clear_menus();
// Menus currently alive (tests use it to find leaks).
std::size_t live_menus();

// A popup menu being tracked.
struct PopupMenuCall {
    HMENU menu;
    HWND owner;
    int x;
    int y;
    UINT flags;
};
// Shows a popup menu on screen and returns the chosen command, 0 when dismissed.
using PopupMenuPresenter = std::function<UINT(const PopupMenuCall&)>;
// Installed by the display module; headless runs have none.
void set_popup_menu_presenter(PopupMenuPresenter presenter);

}
