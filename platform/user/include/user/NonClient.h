#pragma once

// The non-client area of top-level windows: frame, caption bar and menu bar.
//
// DefWindowProcA paints it on WM_NCPAINT (BeginPaint sends one to a top-level window with a frame,
// caption or menu; SetMenu and DrawMenuBar repaint it), answers WM_NCHITTEST with the HT* codes
// below, and tracks the menu bar on WM_NCLBUTTONDOWN over HTMENU, on F10 and on Alt+mnemonic:
// WM_INITMENU, then the item's popup through TrackPopupMenuEx (its WM_INITMENUPOPUP, presenter or
// test script, WM_COMMAND). The display module turns presses outside the client area into WM_NC*
// messages with non_client_hit's code.

#include <user/Window.h>

#include <vector>

#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
#define HTSYSMENU 3
#define HTMENU 5
#define HTLEFT 10
#define HTRIGHT 11
#define HTTOP 12
#define HTTOPLEFT 13
#define HTTOPRIGHT 14
#define HTBOTTOM 15
#define HTBOTTOMLEFT 16
#define HTBOTTOMRIGHT 17
#define HTBORDER 18

namespace user {

// The HT* code of a screen point for a window, from its geometry alone.
int non_client_hit(HWND window, POINT screen);
// The menu-bar items' rectangles in window coordinates (left to right; empty without a menu).
std::vector<RECT> menu_bar_items(HWND window);
// The menu-bar item at a screen point, -1 for none.
int menu_bar_item_at(HWND window, POINT screen);
// The menu-bar item being tracked, -1 when none (it is drawn highlighted).
int tracked_menu_bar_item(HWND window);

}
