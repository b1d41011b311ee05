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
        m_pid = fork();
        if (m_pid == 0) {
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

    // Whether the screen's system tray has an owner.
    static bool tray_runs(Display* display)
    {
        Atom tray = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
        return XGetSelectionOwner(display, tray) != None;
    }

private:
    pid_t m_pid = 0;
};
