// The shared desktop against hostile or broken peers: forged pointers from another process,
// other users, connection floods, and the files of processes that are dead, stopped or forged.

#include "PeerProcess.h"
#include "desktop/Wire.h"

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <base/Errors.h>
#include <base/Home.h>

#include <TempHome.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

using namespace peer_process;
using user::shared::Op;
using user::shared::Reply;
using user::shared::Request;

struct Received {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
std::vector<Received> g_received;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_TIMER:
    case WM_GETTEXT:
    case WM_SETTEXT:
    case WM_GETMINMAXINFO:
    case WM_NOTIFY:
    case WM_USER + 1:
        g_received.push_back({ message, wparam, lparam });
        break;
    }
    if (message == WM_USER + 1)
        return 42;
    return DefWindowProcA(window, message, wparam, lparam);
}

bool g_forged_called = false;
int g_timer_calls = 0;
void CALLBACK ForgedProc(HWND, UINT, UINT_PTR, DWORD) { g_forged_called = true; }
void CALLBACK CountingProc(HWND, UINT, UINT_PTR, DWORD) { ++g_timer_calls; }

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs the winmsg tool while this thread serves its windows (a send waits for them).
ToolResult winmsg_served(std::vector<std::string> args)
{
    args.insert(args.begin(), WINMSG_TOOL);
    Child tool;
    spawn(tool, args);
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
    while (waitpid(tool.pid, &status, WNOHANG) != tool.pid) {
        if (std::chrono::steady_clock::now() > deadline)
            return { -1, "" };
        pump();
        usleep(2000);
    }
    tool.pid = -1;
    std::string output;
    char chunk[256];
    for (ssize_t n; (n = read(tool.out, chunk, sizeof chunk)) > 0;)
        output.append(chunk, static_cast<std::size_t>(n));
    return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, output };
}

int connect_unix(const std::string& path, bool nonblocking = false)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonblocking ? SOCK_NONBLOCK : 0), 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int thread_count(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Threads:", 0) == 0)
            return std::atoi(line.c_str() + 8);
    return -1;
}

char process_state(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

// Polls `condition` every 10 ms for up to a minute.
template<typename Condition>
bool eventually(Condition condition)
{
    for (int i = 0; i < kStartWaitMs / 10; ++i) {
        if (condition())
            return true;
        usleep(10000);
    }
    return false;
}

// Opens up to `count` connections to the socket that send nothing, retrying while its queue is full.
void flood(const std::string& path, int count, int retries, std::vector<int>& sockets)
{
    for (int i = 0; i < count; ++i) {
        for (int attempt = 0; attempt < retries; ++attempt) {
            if (int fd = connect_unix(path, true); fd >= 0) {
                sockets.push_back(fd);
                break;
            }
            usleep(1000);
        }
    }
}

// A process that waits until it is killed.
pid_t start_sleeper()
{
    pid_t pid = fork();
    if (pid == 0) {
        for (;;)
            pause();
    }
    return pid;
}

class HostileDesktopTest : public testing::Test {
protected:
    HWND start_peer(const char* class_name, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args { DESKTOP_PEER, class_name, class_name };
        args.insert(args.end(), extra.begin(), extra.end());
        spawn(peer, args);
        if (!peer.expect("ready"))
            return nullptr;
        return FindWindowA(class_name, nullptr);
    }
    void TearDown() override
    {
        for (int fd : sockets)
            close(fd);
        if (peer.pid > 0)
            kill(peer.pid, SIGCONT);
    }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }

    Child peer;
    std::vector<int> sockets;
};

