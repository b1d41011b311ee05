// The display thread: opens the X connection, follows the windows and turns events into messages.

#include <present/Present.h>
#include <shell/TrayIcon.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/SessionEnd.h>
#include <user/SystemMetrics.h>
#include <user/Window.h>

#include "DirectPuts.h"
#include "MessageBoxWindow.h"
#include "PopupMenuWindow.h"
#include "Session.h"
#include "SharedSurfaces.h"

#include <X11/extensions/XShm.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace present {

namespace {

std::mutex s_mutex;
std::thread s_thread;
std::atomic<bool> s_running { false };
std::atomic<bool> s_stop { false };
std::atomic<bool> s_finished { false };
std::atomic<bool> s_lost { false }; // the X connection broke; the thread is parked
// Wakes the display thread; made once and kept, so an observer never writes to a closed pipe.
int s_wake[2] = { -1, -1 };
std::atomic<bool> s_use_shm { true };
shell::TrayObserver s_previous_tray; // the tray observer before start(), put back by stop()

// Set from a wake until the display thread takes it: one byte in the pipe serves any number.
std::atomic<bool> s_wake_pending { false };

void wake()
{
    if (s_wake_pending.exchange(true))
        return;
    char byte = 1;
    (void)!write(s_wake[1], &byte, 1);
}

bool make_wake_pipe()
{
    static bool made = [] {
        if (pipe(s_wake) != 0)
            return false;
        for (int fd : s_wake)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        return true;
    }();
    return made;
}

// Before the windows are looked at, which takes in the changes of every wake so far; a wake from
// then on writes again.
void drain_wake_pipe()
{
    char bytes[64];
    while (read(s_wake[0], bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes))
        ;
    s_wake_pending.store(false);
}

// A program that exits without stop() still ends the thread, or leaves it behind when it is stuck.
struct ExitGuard {
    ~ExitGuard()
    {
        if (!s_thread.joinable())
            return;
        s_stop.store(true);
        wake();
        for (int i = 0; i < 500 && !s_finished.load(); ++i)
            usleep(2000);
        if (s_finished.load() && !s_lost.load())
            s_thread.join();
        else
            s_thread.detach();
    }
};
ExitGuard s_exit_guard;

XErrorHandler s_previous_handler = nullptr;

// A tray manager may go away between finding it and writing to it: such a window error is not fatal.
int on_x_error(Display* display, XErrorEvent* error)
{
    // A drawing thread's put that met a window or segment just let go (DirectPuts.h).
    if (detail::is_direct_display(display))
        return 0;
    if (error->error_code == BadWindow)
        return 0;
    // A shared-memory segment the server cannot attach (another machine, another IPC namespace):
    // pictures go through plain XPutImage instead.
    if (detail::g_shm_opcode && error->request_code == detail::g_shm_opcode) {
        detail::g_shm_failed = true;
        return 0;
    }
    return s_previous_handler ? s_previous_handler(display, error) : 0;
}

// Headless when asked (ORBIVANE_HEADLESS set and not "0") or when there is no display; the
// latter is said once when nobody asked for it.
bool headless()
{
    const char* flag = std::getenv("ORBIVANE_HEADLESS");
    if (flag && *flag && std::strcmp(flag, "0") != 0)
        return true;
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        return false;
    if (!flag || !*flag)
        std::fprintf(stderr, "orbivane: no X display (DISPLAY is not set); running without windows\n");
    return true;
}

// The X connection is gone (the X server ended): the program is closed as at the session's end.
// Xlib ends the process when this returns, so the display thread stays here instead.
int on_x_io_error(Display* display)
{
    if (detail::is_direct_display(display))
        return 0; // its exit handler returns too: the display thread's connection ends the program
    user::end_session();
    s_lost.store(true);
    s_finished.store(true);
    for (;;)
        pause();
}

void run(detail::Session* session)
{
    detail::Session& s = *session;
    // Sleeps until X sends an event or the windows change (the display observer, the tray's).
    while (!s_stop.load()) {
        drain_wake_pipe();
        detail::sync_windows(s);
        detail::sync_tray(s);
        XFlush(s.display);
        pollfd fds[2] = { { ConnectionNumber(s.display), POLLIN, 0 }, { s_wake[0], POLLIN, 0 } };
        if (XPending(s.display) == 0 && !s_stop.load())
            poll(fds, 2, -1);
        while (!s_stop.load() && XPending(s.display) > 0) {
            XEvent event;
            XNextEvent(s.display, &event);
            detail::handle_event(s, event);
        }
    }
    detail::destroy_tray(s);
    detail::destroy_all(s);
    XFreeGC(s.display, s.gc);
    XCloseDisplay(s.display);
    delete session;
    s_finished.store(true);
}

}

