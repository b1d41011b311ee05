#pragma once

// A desktop program (a window manager such as openbox, a tray panel such as trayer) run on a test's
// X display for as long as the object lives. start() returns once `ready` holds on the display,
// so the test never races the program's start-up.
//
//     DesktopHelper manager;
//     if (!manager.start(server.name(), { "/usr/bin/openbox", "--sm-disable" },
//             [&] { return DesktopHelper::window_manager_frames(server.display()); }))
//         GTEST_SKIP() << "openbox is not available";

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class DesktopHelper {
public:
    DesktopHelper() = default;
    DesktopHelper(const DesktopHelper&) = delete;
    DesktopHelper& operator=(const DesktopHelper&) = delete;
    ~DesktopHelper() { stop(); }

    // Runs `argv` with DISPLAY=display (its output silenced); false when the program is not
    // installed, exits, or `ready` does not hold within 20 seconds.
    bool start(const std::string& display, std::vector<std::string> argv, const std::function<bool()>& ready)
    {
        if (argv.empty() || access(argv[0].c_str(), X_OK) != 0)
            return false;
        pid_t parent = getpid();
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM); // ends with the test process
            if (getppid() != parent)
                _exit(127);
            setenv("DISPLAY", display.c_str(), 1);
            (void)!freopen("/dev/null", "w", stdout);
            (void)!freopen("/dev/null", "w", stderr);
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = 0;
                return false;
            }
            if (ready())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        stop();
        return false;
    }

    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = 0;
    }

    // Whether a window manager runs on the display (_NET_SUPPORTING_WM_CHECK names a window).
    static bool window_manager_runs(Display* display)
    {
        Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                         &format, &count, &after, &data)
                == Success
            && data && count == 1;
        if (data)
            XFree(data);
        return found;
    }

    // Whether a window manager frames new windows: a probe window mapped on the display gets its
    // _NET_FRAME_EXTENTS (a manager sets its check property before it is ready for them).
    static bool window_manager_frames(Display* display)
    {
        if (!window_manager_runs(display))
            return false;
        Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(display, probe);
        Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
        bool framed = false;
        for (int i = 0; i < 100 && !framed; ++i) {
            Atom type;
            int format;
            unsigned long count = 0, after;
            unsigned char* data = nullptr;
            framed = XGetWindowProperty(display, probe, extents, 0, 4, False, AnyPropertyType, &type, &format, &count,
                         &after, &data)
                    == Success
                && data && count == 4;
            if (data)
                XFree(data);
            if (!framed)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        XDestroyWindow(display, probe);
        XSync(display, False);
        return framed;
    }

    // The manager's frame widths around a client window (_NET_FRAME_EXTENTS: left, right, top,
    // bottom); empty while it has none.
    static std::vector<long> frame_extents(Display* display, Window id)
    {
        Atom type;
        int format;
        unsigned long count = 0, after;
        unsigned char* data = nullptr;
        std::vector<long> out;
        if (XGetWindowProperty(display, id, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                XA_CARDINAL, &type, &format, &count, &after, &data)
                == Success
            && data && count == 4)
            out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + 4);
        if (data)
            XFree(data);
        return out;
    }

    // Asks the window manager, as a pager does, for `type` (_NET_WM_STATE, _NET_CLOSE_WINDOW...)
    // on a client window.
    static void ask_manager(Display* display, Window id, const char* type, long l0, long l1 = 0, long l2 = 0)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = XInternAtom(display, type, False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = l0;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = 2; // from a pager
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
            &event);
        XFlush(display);
    }

    // Whether the screen's system tray has an owner.
    static bool tray_runs(Display* display)
    {
        Atom tray = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
        return XGetSelectionOwner(display, tray) != None;
    }

private:
    pid_t m_pid = 0;
};
