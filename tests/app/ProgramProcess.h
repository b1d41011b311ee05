#pragma once

// The built program as a real process, for the end-to-end tests: starting it (with this test's
// environment, so the same platform home and desktop), waiting for its main window and its exit.
// These are real processes, so waits poll for up to a minute. Tests that start the program derive
// their fixture from ProgramTest, which stops what a test left running (a failed assertion) and
// owns the test's temporary folders, removed once the programs are gone.

#include "TempDir.h"

#include <user/User.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace program {

// Polls `condition` every 100 ms for up to `limit`.
template<typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::minutes(1))
{
    for (auto waited = std::chrono::milliseconds(0); waited < limit; waited += std::chrono::milliseconds(100)) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

// Starts the program with `args`; `variables` ("NAME=value") replace or add to the environment;
// its standard error goes to `error_file` when one is named.
inline pid_t start(std::vector<std::string> args, const std::vector<std::string>& variables = {},
    const std::string& error_file = {})
{
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const auto& v : variables)
            replaced = replaced || std::strncmp(*e, v.c_str(), v.find('=') + 1) == 0;
        if (!replaced)
            environment.emplace_back(*e);
    }
    environment.insert(environment.end(), variables.begin(), variables.end());
    args.insert(args.begin(), ORBIVANE_EXECUTABLE);
    std::vector<char*> argv, envp;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& v : environment)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    // Forked rather than spawned so the program dies with the test process (a test killed for its
    // time-out leaves no program behind holding its output or a lock). Only async-signal-safe
    // calls run between fork and exec.
    int error_fd = error_file.empty() ? -1 : open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        if (error_fd >= 0)
            dup2(error_fd, STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (error_fd >= 0)
        close(error_fd);
    EXPECT_GT(pid, 0);
    return pid;
}

// The exit code, or -1 when the process did not end within a minute (it is then killed).
inline int wait_exit(pid_t pid)
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

// Ends `pid` if it still runs: as the session ends it (SIGTERM, which closes it as the user does),
// and killed when that does not end it within ten seconds.
inline void stop(pid_t pid)
{
    if (pid <= 0 || waitpid(pid, nullptr, WNOHANG) != 0)
        return; // ended and waited for
    kill(pid, SIGTERM);
    kill(pid, SIGCONT); // a test may have stopped it
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// The fixture of the tests that start the program.
class ProgramTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (pid_t pid : m_started)
            stop(pid);
        m_started.clear();
    }

    // program::start, stopped at the end of the test if it still runs.
    pid_t start(std::vector<std::string> args, const std::vector<std::string>& variables = {},
        const std::string& error_file = {})
    {
        pid_t pid = program::start(std::move(args), variables, error_file);
        m_started.push_back(pid);
        return pid;
    }

    // A new temporary folder, removed at the end of the test once its programs have ended.
    const std::string& temp_dir(const char* prefix)
    {
        return m_folders.emplace_back(std::make_unique<test_support::TempDir>(prefix))->path();
    }

private:
    std::vector<std::unique_ptr<test_support::TempDir>> m_folders;
    std::vector<pid_t> m_started;
};

// The program's main frame (window class "Orbivane"), or null when none appears.
inline HWND main_window()
{
    HWND window = nullptr;
    eventually([&] { return (window = FindWindowA("Orbivane", nullptr)) != nullptr; });
    return window;
}

}
