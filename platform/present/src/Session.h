#pragma once

// The display thread's state: the X connection and one X window per shown top-level window.
// Only the display thread touches it.

#include <gdi/Surface.h>
#include <user/Window.h>

#include "Image.h"

#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace present::detail {

struct XWin {
    Window id = 0;
    HWND hwnd = nullptr;
    std::string title;
    // The window rectangle the X window was last set to (or reported), in the program's screen
    // coordinates. Under a window manager the X window shows it without the border and caption
    // the manager draws instead: `inset` says how much of each side that is (0 without a manager).
    RECT rect { 0, 0, 0, 0 };
    RECT inset { 0, 0, 0, 0 };
    bool bare = false;            // override-redirect: placed and stacked by us, never framed
    // Maximised by the manager: what the X window's _NET_WM_STATE says (or was asked to say).
    bool zoomed = false;
    bool zoom_asked = false;      // the manager changed it; the window's SC_ message is on its way
    bool zoom_requested = false;  // we asked the manager; its ConfigureNotify has not come yet
    bool mapped = false;          // mapped as far as we know
    bool iconic = false;          // iconified on our request or by the window manager
    // The window manager iconified (or restored) the X window and the message asking the window
    // to follow is on its way: until the window follows, the X window is left as it is.
    enum class Asked { Nothing, Minimise, Restore } asked = Asked::Nothing;
    // The window's ShowWindow count when the message asking it to follow was posted (asked or
    // zoom_asked); any other count means it has acted.
    unsigned asked_at = 0;
    unsigned show_calls = 0;      // the count last seen
    unsigned long configure_serial = 0; // ConfigureNotify before this serial answer older requests
    // The X window's size before the last resize asked of it, while no answer has come: the
    // manager may still configure the window at that size before it takes the request.
    bool resize_pending = false;
    int size_before_width = 0, size_before_height = 0;
    HICON icon_big = nullptr;     // the icons _NET_WM_ICON shows
    HICON icon_small = nullptr;
    int cursor_shape = -1;        // the X font cursor defined on it (XC_xxx; -1 none yet)
    std::unique_ptr<Image> image; // the pixels last put on screen (the whole window's surface)
    std::shared_ptr<Segment> surface_segment; // when `image` is over the surface's own memory
};

// One notification-area icon docked in the system tray.
struct TrayWin {
    Window window = 0;
    HWND owner = nullptr;
    UINT id = 0;
    HICON icon = nullptr;
    std::string tip;
    int width = 22, height = 22; // as the tray manager sized it
    Time last_press = 0;         // of the left button, for double clicks
};

struct Session {
    Display* display = nullptr;
    int screen = 0;
    Window root = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    Atom wm_protocols = 0;
    Atom wm_delete_window = 0;
    Atom wm_state = 0;
    Atom net_wm_name = 0;
    Atom utf8_string = 0;
    Atom net_supporting_wm_check = 0;
    Atom net_wm_state = 0;
    Atom net_wm_state_max_vert = 0;
    Atom net_wm_state_max_horz = 0;
    Atom motif_wm_hints = 0;
    Atom net_wm_pid = 0;
    Atom net_wm_icon = 0;
    bool managed = false;         // a window manager runs (it frames the captioned windows)
    bool shm = false;             // pictures go through shared memory (MIT-SHM)
    bool shm_busy = false;        // shared images were put since the server was last synced with
    bool shared_surfaces = false; // window surfaces are made in shared memory (SharedSurfaces.h)
    std::vector<RECT> changed;    // the damage taken from one window (kept for its memory)
    // A caption dragged without a window manager: the window, where the pointer took it, and
    // the window's rectangle then.
    struct Drag {
        HWND hwnd = nullptr;
        POINT grab { 0, 0 };
        RECT start { 0, 0, 0, 0 };
    } drag;
    std::map<HWND, XWin> windows;
    Atom tray_selection = 0;      // _NET_SYSTEM_TRAY_S<screen>
    Atom tray_opcode = 0;         // _NET_SYSTEM_TRAY_OPCODE
    Atom xembed_info = 0;
    Window tray_manager = 0;      // the selection's owner when last looked, or 0
    std::vector<TrayWin> tray;
    std::map<int, Cursor> cursors; // X font cursors made so far, by XC_ shape

    XWin* by_id(Window id);
};

// Whether a window manager runs: the root's _NET_SUPPORTING_WM_CHECK names a live window that
// names itself.
bool window_manager_runs(Session& s);
// Reads the X window's _NET_WM_STATE: maximised both ways.
bool x_maximised(Session& s, Window id);
// The X window's geometry for a window rectangle.
RECT x_rect(const XWin& w);
// Brings the X windows in line with the top-level windows and puts their changed rectangles on
// screen.
void sync_windows(Session& s);
// Shows the current cursor (GetCursor) on the X window as the matching X font cursor.
void sync_cursor(Session& s, XWin& w);
// Puts the window's last pixels on screen again (expose, a new inset).
void repaint(Session& s, XWin& w);
// Destroys every X window.
void destroy_all(Session& s);
// Docks, updates and withdraws the notification-area icons in the system tray, where one runs.
void sync_tray(Session& s);
// Handles an event of a tray icon's window; false when it is not one.
bool tray_event(Session& s, XEvent& event);
// Destroys every tray icon's window.
void destroy_tray(Session& s);
// Turns one X event into window messages.
void handle_event(Session& s, XEvent& event);

}
