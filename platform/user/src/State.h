#pragma once

// The window area's shared state: classes and the window table, under one recursive lock.
//
// The lock is never held while a window procedure runs or while a thread waits; code copies what it
// needs, unlocks, then calls. Lock order: this lock before base::sync_mutex(), never the reverse.

#include <user/Desktop.h>

#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <vector>

namespace gdi {
class Surface;
}

namespace user::detail {

std::recursive_mutex& lock();
using Guard = std::lock_guard<std::recursive_mutex>;

struct Class {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int class_extra = 0;
    int window_extra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON small_icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menu_name;
    LPCSTR menu_resource = nullptr;   // the name as given, or MAKEINTRESOURCE
    int windows = 0;                  // live windows of the class
};

enum class Life { Creating, Alive, Destroying, Gone };

struct Window {
    HWND handle = nullptr;
    DWORD thread = 0;
    std::shared_ptr<Class> cls;
    WNDPROC proc = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr;            // the desktop for top-level windows
    HWND owner = nullptr;
    std::vector<HWND> children;       // z-order, top first
    LONG_PTR user_data = 0;
    UINT_PTR id = 0;
    HMENU menu = nullptr;
    HINSTANCE instance = nullptr;
    std::vector<BYTE> extra;
    RECT rect { 0, 0, 0, 0 };         // parent client coordinates (screen for top-level)
    RECT normal_rect { 0, 0, 0, 0 };  // restored placement while minimised or maximised
    Life life = Life::Creating;
    // Invalidation: a bounding rectangle in client coordinates.
    bool update = false;
    RECT update_rect { 0, 0, 0, 0 };
    bool erase = false;
    bool restore_maximized = false;   // minimised from maximised
    HWND last_popup = nullptr;        // the owned popup last active
    std::shared_ptr<gdi::Surface> surface;   // top-level windows only
    std::vector<RECT> damage;         // of the surface, changed since a display last took it
    HICON icon_big = nullptr;         // WM_SETICON
    HICON icon_small = nullptr;
    int pressed_button = 0;
    unsigned show_calls = 0;          // ShowWindow calls on it so far
    std::optional<WINDOWPOS> pending_pos; // an SWP_ASYNCWINDOWPOS request from another thread           // the caption button (HT* code) pressed and not yet released
};

// The window, while it exists (creating, alive or being destroyed); null otherwise.
std::shared_ptr<Window> find(HWND handle);
// As find(), setting ERROR_INVALID_WINDOW_HANDLE when there is none.
std::shared_ptr<Window> checked(HWND handle);
// Registers a new window and gives it a handle never used before.
HWND add(std::shared_ptr<Window> window);
// Removes a destroyed window from the table.
void remove(HWND handle);
// Every window of the table in tree order (parents first), desktop excluded.
std::vector<std::shared_ptr<Window>> all_windows();

std::shared_ptr<Class> find_class(LPCSTR name);

HWND desktop_handle();
Window& desktop();
bool is_top_level(const Window& w);
// The non-client widths of a window: left, top, right, bottom.
RECT insets(const Window& w);
RECT insets_for(DWORD style, DWORD ex_style, bool menu);
// The client area in the window's parent client coordinates.
RECT client_in_parent(const Window& w);
// The screen position of the window's client (0, 0) and of its window rectangle's corner.
POINT client_origin(const Window& w);
POINT window_origin(const Window& w);
// Whether the window and all its ancestors are visible.
bool shown(const Window& w);

// Calls the window's procedure on this thread (no lock held); 0 when the window is gone.
LRESULT call(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the desktop observer and the display observer; call with no lock held.
void desktop_changed();
// Runs the display observer (user/Paint.h); any thread, any lock held.
void display_changed();
// Other processes' top-level windows (empty without a foreign desktop).
std::vector<TopLevelWindow> foreign_windows();
ForeignDesktop* foreign();

}
