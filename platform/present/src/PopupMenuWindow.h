#pragma once

// The on-screen popup menu: a borderless window listing the items, run modally. An item is chosen
// by a click (the right button too with TPM_RIGHTBUTTON), by Enter on the highlighted item (Up
// and Down move it) or by its underlined letter; a submenu opens on a click, Enter or Right, and
// Left or Escape closes it again. Escape on the first level, or a click outside, dismisses the
// menu. Greyed items and separators cannot be chosen.

#include <user/Menus.h>

namespace present::detail {

// Runs the menu modally on the calling thread; the chosen command, or 0 when dismissed.
UINT show_popup_menu(const user::PopupMenuCall& call);

}