TEST_F(HostileDesktopTest, PointersFromAnotherProcessAreRefusedAndTheWindowGoesOnServing)
{
    static const ATOM registered = [] {
        WNDCLASSA wc {};
        wc.lpfnWndProc = TargetProc;
        wc.lpszClassName = "HostileTarget";
        return RegisterClassA(&wc);
    }();
    ASSERT_NE(registered, 0);
    HWND target = CreateWindowExA(0, "HostileTarget", "Target title", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
        nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    g_received.clear();

    // Each names an address of the sender's choice as a procedure, text buffer or record.
    const std::vector<std::string> forged[] = {
        { "post", "HostileTarget", "WM_TIMER", "1", "0x414141414141" },
        { "send", "HostileTarget", "0x000D", "100", "0x41414141" }, // WM_GETTEXT
        { "send", "HostileTarget", "0x000C", "0", "0x41414141" },   // WM_SETTEXT
        { "send", "HostileTarget", "0x0024", "0", "0x41414141" },   // WM_GETMINMAXINFO
        { "post", "HostileTarget", "0x004E", "1", "0x41414141" },   // WM_NOTIFY
        { "send", "HostileTarget", "0x004A", "0", "0x41414141" },   // WM_COPYDATA
        { "post", "HostileTarget", "0x10111", "7", "9" },           // past the message numbers
    };
    for (const auto& args : forged)
        EXPECT_EQ(winmsg_served(args).exit_code, 1) << args[0] << " " << args[2];
    pump();
    EXPECT_TRUE(g_received.empty()) << g_received.front().message;
    char title[32] = "";
    GetWindowTextA(target, title, sizeof title);
    EXPECT_STREQ(title, "Target title");
    g_received.clear();

    // Plain numbers still reach it.
    EXPECT_EQ(winmsg_served({ "post", "HostileTarget", "WM_COMMAND", "5", "6" }).exit_code, 0);
    EXPECT_EQ(winmsg_served({ "send", "HostileTarget", "1025", "0", "0" }).output, "42\n");
    pump();
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[1].message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(g_received[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(g_received[0].wparam, 5u);
    EXPECT_EQ(g_received[0].lparam, 6);

    // Within the process too, a timer message calls only a procedure SetTimer registered.
    PostMessageA(target, WM_TIMER, 1, reinterpret_cast<LPARAM>(&ForgedProc));
    ASSERT_EQ(SetTimer(target, 7, 100000, CountingProc), 7u);
    PostMessageA(target, WM_TIMER, 7, reinterpret_cast<LPARAM>(&CountingProc));
    PostMessageA(target, WM_TIMER, 7, reinterpret_cast<LPARAM>(&ForgedProc));
    pump();
    EXPECT_FALSE(g_forged_called);
    EXPECT_EQ(g_timer_calls, 1);
    KillTimer(target, 7);
    DestroyWindow(target);
}

TEST_F(HostileDesktopTest, FolderAndSocketAreTheOwnersAloneAndOtherUsersAreClosedUnanswered)
{
    // A fresh runtime folder, made by a peer started with no umask at all; one left open by
    // an older run is closed again.
    std::string runtime = test_support::make_temp_dir("orbivane-runtime");
    std::string opened = test_support::make_temp_dir("orbivane-runtime");
    struct Removed {
        std::vector<std::string> folders;
        ~Removed()
        {
            std::error_code ignored;
            for (auto& f : folders)
                std::filesystem::remove_all(f, ignored);
        }
    } removed { { runtime, opened } };
    std::filesystem::create_directory(opened + "/orbivane");
    chmod((opened + "/orbivane").c_str(), 0777);
    std::string saved = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    mode_t mask = umask(0);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    spawn(peer, { DESKTOP_PEER, "PrivatePeer", "Private" });
    Child second;
    setenv("XDG_RUNTIME_DIR", opened.c_str(), 1);
    spawn(second, { DESKTOP_PEER, "OpenedPeer", "Opened" });
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    umask(mask);
    ASSERT_TRUE(peer.expect("ready"));
    ASSERT_TRUE(second.expect("ready"));

    std::string folder = runtime + "/orbivane";
    std::string socket_path = folder + "/desktop-" + std::to_string(peer.pid) + ".sock";
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(socket_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((opened + "/orbivane").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    kill(second.pid, SIGKILL);

    if (geteuid() != 0)
        GTEST_SKIP() << "a connection from another user needs root to make";
    // Opened up by hand, the socket still answers no other user.
    std::ifstream published(folder + "/desktop-" + std::to_string(peer.pid) + ".windows");
    std::string text((std::istreambuf_iterator<char>(published)), std::istreambuf_iterator<char>());
    auto windows = user::shared::parse_windows(text);
    ASSERT_TRUE(windows && windows->windows.size() == 1) << text;
    Request request;
    request.op = Op::Post;
    request.window = reinterpret_cast<std::uintptr_t>(windows->windows[0].handle);
    request.message = WM_COMMAND;
    request.wparam = 7;
    request.lparam = 9;
    chmod(runtime.c_str(), 0711);
    chmod(folder.c_str(), 0711);
    chmod(socket_path.c_str(), 0666);
    pid_t other = fork();
    if (other == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        int fd = connect_unix(socket_path);
        if (fd < 0)
            _exit(4);
        if (send(fd, &request, sizeof request, MSG_NOSIGNAL) != sizeof request)
            _exit(0); // closed before the request was even taken
        Reply reply;
        _exit(read(fd, &reply, sizeof reply) > 0 ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    // The owner's own request through the same socket is answered, and is the first to arrive.
    int fd = connect_unix(socket_path);
    ASSERT_GE(fd, 0);
    request.wparam = 1;
    request.lparam = 2;
    ASSERT_EQ(write(fd, &request, sizeof request), static_cast<ssize_t>(sizeof request));
    Reply reply;
    ASSERT_EQ(read(fd, &reply, sizeof reply), static_cast<ssize_t>(sizeof reply));
    close(fd);
    EXPECT_EQ(reply.ok, 1u);
    EXPECT_EQ(peer.line(), "command 1 2");
}

TEST_F(HostileDesktopTest, AFloodOfIdleConnectionsCostsNoThreadsAndRealRequestsAreServed)
{
    HWND w = start_peer("PeerFlood");
    ASSERT_NE(w, nullptr);
    flood(user::shared::socket_file(static_cast<DWORD>(peer.pid)), 300, 1000, sockets);
    ASSERT_GT(sockets.size(), 250u);

    EXPECT_TRUE(PostMessageA(w, WM_COMMAND, 3, 4));
    EXPECT_TRUE(peer.expect("command 3 4"));
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 2, 3), 5);
    EXPECT_LE(thread_count(peer.pid), 24);

    // A connection that never sends its request is closed by the peer.
    pollfd p { sockets.back(), POLLIN, 0 };
    ASSERT_EQ(poll(&p, 1, kStartWaitMs), 1);
    char byte;
    EXPECT_LE(read(sockets.back(), &byte, 1), 0);
}

int open_descriptors(pid_t pid)
{
    std::error_code error;
    int count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

TEST_F(HostileDesktopTest, AFloodLeavesAPeerWithFewDescriptorsMostOfThemAndItStillServes)
{
    HWND w = start_peer("PeerFewFiles", { "fds=40" });
    ASSERT_NE(w, nullptr);
    int before = open_descriptors(peer.pid);
    flood(user::shared::socket_file(static_cast<DWORD>(peer.pid)), 200, 10, sockets);
    // A quarter of its 40 at most, and one being taken.
    EXPECT_LE(open_descriptors(peer.pid), before + 11);
    EXPECT_TRUE(PostMessageA(w, WM_COMMAND, 5, 6));
    EXPECT_TRUE(peer.expect("command 5 6"));
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 20, 1), 21);
}

// The processor time (user and system, in clock ticks) the process has used.
long cpu_ticks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::atol(field.c_str());
    return ticks;
}

TEST_F(HostileDesktopTest, APeerOutOfDescriptorsWaitsInsteadOfSpinningAndServesOnceItHasSomeAgain)
{
    HWND w = start_peer("PeerExhausted", { "fds=64" });
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PostMessageA(w, WM_USER + 6, 0, 0));
    ASSERT_TRUE(peer.expect("exhausted"));
    // Connections wait in the socket's queue; the peer cannot take them.
    flood(user::shared::socket_file(static_cast<DWORD>(peer.pid)), 20, 10, sockets);
    long before = cpu_ticks(peer.pid);
    usleep(1000000);
    // Retrying at once would take most of that second (100 ticks); waiting takes next to none.
    EXPECT_LT(cpu_ticks(peer.pid) - before, 30);
    ASSERT_EQ(write(peer.in, "go\n", 3), 3);
    ASSERT_TRUE(peer.expect("released"));
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 30, 3), 33);
}