bool start()
{
    std::lock_guard guard(s_mutex);
    if (s_running.load())
        return true;
    if (headless())
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* flag = std::getenv("ORBIVANE_HEADLESS");
        if (!flag || !*flag)
            std::fprintf(stderr, "orbivane: cannot open the X display %s; running without windows\n",
                std::getenv("DISPLAY"));
        return false;
    }
    static std::once_flag handler_once;
    std::call_once(handler_once, [] {
        s_previous_handler = XSetErrorHandler(on_x_error);
        XSetIOErrorHandler(on_x_io_error);
    });
    auto* s = new detail::Session;
    s->display = display;
    s->screen = DefaultScreen(display);
    s->root = RootWindow(display, s->screen);
    s->visual = DefaultVisual(display, s->screen);
    s->depth = DefaultDepth(display, s->screen);
    s->gc = XCreateGC(display, s->root, 0, nullptr);
    s->wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    s->wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    s->wm_state = XInternAtom(display, "WM_STATE", False);
    s->net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
    s->utf8_string = XInternAtom(display, "UTF8_STRING", False);
    s->net_supporting_wm_check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    s->net_wm_state = XInternAtom(display, "_NET_WM_STATE", False);
    s->net_wm_state_max_vert = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    s->net_wm_state_max_horz = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    s->motif_wm_hints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    s->net_wm_pid = XInternAtom(display, "_NET_WM_PID", False);
    s->net_wm_icon = XInternAtom(display, "_NET_WM_ICON", False);
    // A manager that starts or ends later changes the root's check property; a tray that starts
    // says so to the root's structure listeners (its MANAGER message).
    XSelectInput(display, s->root, PropertyChangeMask | StructureNotifyMask);
    int shm_event = 0, shm_error = 0;
    detail::g_shm_opcode = 0;
    if (s_use_shm.load() && XQueryExtension(display, "MIT-SHM", &detail::g_shm_opcode, &shm_event, &shm_error))
        s->shm = XShmQueryExtension(display) != False;
    s->managed = detail::window_manager_runs(*s);
    user::set_screen_size(DisplayWidth(display, s->screen), DisplayHeight(display, s->screen));
    std::string tray = "_NET_SYSTEM_TRAY_S" + std::to_string(s->screen);
    s->tray_selection = XInternAtom(display, tray.c_str(), False);
    s->tray_opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    s->xembed_info = XInternAtom(display, "_XEMBED_INFO", False);
    if (!make_wake_pipe()) {
        XFreeGC(display, s->gc);
        XCloseDisplay(display);
        delete s;
        return false;
    }
    s_stop.store(false);
    s_finished.store(false);
    s_running.store(true);
    drain_wake_pipe();
    user::set_display_observer(wake);
    // With shared memory the windows' surfaces are segments the server reads (SharedSurfaces.h).
    s->shared_surfaces = s->shm;
    if (s->shared_surfaces) {
        user::set_surface_maker(detail::make_shared_surface);
        if (detail::open_direct_puts(DisplayString(display)))
            user::set_paint_presenter(detail::put_direct);
    }
    // The tray's observer wakes the thread too; the one installed before still hears every change.
    s_previous_tray = shell::set_tray_observer({});
    shell::set_tray_observer([previous = s_previous_tray](shell::TrayEvent event, const shell::TrayIcon& icon) {
        if (previous)
            previous(event, icon);
        wake();
    });
    s_thread = std::thread(run, s);
    user::set_message_box_presenter(detail::show_message_box);
    user::set_popup_menu_presenter(detail::show_popup_menu);
    return true;
}

void stop()
{
    std::lock_guard guard(s_mutex);
    if (!s_running.load())
        return;
    user::set_message_box_presenter(nullptr);
    user::set_popup_menu_presenter(nullptr);
    user::set_paint_presenter(nullptr);
    user::set_display_observer(nullptr);
    user::set_surface_maker(nullptr);
    shell::set_tray_observer(std::move(s_previous_tray));
    s_previous_tray = nullptr;
    s_stop.store(true);
    wake();
    // The display thread may be waiting on a message sent to one of this thread's windows.
    while (!s_finished.load()) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        usleep(2000);
    }
    if (s_lost.load())
        s_thread.detach();
    else
        s_thread.join();
    detail::close_direct_puts();
    user::set_screen_size(0, 0);
    s_running.store(false);
}

bool running()
{
    return s_running.load();
}

void use_shared_memory(bool use)
{
    s_use_shm.store(use);
}

unsigned long direct_puts()
{
    return detail::direct_puts();
}

}
