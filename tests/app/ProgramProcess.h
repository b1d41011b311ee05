#pragma once

// The built program as a real process, for the end-to-end tests: starting it (with this test's
// environment, so the same platform home and desktop), waiting for its main window and its exit.
// These are real processes, so waits poll for up to a minute.

#include <user/User.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace program {

// Polls `condition` every 100 ms for up to a minute.
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

// The program's main frame (window class "Orbivane"), or null when none appears.
inline HWND main_window()
{
    HWND window = nullptr;
    eventually([&] { return (window = FindWindowA("Orbivane", nullptr)) != nullptr; });
    return window;
}

}
