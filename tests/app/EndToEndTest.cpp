// The program as a person starts it: real processes of the built executable, headless, sharing
// this test's platform home and desktop.

#include <app/SettingsSequence.h>
#include <app/SettingsValues.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <user/User.h>

#include <chrono>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

pid_t start(std::vector<std::string> args)
{
    args.insert(args.begin(), ORBIVANE_EXECUTABLE);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

// The exit code, or -1 when the process did not end within a minute.
int wait_exit(pid_t pid)
{
    for (int i = 0; i < 600; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

template<typename Condition>
bool eventually(Condition condition)
{
    for (int i = 0; i < 600; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

HWND main_window()
{
    HWND window = nullptr;
    eventually([&] { return (window = FindWindowA("Orbivane", nullptr)) != nullptr; });
    return window;
}

std::string saved_channel(HKEY hive)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char text[32] = {};
    DWORD size = sizeof text - 1;
    LONG status = RegQueryValueExA(key, "Channel", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : "(no value)";
}

TEST(EndToEnd, SecondStartActivatesTheFirstAndSettingsSurviveARestart)
{
    pid_t first = start({});
    HWND window = main_window();
    ASSERT_TRUE(window) << "the main frame of class \"Orbivane\" appears";
    EXPECT_EQ(GetWindowTextLengthA(window), 8);

    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(eventually([&] { return IsIconic(window); }));
    EXPECT_EQ(wait_exit(start({})), 0) << "a second start hands over and exits with 0";
    EXPECT_TRUE(eventually([&] { return !IsIconic(window); })) << "the first was restored";
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), window) << "no second main window";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(first), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_channel(HKEY_CURRENT_USER), "5") << "the defaults were written at exit";
    EXPECT_EQ(saved_channel(HKEY_LOCAL_MACHINE), "5");

    // A value changed in the local machine's hive is what the next start reads.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    WriteDecimalValue(key, "Channel", 17);
    RegCloseKey(key);
    registry::restart();

    pid_t again = start({ "-m" });
    window = main_window();
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(again), 0);
    registry::forget_hives();
    EXPECT_EQ(saved_channel(HKEY_CURRENT_USER), "17");
}

TEST(EndToEnd, MinimisedStartWithTheTrayIconHidesTheFrameUntilASecondStartShowsIt)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    WriteByteValue(key, "TrayIcon", 1);
    RegCloseKey(key);
    registry::restart();

    pid_t first = start({ "-m" });
    HWND window = main_window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(eventually([&] { return !IsWindowVisible(window); })) << "only the tray icon shows";
    EXPECT_FALSE(IsIconic(window));

    EXPECT_EQ(wait_exit(start({})), 0);
    EXPECT_TRUE(eventually([&] { return IsWindowVisible(window) && !IsIconic(window); }))
        << "a second start brings the hidden frame back";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(first), 0);
    registry::forget_hives();
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    WriteByteValue(key, "TrayIcon", 0);
    RegCloseKey(key);
    registry::restart();
}

TEST(EndToEnd, OptionUExitsWithOneBeforeAnyWindow)
{
    EXPECT_EQ(wait_exit(start({ "/u" })), 1);
    EXPECT_EQ(FindWindowA("Orbivane", nullptr), nullptr);
}

}