TEST_F(HostileDesktopTest, AZombiePeerIsGoneAndAStoppedOneIsSeenButDoesNotAnswer)
{
    HWND w = start_peer("PeerStopped");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(kill(peer.pid, SIGSTOP), 0);
    ASSERT_TRUE(eventually([&] { return process_state(peer.pid) == 'T'; }));
    EXPECT_EQ(FindWindowA("PeerStopped", nullptr), w);
    DWORD_PTR result = 0;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    kill(peer.pid, SIGCONT);
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 1, 1), 2);

    // Killed and not yet reaped: its files are still there, its process a zombie.
    DWORD pid = static_cast<DWORD>(peer.pid);
    ASSERT_EQ(kill(peer.pid, SIGKILL), 0);
    ASSERT_TRUE(eventually([&] { return process_state(peer.pid) == 'Z'; }));
    ASSERT_TRUE(exists(user::desktop_windows_file(pid)));
    EXPECT_EQ(FindWindowA("PeerStopped", nullptr), nullptr);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(exists(user::desktop_windows_file(pid)));
    EXPECT_FALSE(exists(user::shared::socket_file(pid)));
}

TEST_F(HostileDesktopTest, AFileNamingALiveProcessButNotItsRunIsForgedAndRemoved)
{
    pid_t live = start_sleeper();
    ASSERT_GT(live, 0);
    std::uint64_t started = user::shared::process_start_time(static_cast<DWORD>(live));
    ASSERT_NE(started, 0u);
    auto handle = (static_cast<unsigned long long>(live) << 32) | 0x10;
    std::string file = user::desktop_windows_file(static_cast<DWORD>(live));
    for (std::uint64_t forged : { std::uint64_t { 0 }, started + 1 }) {
        SCOPED_TRACE(forged);
        std::ofstream(file) << "orbivane-desktop " << live << " " << forged << "\n"
                            << handle << "\t1\t" << WS_VISIBLE << "\t0\t0\t0\t10\t10\tForgedLive\tForged\n";
        EXPECT_EQ(FindWindowA("ForgedLive", nullptr), nullptr);
        EXPECT_FALSE(exists(file));
    }
    // With its real start time the same file stands for the process.
    std::ofstream(file) << "orbivane-desktop " << live << " " << started << "\n"
                        << handle << "\t1\t" << WS_VISIBLE << "\t0\t0\t0\t10\t10\tForgedLive\tForged\n";
    EXPECT_NE(FindWindowA("ForgedLive", nullptr), nullptr);
    kill(live, SIGKILL);
    waitpid(live, nullptr, 0);
    EXPECT_EQ(FindWindowA("ForgedLive", nullptr), nullptr);
}

