// A second process for the shared desktop tests: makes one top-level window and reports on
// standard output what reaches it.
//
//     desktop_peer <class> <title> [iconic] [fds=N]
//
// fds=N lowers the process's descriptor limit to N before anything opens.
// Prints "ready" once the window is published, "command <wparam> <lparam>" for each WM_COMMAND,
// "size <type>" for each WM_SIZE, and answers WM_USER + 1 with wparam + lparam. WM_USER + 2 is
// answered only after a line arrives on standard input; WM_USER + 4 sends WM_USER + 5 back to the
// window of class "ParentEcho" and answers with its result plus one. A posted WM_USER + 6 opens
// descriptors until there are none left, prints "exhausted", waits for a line on standard input,
// closes them and prints "released". WM_CLOSE ends it.

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

LRESULT CALLBACK PeerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        std::printf("command %llu %lld\n", static_cast<unsigned long long>(wparam), static_cast<long long>(lparam));
        std::fflush(stdout);
        return 0;
    case WM_SIZE:
        std::printf("size %llu\n", static_cast<unsigned long long>(wparam));
        std::fflush(stdout);
        return 0;
    case WM_USER + 1:
        return static_cast<LRESULT>(wparam) + lparam;
    case WM_USER + 2: {
        char line[64];
        return std::fgets(line, sizeof line, stdin) ? 1 : 0;
    }
    case WM_USER + 4: {
        DWORD_PTR result = 0;
        HWND parent = FindWindowA("ParentEcho", nullptr);
        if (!parent || !SendMessageTimeoutA(parent, WM_USER + 5, wparam, lparam, SMTO_NORMAL, 60000, &result))
            return -1;
        return static_cast<LRESULT>(result) + 1;
    }
    case WM_USER + 6: {
        std::vector<int> held;
        for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            held.push_back(fd);
        std::printf("exhausted\n");
        std::fflush(stdout);
        char line[64];
        bool got = std::fgets(line, sizeof line, stdin) != nullptr;
        for (int fd : held)
            close(fd);
        std::printf("released\n");
        std::fflush(stdout);
        return got ? 1 : 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    bool iconic = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "iconic") == 0)
            iconic = true;
        else if (std::strncmp(argv[i], "fds=", 4) == 0) {
            rlimit limit { std::strtoul(argv[i] + 4, nullptr, 10), std::strtoul(argv[i] + 4, nullptr, 10) };
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
                return 3;
        }
    }
    user::start_shared_desktop();
    WNDCLASSA wc {};
    wc.lpfnWndProc = PeerProc;
    wc.lpszClassName = argv[1];
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, argv[1], argv[2], WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, iconic ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
