#include "DirectPuts.h"

#include <user/Paint.h>

#include <X11/extensions/XShm.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace present::detail {

namespace {

std::mutex s_mutex; // held by each put and by the display thread's changes to the records
std::atomic<Display*> s_display { nullptr };
GC s_gc = nullptr; // the screen's default GC, which the connection owns
bool s_broken = false; // the connection failed: nothing more is sent on it
std::map<HWND, DirectWindow> s_windows;
std::vector<RECT> s_changed; // the damage taken for one put (kept for its memory)
std::atomic<unsigned long> s_puts { 0 };

// A lost connection must not end the process: the display thread's own connection notices the
// loss and closes the program as at the session's end.
void on_io_error_exit(Display*, void*)
{
    s_broken = true;
}

}

bool open_direct_puts(const char* display_name)
{
    std::lock_guard guard(s_mutex);
    if (s_display.load())
        return true;
    Display* display = XOpenDisplay(display_name);
    if (!display)
        return false;
    if (!XShmQueryExtension(display)) {
        XCloseDisplay(display);
        return false;
    }
    XSetIOErrorExitHandler(display, on_io_error_exit, nullptr);
    s_gc = DefaultGC(display, DefaultScreen(display));
    s_broken = false;
    s_display.store(display);
    return true;
}

void close_direct_puts()
{
    std::lock_guard guard(s_mutex);
    Display* display = s_display.load();
    s_windows.clear();
    if (!display)
        return;
    // Xlib leaves a connection that reported its loss locked by the thread it reported to, so
    // it is not touched again. Otherwise it is still this connection while it closes: a server
    // that is gone reports it here.
    if (!s_broken)
        XCloseDisplay(display);
    s_gc = nullptr;
    s_display.store(nullptr);
}

bool is_direct_display(Display* display)
{
    return display && display == s_display.load();
}

void publish_direct(HWND hwnd, const DirectWindow& window)
{
    std::lock_guard guard(s_mutex);
    if (s_display.load())
        s_windows[hwnd] = window;
}

void withdraw_direct(HWND hwnd)
{
    std::lock_guard guard(s_mutex);
    s_windows.erase(hwnd);
}

bool put_direct(HWND top_level)
{
    std::lock_guard guard(s_mutex);
    Display* display = s_display.load();
    if (!display || s_broken)
        return false;
    auto it = s_windows.find(top_level);
    if (it == s_windows.end())
        return false;
    const DirectWindow& w = it->second;
    std::shared_ptr<gdi::Surface> surface;
    if (!user::take_surface_damage(top_level, surface, s_changed))
        return false;
    // A new surface (the window was resized): the display thread shows it whole.
    if (segment_of(*surface).get() != w.segment)
        return false;
    w.image->put_shown(display, w.id, s_gc, s_changed, w.visible, w.dx, w.dy);
    XFlush(display); // xcb writes without SIGPIPE: a server gone shows as an I/O error
    s_puts.fetch_add(1);
    return true;
}

unsigned long direct_puts()
{
    return s_puts.load();
}

}
