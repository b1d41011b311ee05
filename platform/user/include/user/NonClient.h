#pragma once

// The non-client area of top-level windows: frame, caption bar and menu bar.
//
// DefWindowProcA paints it on WM_NCPAINT (BeginPaint sends one to a top-level window with a frame,
// caption or menu; SetMenu and DrawMenuBar repaint it), answers WM_NCHITTEST with the HT* codes
// below, and tracks the menu bar on WM_NCLBUTTONDOWN over HTMENU, on F10 and on Alt+mnemonic:
// WM_INITMENU, then the item's popup through TrackPopupMenuEx (its WM_INITMENUPOPUP, presenter or
// test script, WM_COMMAND). The display module turns presses outside the client area into WM_NC*
// messages with non_client_hit's code.
//
// The caption shows the system menu icon and the close, maximise and minimise buttons the styles
// ask for (WS_SYSMENU, WS_MAXIMIZEBOX, WS_MINIMIZEBOX). A press and release on one button sends
// WM_SYSCOMMAND (SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE or, when maximised, SC_RESTORE); a press on
// the icon, or Alt+Space, opens the system menu, whose choice is sent as WM_SYSCOMMAND too.

#include <user/Window.h>

#include <vector>

#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
#define HTSYSMENU 3
#define HTMENU 5
#define HTMINBUTTON 8
#define HTMAXBUTTON 9
#define HTLEFT 10
#define HTRIGHT 11
#define HTTOP 12
#define HTTOPLEFT 13
#define HTTOPRIGHT 14
#define HTBOTTOM 15
#define HTBOTTOMLEFT 16
#define HTBOTTOMRIGHT 17
#define HTBORDER 18
#define HTCLOSE 20

namespace user {

// The HT* code of a screen point for a window, from its geometry alone.
int non_client_hit(HWND window, POINT screen);
// The menu-bar items' rectangles in window coordinates (left to right; empty without a menu).
std::vector<RECT> menu_bar_items(HWND window);
// A caption button's rectangle in window coordinates (HTSYSMENU, HTMINBUTTON, HTMAXBUTTON,
// HTCLOSE); empty where the window's styles give no such button.
RECT caption_button(HWND window, int hit);
// What a window manager's frame replaces: the border and the caption (not the menu bar), as
// left, top, right and bottom widths; all 0 for a window without a caption.
RECT decoration_insets(HWND window);
// The icon WM_SETICON set (ICON_BIG or ICON_SMALL); null for none.
HICON window_icon(HWND window, int which);
// The menu-bar item at a screen point, -1 for none.
int menu_bar_item_at(HWND window, POINT screen);
// The menu-bar item being tracked, -1 when none (it is drawn highlighted).
int tracked_menu_bar_item(HWND window);

}
