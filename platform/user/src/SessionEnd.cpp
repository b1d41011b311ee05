// Session end by signals: a self-pipe carries the first signal to a thread that posts the closes.

#include <user/Desktop.h>
#include <user/Messages.h>
#include <user/SessionEnd.h>
#include <user/Window.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace user {

namespace {

int s_pipe[2] = { -1, -1 };
std::atomic<bool> s_signalled { false };

void on_signal(int number)
{
    if (s_signalled.exchange(true))
        _exit(128 + number); // the second one: at once
    char byte = static_cast<char>(number);
    (void)!write(s_pipe[1], &byte, 1);
}

}

int end_session()
{
    int posted = 0;
    for (const auto& t : top_level_windows())
        if (!GetWindow(t.handle, GW_OWNER) && PostMessageA(t.handle, WM_CLOSE, 0, 0))
            ++posted;
    return posted;
}

void end_session_on_signals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (pipe(s_pipe) != 0)
            return;
        std::thread([] {
            char byte = 0;
            while (read(s_pipe[0], &byte, 1) == 1)
                end_session();
        }).detach();
        struct sigaction action {};
        action.sa_handler = on_signal;
        sigemptyset(&action.sa_mask);
        for (int number : { SIGTERM, SIGHUP, SIGINT })
            sigaction(number, &action, nullptr);
    });
}

}
