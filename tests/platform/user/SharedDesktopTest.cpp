// The desktop shared between processes: windows of a second process are found, reached and
// shown from this one, directly and through the winmsg tool.

#include "PeerProcess.h"

#include <user/SharedDesktop.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <base/Errors.h>
#include <base/Home.h>
#include <base/Process.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace peer_process;

class SharedDesktopTest : public testing::Test {
protected:
    // Starts a peer process with one window and waits until it is published.
    HWND start_peer(const char* class_name, const char* title, bool iconic = false)
    {
        std::vector<std::string> args { DESKTOP_PEER, class_name, title };
        if (iconic)
            args.push_back("iconic");
        spawn(peer, args);
        if (!peer.expect("ready"))
            return nullptr;
        return FindWindowA(class_name, nullptr);
    }
    void TearDown() override
    {
        if (peer.pid > 0) {
            // Closed when its window is still there, else ended by the child's destructor.
            if (HWND w = FindWindowA(nullptr, nullptr); w && !user::is_local_window(w) && PostMessageA(w, WM_CLOSE, 0, 0))
                peer.wait();
        }
    }
    Child peer;
};

TEST_F(SharedDesktopTest, PeerWindowIsFoundAndEndsWithItsProcess)
{
    HWND w = start_peer("PeerFrame", "Peer title");
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(user::is_local_window(w));
    EXPECT_EQ(user::window_process(w), static_cast<DWORD>(peer.pid));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_FALSE(IsIconic(w));
    char text[64] = "";
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 10);
    EXPECT_STREQ(text, "Peer title");
    EXPECT_EQ(GetClassNameA(w, text, sizeof text), 9);
    EXPECT_STREQ(text, "PeerFrame");
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, nullptr, "Peer title"), w);
    EXPECT_EQ(FindWindowA("NoSuchClass", nullptr), nullptr);
    DWORD pid = 0;
    EXPECT_NE(GetWindowThreadProcessId(w, &pid), 0u);
    EXPECT_EQ(pid, static_cast<DWORD>(peer.pid));
    EXPECT_TRUE(SetForegroundWindow(w));
    EXPECT_TRUE(BringWindowToTop(w));
    EXPECT_TRUE(std::filesystem::exists(user::desktop_windows_file(static_cast<DWORD>(peer.pid))));

    ASSERT_TRUE(PostMessageA(w, WM_CLOSE, 0, 0));
    DWORD gone = static_cast<DWORD>(peer.pid);
    EXPECT_EQ(peer.wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(user::desktop_windows_file(gone)));
    EXPECT_EQ(FindWindowA("PeerFrame", nullptr), nullptr);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(PostMessageA(w, WM_COMMAND, 1, 2));
}

TEST_F(SharedDesktopTest, PostedCommandAndSentMessageCarryTheirNumbers)
{
    HWND w = start_peer("PeerMessages", "Messages");
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PostMessageA(w, WM_COMMAND, MAKEWPARAM(1203, 1), -5));
    EXPECT_TRUE(peer.expect("command 66739 -5"));
    ASSERT_TRUE(PostMessageA(w, WM_COMMAND, 0x1234567890ull, 0x7FFFFFFFFFFFll));
    EXPECT_TRUE(peer.expect("command 78187493520 140737488355327"));

    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 40, 2), 42);
    DWORD_PTR result = 0;
    EXPECT_EQ(SendMessageTimeoutA(w, WM_USER + 1, 1000000, -1, SMTO_NORMAL, 30000, &result), 1);
    EXPECT_EQ(static_cast<LRESULT>(result), 999999);
}

TEST_F(SharedDesktopTest, SendToABusyPeerTimesOut)
{
    HWND w = start_peer("PeerBusy", "Busy");
    ASSERT_NE(w, nullptr);
    DWORD_PTR result = 77;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(w, WM_USER + 2, 0, 0, SMTO_NORMAL, 100, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(result, 77u);
    // Once released, the peer answers again.
    ASSERT_EQ(write(peer.in, "go\n", 3), 3);
    EXPECT_EQ(SendMessageA(w, WM_USER + 1, 1, 1), 2);
}

LRESULT CALLBACK EchoProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_USER + 5)
        return static_cast<LRESULT>(wparam) * 10 + lparam;
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(SharedDesktopTest, PeerSendingBackDuringASendIsServed)
{
    static const ATOM registered = [] {
        WNDCLASSA wc {};
        wc.lpfnWndProc = EchoProc;
        wc.lpszClassName = "ParentEcho";
        return RegisterClassA(&wc);
    }();
    ASSERT_NE(registered, 0);
    HWND echo = CreateWindowExA(0, "ParentEcho", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(echo, nullptr);
    HWND w = start_peer("PeerEcho", "Echo");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SendMessageA(w, WM_USER + 4, 4, 2), 43);
    DestroyWindow(echo);
}

