// radio_standin: a stand-in for the radio program that shares the TV card's tuner, for the tests
// of the hand-over between two real processes. It makes a top-level window of class "Lunetto" on
// the shared desktop and takes commands, one a line, on standard input:
//
//     answer grant|refuse|silent   how to answer the TV program's requests from now on (grant)
//     ask <family>                 asks the window of class "Orbivane" for the tuner
//     return                       gives a tuner it holds back
//     quit
//
// It prints "ready" once its window is published, "request <family> <lparam>" for each request
// it is asked, "asked <result>" ("asked none" without a TV program, "asked timeout" when it does
// not answer), "holding" after a granted ask and "returned". A silent answer is given only after
// the next line arrives on standard input.

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr UINT WM_TUNERREQUEST = WM_USER + 147;
constexpr UINT WM_STANDIN_LINE = WM_APP + 1; // a line of standard input is waiting
constexpr LRESULT Refused = 15;

enum class Answer { Grant, Refuse, Silent };

std::mutex lines_lock;
std::condition_variable line_arrived;
std::deque<std::string> lines;
bool input_ended = false;
Answer answer = Answer::Grant;
bool holding = false;

void say(const char* format, auto... values)
{
    std::printf(format, values...);
    std::putchar('\n');
    std::fflush(stdout);
}

void ask(WPARAM family)
{
    HWND tv = FindWindowA("Orbivane", nullptr);
    if (!tv) {
        say("asked none");
        return;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(tv, WM_TUNERREQUEST, family, 13, SMTO_NORMAL, 10000, &result)) {
        say("asked timeout");
        return;
    }
    say("asked %lld", static_cast<long long>(result));
    if (static_cast<LRESULT>(result) != Refused) {
        holding = true;
        say("holding");
    }
}

void run(const std::string& line)
{
    if (line == "answer grant")
        answer = Answer::Grant;
    else if (line == "answer refuse")
        answer = Answer::Refuse;
    else if (line == "answer silent")
        answer = Answer::Silent;
    else if (line.rfind("ask ", 0) == 0)
        ask(std::strtoul(line.c_str() + 4, nullptr, 10));
    else if (line == "return" && holding) {
        holding = false;
        say("returned");
    } else if (line == "quit")
        PostQuitMessage(0);
}

LRESULT CALLBACK RadioProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_TUNERREQUEST: {
        say("request %llu %lld", static_cast<unsigned long long>(wparam), static_cast<long long>(lparam));
        if (answer == Answer::Silent) {
            std::unique_lock lock(lines_lock);
            line_arrived.wait(lock, [] { return !lines.empty() || input_ended; });
        }
        if (answer == Answer::Refuse)
            return Refused;
        holding = false;
        return 0;
    }
    case WM_STANDIN_LINE: {
        std::unique_lock lock(lines_lock);
        while (!lines.empty()) {
            std::string line = std::move(lines.front());
            lines.pop_front();
            lock.unlock();
            run(line);
            lock.lock();
        }
        if (input_ended)
            PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void read_input(HWND window)
{
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        {
            std::lock_guard lock(lines_lock);
            lines.push_back(std::move(line));
        }
        line_arrived.notify_all();
        PostMessageA(window, WM_STANDIN_LINE, 0, 0);
    }
    {
        std::lock_guard lock(lines_lock);
        input_ended = true;
    }
    line_arrived.notify_all();
    PostMessageA(window, WM_STANDIN_LINE, 0, 0);
}

}

int main()
{
    user::start_shared_desktop();
    WNDCLASSA wc {};
    wc.lpfnWndProc = RadioProc;
    wc.lpszClassName = "Lunetto";
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, "Lunetto", "Radio", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    say("ready");
    std::thread input(read_input, window);
    input.detach();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    DestroyWindow(window);
    std::fflush(stdout);
    std::_Exit(0);
}
