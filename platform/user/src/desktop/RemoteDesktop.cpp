// Other processes' windows: read from their windows files, reached through their sockets.

#include "../Queue.h"
#include "Wire.h"

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <base/Home.h>
#include <base/Errors.h>
#include <base/Process.h>
#include <base/Sync.h>
#include <base/Threads.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace user::shared {

namespace {

// How long a request other than a send may take to be answered.
constexpr std::int64_t kRequestWaitMs = 10000;
// A send's answer may come this long after its own time-out ran out on the other side.
constexpr std::int64_t kSendMarginMs = 2000;

std::int64_t now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int connect_to(DWORD pid)
{
    std::string path = socket_file(pid);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Waits for the socket to become readable up to wait_ms (-1: no limit). While waiting, messages
// that other threads (or, through them, other processes) send to this thread are handled, so two
// processes sending to each other do not block one another.
bool wait_readable(int fd, std::int64_t wait_ms)
{
    std::int64_t deadline = wait_ms < 0 ? -1 : now_ms() + wait_ms;
    bool has_queue = detail::queue_of(GetCurrentThreadId()) != nullptr;
    for (;;) {
        int slice = 20;
        if (deadline >= 0) {
            std::int64_t left = deadline - now_ms();
            if (left <= 0)
                return false;
            slice = static_cast<int>(std::min<std::int64_t>(left, slice));
        }
        pollfd p { fd, POLLIN, 0 };
        int n = poll(&p, 1, has_queue ? slice : (deadline < 0 ? -1 : slice));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
        if (has_queue) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        }
    }
}

bool request(const Request& r, std::int64_t wait_ms, Reply* reply)
{
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(r.window));
    if (is_local_window(window))
        return false;
    int fd = connect_to(window_process(window));
    if (fd < 0)
        return false;
    bool ok = write_all(fd, &r, sizeof r) && wait_readable(fd, wait_ms) && read_all(fd, reply, sizeof *reply)
        && reply->magic == kMagic;
    close(fd);
    return ok;
}

Request make(Op op, HWND window)
{
    Request r;
    r.op = op;
    r.window = reinterpret_cast<std::uintptr_t>(window);
    return r;
}

class RemoteDesktop final : public ForeignDesktop {
public:
    std::vector<TopLevelWindow> windows() override
    {
        std::vector<TopLevelWindow> out;
        DWORD self = GetCurrentProcessId();
        std::error_code error;
        for (auto& entry : std::filesystem::directory_iterator(base::runtime_folder(), error)) {
            std::string name = entry.path().filename().string();
            if (!name.starts_with("desktop-") || !name.ends_with(".windows"))
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            auto published = parse_windows(text);
            if (!published || published->pid == self
                || entry.path().string() != desktop_windows_file(published->pid))
                continue;
            if (!process_alive(published->pid, published->start_time)) {
                std::filesystem::remove(entry.path(), error);
                std::filesystem::remove(socket_file(published->pid), error);
                continue;
            }
            for (auto& w : published->windows)
                out.push_back(std::move(w));
        }
        return out;
    }

    bool post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        Request r = make(Op::Post, window);
        r.message = message;
        r.wparam = static_cast<std::uint64_t>(wparam);
        r.lparam = static_cast<std::uint64_t>(lparam);
        Reply reply;
        if (!request(r, kRequestWaitMs, &reply) || reply.ok != 1) {
            SetLastError(reply.ok == kRefused ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        return true;
    }

    bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms, LRESULT* result) override
    {
        Request r = make(Op::Send, window);
        r.message = message;
        r.wparam = static_cast<std::uint64_t>(wparam);
        r.lparam = static_cast<std::uint64_t>(lparam);
        r.timeout = timeout_ms;
        Reply reply;
        std::int64_t wait = timeout_ms == INFINITE ? -1 : static_cast<std::int64_t>(timeout_ms) + kSendMarginMs;
        if (!request(r, wait, &reply) || reply.ok != 1) {
            SetLastError(reply.ok == kRefused ? ERROR_ACCESS_DENIED : ERROR_TIMEOUT);
            return false;
        }
        if (result)
            *result = static_cast<LRESULT>(reply.result);
        return true;
    }

    bool show(HWND window, int command) override
    {
        Request r = make(Op::Show, window);
        r.argument = command;
        Reply reply;
        return request(r, kRequestWaitMs, &reply) && reply.ok && reply.result;
    }

    bool set_foreground(HWND window) override
    {
        Reply reply;
        return request(make(Op::Foreground, window), kRequestWaitMs, &reply) && reply.ok;
    }

    bool raise(HWND window, int topmost) override
    {
        Request r = make(Op::Raise, window);
        r.argument = topmost;
        Reply reply;
        return request(r, kRequestWaitMs, &reply) && reply.ok;
    }
};

}

ForeignDesktop& remote_desktop()
{
    static auto* desktop = new RemoteDesktop;
    return *desktop;
}

}
