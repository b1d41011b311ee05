// This process's side of the shared desktop: the published windows file and the request socket.

#include "../Queue.h"
#include "Wire.h"

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <base/Errors.h>
#include <base/Process.h>
#include <base/Sync.h>
#include <base/Threads.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace user::shared {

ForeignDesktop& remote_desktop();
// Writes the windows file anew from the window table.
void publish();

namespace {

struct Host {
    DWORD pid = 0;
    std::uint64_t start_time = 0;
    std::string file;
    std::string socket;
    std::mutex write_lock;
};

// Never destroyed: the listener thread may still run while the process exits.
Host* s_host = nullptr;

void write_file(const std::vector<TopLevelWindow>& windows)
{
    std::lock_guard guard(s_host->write_lock);
    std::string temp = s_host->file + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << format_windows(s_host->pid, s_host->start_time, windows);
        if (!out.flush())
            return;
    }
    std::rename(temp.c_str(), s_host->file.c_str());
}

void remove_files()
{
    if (!s_host || getpid() != static_cast<pid_t>(s_host->pid))
        return;
    unlink(s_host->file.c_str());
    unlink(s_host->socket.c_str());
}

// Runs a call on the window's own thread and gives its result.
bool on_window_thread(HWND window, std::function<LRESULT()> task, LRESULT* result)
{
    return detail::run_on_window_thread(window, std::move(task), INFINITE, result);
}

Reply handle(const Request& r)
{
    Reply reply;
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(r.window));
    if (!is_local_window(window) || !IsWindow(window))
        return reply;
    auto message = static_cast<UINT>(r.message);
    auto wparam = static_cast<WPARAM>(r.wparam);
    auto lparam = static_cast<LPARAM>(r.lparam);
    LRESULT result = 0;
    bool ok = false;
    switch (r.op) {
    case Op::Post:
        ok = PostMessageA(window, message, wparam, lparam) != FALSE;
        break;
    case Op::Send: {
        DWORD_PTR value = 0;
        ok = SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, static_cast<UINT>(r.timeout), &value) != 0;
        result = static_cast<LRESULT>(value);
        break;
    }
    case Op::Show: {
        int command = static_cast<int>(r.argument);
        ok = on_window_thread(window, [=] { return static_cast<LRESULT>(ShowWindow(window, command)); }, &result);
        break;
    }
    case Op::Foreground:
        ok = on_window_thread(window, [=] { return static_cast<LRESULT>(SetForegroundWindow(window)); }, &result) && result;
        break;
    case Op::Raise: {
        HWND after = r.argument > 0 ? HWND_TOPMOST : r.argument < 0 ? HWND_NOTOPMOST : HWND_TOP;
        ok = on_window_thread(window,
                 [=] {
                     return static_cast<LRESULT>(SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
                 },
                 &result)
            && result;
        break;
    }
    }
    reply.ok = ok ? 1 : 0;
    reply.result = static_cast<std::int64_t>(result);
    return reply;
}

void serve(int fd)
{
    Request request;
    if (read_all(fd, &request, sizeof request) && request.magic == kMagic) {
        Reply reply = handle(request);
        write_all(fd, &reply, sizeof reply);
    }
    close(fd);
}

void listen_loop(int fd)
{
    for (;;) {
        int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE)
                continue;
            return;
        }
        std::thread(serve, client).detach();
    }
}

int open_listener(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}

void publish()
{
    if (s_host && getpid() == static_cast<pid_t>(s_host->pid))
        write_file(top_level_windows());
}

namespace {

void start_host()
{
    s_host = new Host;
    s_host->pid = static_cast<DWORD>(getpid());
    s_host->start_time = process_start_time(s_host->pid);
    s_host->file = desktop_windows_file(s_host->pid);
    s_host->socket = socket_file(s_host->pid);
    int fd = open_listener(s_host->socket);
    if (fd >= 0)
        std::thread(listen_loop, fd).detach();
    else
        std::fprintf(stderr, "orbivane: cannot listen on %s: %s\n", s_host->socket.c_str(), std::strerror(errno));
    // The window table is not read here: the first change publishes it.
    write_file({});
    std::atexit(remove_files);
}

}

}

namespace user::detail {
bool install_foreign_if_none(ForeignDesktop* desktop);
}

namespace user {

void start_shared_desktop()
{
    static std::once_flag once;
    std::call_once(once, [] {
        shared::start_host();
        detail::install_foreign_if_none(&shared::remote_desktop());
    });
}

}
