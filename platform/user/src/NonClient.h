#pragma once

// Non-client painting and menu-bar tracking for DefWindowProcA (internal).

#include <user/Window.h>

namespace user::detail {

// Whether BeginPaint should send WM_NCPAINT to the window (top-level with a non-client area).
bool has_non_client(HWND window);
// Paints frame, caption and menu bar into the window's surface.
void paint_non_client(HWND window);
// Opens the menu-bar item's popup (or sends a plain item's command) and returns when it closes.
void track_menu_bar(HWND window, int item);
// F10 or Alt+letter on a window: tracks the matching menu-bar item; false when nothing matched.
bool menu_bar_key(HWND window, WPARAM vk, LPARAM lparam);

}
