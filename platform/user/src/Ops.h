#pragma once

// Operations the window area's files share (internal).

#include "State.h"

#include <user/Timers.h>

namespace user::detail {

// Moves, sizes and reorders (SetWindowPos without the checks); sends the WINDOWPOS messages.
bool set_pos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);
// Posted to a window whose position another thread asked for with SWP_ASYNCWINDOWPOS; the
// default window procedure applies the latest request on the window's own thread.
constexpr UINT WM_ASYNC_WINDOWPOS = 0x03FE;
void apply_pending_pos(HWND window);
// Where a top-level window goes in the z-order of the desktop's children.
void insert_top_level(Window& desktop_window, HWND handle, bool topmost);
// Invalidates a client rectangle (NULL: all) of a window, and its children unless WS_CLIPCHILDREN.
void invalidate(HWND window, const RECT* rect, bool erase);
// Activation and focus cleanup for a window leaving the screen (hidden, minimised or destroyed).
void deactivate_leaving(HWND window);
// Sets the foreground (active) window, sending WM_ACTIVATE; null deactivates.
void activate(HWND window);
// Drops the window's timers (it is being destroyed).
void kill_window_timers(HWND window);
// The message of the system's own timers (the caret's blink), dispatched to the system itself.
constexpr UINT WM_SYSTIMER = 0x0118;
// A timer of the system's own on this thread's queue (WM_SYSTIMER), apart from the program's.
void set_system_timer(HWND window, UINT_PTR id, UINT elapse);
void kill_system_timer(HWND window, UINT_PTR id);
// Whether this thread has the timer (window, id) with that procedure.
bool timer_has_proc(HWND window, UINT_PTR id, TIMERPROC proc);
// The caret (Caret.cpp): a blink tick; the owner window being destroyed; a paint of the window
// beginning (the caret is taken off its pixels) and ending (it is put back).
void caret_blink(HWND window, UINT_PTR id);
void caret_owner_destroyed(HWND window);
void caret_paint_begins(HWND window);
void caret_paint_ends(HWND window);
// Creates this thread's message queue if it has none.
void ensure_queue();
// Tells the window's thread that it may have something to paint.
void wake_thread(DWORD thread);
// The window's menu is destroyed with it.
void destroy_window_menu(HMENU menu);
HMENU load_class_menu(HINSTANCE instance, LPCSTR name);
// F1 over a window: WM_HELP for the window, with its control id and the cursor position.
LRESULT send_help(HWND window);
// The next atom of the process's atom space (classes and registered messages share it).
ATOM next_atom();

}

namespace user::detail {

// Keeps the thread's key state in step with a key or mouse message being retrieved.
void note_input(const MSG& msg);
// The character a key-down message makes (0 for none).
char char_for_key(UINT vk);
// The first window of the thread to paint that matches the filter, or null.
HWND paint_candidate(DWORD thread, HWND filter);
// The cursor position (screen coordinates).
POINT cursor_position();

}

namespace user::detail {

// The thread's focus window (null when none).
HWND focus_of_thread(DWORD thread);

}
