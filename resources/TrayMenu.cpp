#include "TrayMenu.h"

#include <user/Menus.h>

using user::menu_item;
using user::menu_popup;
using user::menu_separator;

void RegisterTrayMenu()
{
    user::register_menu(IDM_TRAYMENU, {
        menu_popup("&Tray", {
            menu_item("&TV", CM_TRAYTV),
            menu_item("&Mute", CM_TRAYMUTE),
            menu_item("&Restore window", CM_TRAYRESTORE),
            menu_item("&About...", CM_TRAYABOUT),
            menu_separator(),
            menu_item("E&xit", CM_TRAYEXIT),
        }),
    });
}
