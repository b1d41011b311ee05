// winmsg: lists the shared desktop's top-level windows and sends them messages.
//
//     winmsg list
//     winmsg post|send <class-or-title> <message> [wparam] [lparam]
//     winmsg show <class-or-title> <SW number>
//
// A message is a number (decimal or 0x hex) or a name such as WM_COMMAND or WM_CLOSE. Exit code
// 0 on success, 1 when the window is not found or does not answer, 2 on wrong usage.

#include <base/Text.h>
#include <user/SharedDesktop.h>
#include <user/User.h>
#include <base/Errors.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

struct NamedMessage {
    const char* name;
    UINT value;
};

constexpr NamedMessage kMessages[] = {
    { "WM_NULL", WM_NULL },
    { "WM_CLOSE", WM_CLOSE },
    { "WM_QUIT", WM_QUIT },
    { "WM_COMMAND", WM_COMMAND },
    { "WM_SYSCOMMAND", WM_SYSCOMMAND },
    { "WM_TIMER", WM_TIMER },
    { "WM_USER", WM_USER },
    { "WM_APP", 0x8000 },
};

int usage()
{
    std::fputs("usage: winmsg list\n"
               "       winmsg post|send <class-or-title> <message> [wparam] [lparam]\n"
               "       winmsg show <class-or-title> <SW number>\n",
        stderr);
    return 2;
}

std::optional<unsigned long long> number(const char* text)
{
    if (!text || !*text)
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    unsigned long long value = *text == '-' ? static_cast<unsigned long long>(std::strtoll(text, &end, 0))
                                            : std::strtoull(text, &end, 0);
    if (errno || *end)
        return std::nullopt;
    return value;
}

std::optional<UINT> message_of(const char* text)
{
    for (auto& m : kMessages)
        if (base::equals_ignoring_case(text, m.name))
            return m.value;
    auto n = number(text);
    if (!n || *n > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<UINT>(*n);
}

HWND find_window(const char* name)
{
    if (HWND w = FindWindowA(name, nullptr))
        return w;
    return FindWindowA(nullptr, name);
}

int list()
{
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, nullptr); w; w = FindWindowExA(nullptr, w, nullptr, nullptr)) {
        char class_name[256] = "";
        char title[512] = "";
        GetClassNameA(w, class_name, sizeof class_name);
        GetWindowTextA(w, title, sizeof title);
        const char* state = IsIconic(w) ? "iconic" : IsWindowVisible(w) ? "visible" : "hidden";
        std::printf("0x%016llx\t%s\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w)),
            class_name, title, state);
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    user::start_shared_desktop();
    std::string command = argv[1];
    if (command == "list")
        return argc == 2 ? list() : usage();

    if (command == "post" || command == "send") {
        if (argc < 4 || argc > 6)
            return usage();
        auto message = message_of(argv[3]);
        auto wparam = argc > 4 ? number(argv[4]) : std::optional<unsigned long long>(0);
        auto lparam = argc > 5 ? number(argv[5]) : std::optional<unsigned long long>(0);
        if (!message || !wparam || !lparam)
            return usage();
        HWND w = find_window(argv[2]);
        if (!w) {
            std::fprintf(stderr, "winmsg: no window \"%s\"\n", argv[2]);
            return 1;
        }
        auto wp = static_cast<WPARAM>(*wparam);
        auto lp = static_cast<LPARAM>(*lparam);
        if (command == "post") {
            if (!PostMessageA(w, *message, wp, lp)) {
                std::fprintf(stderr, GetLastError() == ERROR_ACCESS_DENIED ? "winmsg: \"%s\" refuses that message from outside\n"
                                                                           : "winmsg: cannot post to \"%s\"\n",
                    argv[2]);
                return 1;
            }
            return 0;
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(w, *message, wp, lp, SMTO_NORMAL, 10000, &result)) {
            std::fprintf(stderr, GetLastError() == ERROR_ACCESS_DENIED ? "winmsg: \"%s\" refuses that message from outside\n"
                                                                       : "winmsg: \"%s\" did not answer\n",
                argv[2]);
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(static_cast<LRESULT>(result)));
        return 0;
    }

    if (command == "show") {
        if (argc != 4)
            return usage();
        auto sw = number(argv[3]);
        if (!sw || *sw > 11)
            return usage();
        HWND w = find_window(argv[2]);
        if (!w) {
            std::fprintf(stderr, "winmsg: no window \"%s\"\n", argv[2]);
            return 1;
        }
        ShowWindow(w, static_cast<int>(*sw));
        return 0;
    }
    return usage();
}