TEST_F(HostileDesktopTest, FilesOfKilledProcessesAreRemovedWhenAProcessStarts)
{
    auto ended = [] {
        pid_t pid = fork();
        if (pid == 0)
            _exit(0);
        waitpid(pid, nullptr, 0);
        return pid;
    };
    pid_t saving = ended(), listening = ended();
    pid_t live = start_sleeper();
    std::string folder = base::runtime_folder();
    auto name = [&](pid_t pid, const char* tail) { return folder + "/desktop-" + std::to_string(pid) + tail; };
    // Killed while replacing its windows file, and killed before publishing any.
    std::ofstream(name(saving, ".windows")) << "orbivane-desktop " << saving << " 1\n";
    std::ofstream(name(saving, ".windows.new")) << "orbivane-desktop " << saving << " 1\n";
    std::ofstream(name(listening, ".sock")) << "";
    std::ofstream(name(live, ".sock")) << ""; // a process that may be starting: kept

    ASSERT_NE(start_peer("PeerCleaner"), nullptr);
    EXPECT_FALSE(exists(name(saving, ".windows.new")));
    EXPECT_FALSE(exists(name(saving, ".windows")));
    EXPECT_FALSE(exists(name(listening, ".sock")));
    EXPECT_TRUE(exists(name(live, ".sock")));
    kill(live, SIGKILL);
    waitpid(live, nullptr, 0);
    std::filesystem::remove(name(live, ".sock"));
}

}

namespace {

TEST(DesktopWire, WindowsFilesAndRequestsWithNumbersOutOfRangeAreRefused)
{
    std::string head = "orbivane-desktop 4242 99\n";
    std::string handle = std::to_string((4242ull << 32) | 0x10);
    auto line = [&](const std::string& thread, const std::string& left) {
        return handle + "\t" + thread + "\t0\t0\t" + left + "\t0\t10\t10\tClass\tTitle\n";
    };
    ASSERT_TRUE(user::shared::parse_windows(head + line("7", "-5")));
    EXPECT_EQ(user::shared::parse_windows(head + line("7", "-5"))->windows[0].rect.left, -5);
    const std::string refused[] = {
        head + line("4294967296", "0"),         // a thread id past 32 bits
        head + line("7", "2147483648"),         // a coordinate past a LONG
        head + line("7", "-2147483649"),
        head + line("-1", "0"),
        head + line("7 ", "0"),
        "orbivane-desktop 4294967296 99\n",     // a process id past 32 bits
        "orbivane-desktop -1 99\n",
        "orbivane-desktop 4242 99 extra\n",
        "orbivane-desktop 4242\n",
    };
    for (const auto& text : refused)
        EXPECT_FALSE(user::shared::parse_windows(text)) << text;

    Request request;
    EXPECT_TRUE(user::shared::decode_request(&request, sizeof request));
    EXPECT_FALSE(user::shared::decode_request(&request, sizeof request - 1));
    Request bad = request;
    bad.magic = 0;
    EXPECT_FALSE(user::shared::decode_request(&bad, sizeof bad));
    bad = request;
    bad.op = static_cast<Op>(9);
    EXPECT_FALSE(user::shared::decode_request(&bad, sizeof bad));
    bad = request;
    bad.message = 0x10000;
    EXPECT_FALSE(user::shared::decode_request(&bad, sizeof bad));
}

}
