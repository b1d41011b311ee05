// A window's menu bar: the class menu it is created with, and its end with the window.

#include "Ops.h"

#include <user/Menus.h>

namespace user::detail {

HMENU load_class_menu(HINSTANCE instance, LPCSTR name)
{
    return LoadMenuA(instance, name);
}

void destroy_window_menu(HMENU menu)
{
    DestroyMenu(menu);
}

}
