#include "RegistryFixture.h"

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Processes = RegistryTest;

// Runs `body` in a child process that starts with no registry state of its own, as a newly
// started program would; returns its exit status. The child ends with exit(), so the
// registry's exit handler runs, unless `body` ends it otherwise.
int in_other_process(const std::function<int()>& body)
{
    pid_t pid = fork();
    if (pid == 0) {
        registry::forget_hives();
        std::exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int set_in_child(const char* name, BYTE byte)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    if (RegSetValueExA(key, name, 0, REG_BINARY, &byte, 1) != ERROR_SUCCESS)
        return 2;
    return RegCloseKey(key) == ERROR_SUCCESS ? 0 : 3;
}

TEST_F(Processes, AValueWrittenByAnotherProcessIsSeen)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Volume", REG_BINARY, { 50 });
    RegCloseKey(key);

    ASSERT_EQ(in_other_process([] { return set_in_child("Mute", 1); }), 0);

    key = open(HKEY_CURRENT_USER, program_key);
    BYTE mute = 0;
    DWORD size = 1;
    EXPECT_EQ(RegQueryValueExA(key, "Mute", nullptr, nullptr, &mute, &size), ERROR_SUCCESS) << "read again without a restart";
    EXPECT_EQ(mute, 1);
    RegCloseKey(key);
    registry::restart();
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Mute"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Volume"), (registry::RawValue { REG_BINARY, { 50 } }));
}

TEST_F(Processes, UnsavedChangesSurviveAnotherProcessSaving)
{
    HKEY key = create(HKEY_CURRENT_USER, program_key);
    set(key, "Volume", REG_BINARY, { 50 }); // not saved yet
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);

    ASSERT_EQ(in_other_process([] { return set_in_child("Mute", 1); }), 0);

    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Mute"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Volume"), (registry::RawValue { REG_BINARY, { 50 } }));
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    registry::forget_hives();
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Mute"), (registry::RawValue { REG_BINARY, { 1 } }));
    EXPECT_EQ(registry::read_value(HKEY_CURRENT_USER, program_key, "Volume"), (registry::RawValue { REG_BINARY, { 50 } }));
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane\\Recent"));
}

TEST_F(Processes, ManyProcessesSavingAtOnceKeepEveryWrite)
{
    RegCloseKey(create(HKEY_CURRENT_USER, program_key));
    constexpr int children = 4, writes = 15;
    std::vector<pid_t> pids;
    for (int c = 0; c < children; ++c) {
        pid_t pid = fork();
        if (pid == 0) {
            registry::forget_hives();
            for (int w = 0; w < writes; ++w) {
                std::string name = "Station" + std::to_string(c * writes + w);
                if (set_in_child(name.c_str(), static_cast<BYTE>(c)) != 0)
                    _exit(1);
            }
            _exit(0);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    registry::forget_hives();
    for (int i = 0; i < children * writes; ++i)
        EXPECT_TRUE(registry::read_value(HKEY_CURRENT_USER, program_key, "Station" + std::to_string(i))) << i;
}

TEST_F(Processes, ChangesAreSavedAtExitAndACrashLeavesTheLastWholeHive)
{
    auto write_without_close = [](const char* name) {
        return [name] {
            HKEY key = nullptr;
            RegCreateKeyExA(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            BYTE one = 1;
            return RegSetValueExA(key, name, 0, REG_BINARY, &one, 1) == ERROR_SUCCESS ? 0 : 1;
        };
    };
    ASSERT_EQ(in_other_process(write_without_close("TrayIcon")), 0);
    ASSERT_EQ(in_other_process([&] {
        write_without_close("OnTop")();
        _exit(0); // no exit handlers: as if the process was killed
        return 0;
    }),
        0);

    registry::forget_hives();
    EXPECT_TRUE(registry::read_value(HKEY_CURRENT_USER, program_key, "TrayIcon"));
    EXPECT_FALSE(registry::read_value(HKEY_CURRENT_USER, program_key, "OnTop"));
    EXPECT_TRUE(registry::key_exists(HKEY_CURRENT_USER, program_key));
}

}