TEST_F(SharedDesktopTest, RestoreReachesAnIconicPeerWindow)
{
    HWND w = start_peer("PeerIconic", "Iconic", true);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_TRUE(ShowWindow(w, SW_RESTORE));   // it was visible
    EXPECT_TRUE(peer.expect("size 0"));       // SIZE_RESTORED, on the peer's own thread
    EXPECT_FALSE(IsIconic(w));
    EXPECT_TRUE(IsWindowVisible(w));
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(peer.expect("size 1"));
    EXPECT_TRUE(IsIconic(w));
}

TEST_F(SharedDesktopTest, FileOfAnEndedProcessIsIgnoredAndRemoved)
{
    pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    auto file = user::desktop_windows_file(static_cast<DWORD>(dead));
    auto handle = (static_cast<unsigned long long>(dead) << 32) | 0x10;
    {
        std::ofstream out(file);
        out << "orbivane-desktop " << dead << " 1\n" << handle << "\t1\t" << WS_VISIBLE << "\t0\t0\t0\t10\t10\tGhost\tGhost title\n";
    }
    // An unreadable file and one whose handles do not belong to its process are skipped too.
    std::ofstream(base::runtime_folder() + "/desktop-1.windows") << "garbage\n";
    std::ofstream(user::desktop_windows_file(GetCurrentProcessId() + 1u))
        << "orbivane-desktop " << GetCurrentProcessId() + 1u << " 0\n" << handle << "\t1\t0\t0\t0\t0\t0\t0\tForged\tForged\n";

    EXPECT_EQ(FindWindowA("Ghost", nullptr), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Ghost title"), nullptr);
    EXPECT_EQ(FindWindowA("Forged", nullptr), nullptr);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(handle)));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(handle), WM_CLOSE, 0, 0));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SharedDesktopTest, WinmsgListsPostsSendsAndShows)
{
    HWND w = start_peer("PeerTool", "Tool target");
    ASSERT_NE(w, nullptr);
    auto listed = winmsg({ "list" });
    EXPECT_EQ(listed.exit_code, 0);
    EXPECT_NE(listed.output.find("\tPeerTool\tTool target\tvisible\n"), std::string::npos) << listed.output;

    EXPECT_EQ(winmsg({ "post", "PeerTool", "WM_COMMAND", "7", "9" }).exit_code, 0);
    EXPECT_TRUE(peer.expect("command 7 9"));
    EXPECT_EQ(winmsg({ "post", "Tool target", "0x111", "0x10", "-1" }).exit_code, 0);
    EXPECT_TRUE(peer.expect("command 16 -1"));

    auto sent = winmsg({ "send", "PeerTool", "1025", "5", "6" });
    EXPECT_EQ(sent.exit_code, 0);
    EXPECT_EQ(sent.output, "11\n");

    EXPECT_EQ(winmsg({ "show", "PeerTool", "6" }).exit_code, 0);
    EXPECT_TRUE(peer.expect("size 1"));
    EXPECT_TRUE(IsIconic(w));
    EXPECT_EQ(winmsg({ "show", "PeerTool", "9" }).exit_code, 0);
    EXPECT_TRUE(peer.expect("size 0"));
    EXPECT_FALSE(IsIconic(w));

    EXPECT_EQ(winmsg({ "post", "NoSuchWindow", "WM_CLOSE" }).exit_code, 1);
    EXPECT_EQ(winmsg({ "show", "NoSuchWindow", "9" }).exit_code, 1);
    EXPECT_EQ(winmsg({}).exit_code, 2);
    EXPECT_EQ(winmsg({ "post", "PeerTool" }).exit_code, 2);
    EXPECT_EQ(winmsg({ "post", "PeerTool", "WM_NOSUCH" }).exit_code, 2);
    EXPECT_EQ(winmsg({ "post", "PeerTool", "WM_COMMAND", "x" }).exit_code, 2);
    EXPECT_EQ(winmsg({ "frobnicate" }).exit_code, 2);

    EXPECT_EQ(winmsg({ "post", "PeerTool", "WM_CLOSE" }).exit_code, 0);
    EXPECT_EQ(peer.wait(), 0);
}

}
