#pragma once

// A private Xvfb server for the tests that need a real X display. Another test program may take
// a display number at the same moment, so numbers from `first_number` on are tried in turn.
//
//     XvfbServer server;
//     if (!server.start(70, "800x600x24"))
//         GTEST_SKIP() << "Xvfb is not available";
//     setenv("DISPLAY", server.name().c_str(), 1);

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// A window can go between listing the screen's windows and reading one of them (a window
// manager's frame, a popup): that error is not the test's end. Other errors are reported.
inline int xvfb_test_error_handler(Display*, XErrorEvent* error)
{
    if (error->error_code != BadWindow)
        std::fprintf(stderr, "X error %d of request %d\n", error->error_code, error->request_code);
    return 0;
}

class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    ~XvfbServer()
    {
        if (m_display)
            XCloseDisplay(m_display);
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
    }

    // Starts the server with `screen` ("WxHxDepth") and connects to it; false when Xvfb is not
    // installed or does not start.
    bool start(int first_number, const char* screen)
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0)
            return false;
        int number = first_number + static_cast<int>(getpid() % 300);
        for (int attempt = 0; attempt < 8 && !m_display; ++attempt, ++number) {
            while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))
                || std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
                ++number;
            m_name = std::string(":").append(std::to_string(number));
            pid_t parent = getpid();
            m_server = fork();
            if (m_server == 0) {
                // Ends with the test process, even one killed for its time-out.
                prctl(PR_SET_PDEATHSIG, SIGTERM);
                if (getppid() != parent)
                    _exit(127);
                execl("/usr/bin/Xvfb", "Xvfb", m_name.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
                    static_cast<char*>(nullptr));
                _exit(127);
            }
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!m_display && std::chrono::steady_clock::now() < until) {
                if (waitpid(m_server, nullptr, WNOHANG) == m_server) {
                    m_server = 0; // it did not start
                    break;
                }
                m_display = XOpenDisplay(m_name.c_str());
                if (!m_display)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (!m_display && m_server > 0) { // started but never answered: not left behind
                kill(m_server, SIGTERM);
                waitpid(m_server, nullptr, 0);
                m_server = 0;
            }
        }
        if (m_display)
            XSetErrorHandler(xvfb_test_error_handler);
        return m_display != nullptr;
    }

    // Ends the server, as at the end of an X session; this test's connection is closed first.
    void stop()
    {
        if (m_display)
            XCloseDisplay(m_display);
        m_display = nullptr;
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
        m_server = 0;
    }

    // This test's connection to the server.
    Display* display() const { return m_display; }
    // The display name, ":N".
    const std::string& name() const { return m_name; }
    // The server's process.
    pid_t pid() const { return m_server; }

private:
    pid_t m_server = 0;
    Display* m_display = nullptr;
    std::string m_name;
};
