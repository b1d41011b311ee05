// This process's side of the shared desktop: the published windows file and the request socket.

#include "../Queue.h"
#include "Admission.h"
#include "Server.h"
#include "Wire.h"

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <base/Errors.h>
#include <base/Home.h>
#include <base/Process.h>
#include <base/Sync.h>
#include <base/Threads.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
    if (!is_local_window(window) || !admits_foreign_request(window))
        return reply;
    auto message = static_cast<UINT>(r.message);
    auto wparam = static_cast<WPARAM>(r.wparam);
    auto lparam = static_cast<LPARAM>(r.lparam);
    if ((r.op == Op::Post || r.op == Op::Send) && !admits_foreign_message(window, message, lparam)) {
        reply.ok = kRefused;
        return reply;
    }
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
    // The folder is private; the socket is the owner's alone as well, whatever the umask.
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || chmod(path.c_str(), 0600) != 0
        || listen(fd, 64) != 0) {
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

// The pid a desktop file belongs to ("desktop-<pid>.windows", ".windows.new" or ".sock"); 0 for
// other names.
DWORD owner_of(const std::string& name)
{
    if (!name.starts_with("desktop-"))
        return 0;
    std::size_t end = name.find('.');
    std::string tail = end == std::string::npos ? "" : name.substr(end);
    if (tail != ".windows" && tail != ".windows.new" && tail != ".sock")
        return 0;
    std::string digits = name.substr(8, end - 8);
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    unsigned long long pid = std::stoull(digits);
    return pid <= 0xFFFFFFFFull ? static_cast<DWORD>(pid) : 0;
}

// Removes the files of processes that ended without removing them (killed, crashed): every file
// of a process whose windows file names a run that is over, or of a process that is gone.
void remove_stale_files(const std::string& folder, DWORD self)
{
    std::error_code error;
    std::map<DWORD, std::vector<std::filesystem::path>> files;
    for (auto& entry : std::filesystem::directory_iterator(folder, error))
        if (DWORD pid = owner_of(entry.path().filename().string()); pid && pid != self)
            files[pid].push_back(entry.path());
    for (auto& [pid, paths] : files) {
        std::ifstream in(desktop_windows_file(pid), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto published = in ? parse_windows(text) : std::nullopt;
        // Without a whole windows file the process may still be starting (or ending): only its
        // absence counts.
        bool alive = published && published->pid == pid ? process_alive(pid, published->start_time) : process_exists(pid);
        if (!alive)
            for (auto& path : paths)
                std::filesystem::remove(path, error);
    }
}

// Whether the folder is a directory of this user's that no one else may enter (made so when
// it is this user's).
bool private_folder(const std::string& folder)
{
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    return (st.st_mode & 077) == 0 || chmod(folder.c_str(), 0700) == 0;
}

void start_host()
{
    s_host = new Host;
    s_host->pid = static_cast<DWORD>(getpid());
    s_host->start_time = process_start_time(s_host->pid);
    s_host->file = desktop_windows_file(s_host->pid);
    s_host->socket = socket_file(s_host->pid);
    std::string folder = base::runtime_folder();
    if (!private_folder(folder)) {
        std::fprintf(stderr, "orbivane: %s is not a private folder of this user; other programs will not see this one's windows\n",
            folder.c_str());
        delete s_host;
        s_host = nullptr;
        return;
    }
    remove_stale_files(folder, s_host->pid);
    // The window table is not read here: the first change publishes it.
    write_file({});
    std::atexit(remove_files);
    int fd = open_listener(s_host->socket);
    if (fd >= 0)
        start_server(fd, handle);
    else
        std::fprintf(stderr, "orbivane: cannot listen on %s: %s\n", s_host->socket.c_str(), std::strerror(errno));
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
