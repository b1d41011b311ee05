#pragma once

// Second processes for the shared desktop tests: the desktop_peer program and the winmsg tool,
// started with pipes on their standard input and output. These are real processes, so waits
// are in real time, generously.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace peer_process {

// Process start and its first report are waited for in real time, generously.
constexpr int kStartWaitMs = 60000;

struct Child {
    pid_t pid = -1;
    int out = -1;      // the child's standard output
    int in = -1;       // its standard input
    std::string buffer;

    // The next line the child printed; empty when none came in time or it ended.
    std::string line()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
        for (;;) {
            auto nl = buffer.find('\n');
            if (nl != std::string::npos) {
                std::string l = buffer.substr(0, nl);
                buffer.erase(0, nl + 1);
                return l;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            pollfd p { out, POLLIN, 0 };
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char chunk[256];
            ssize_t n = read(out, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Reads lines until one equals `expected`; false when it never comes.
    bool expect(const std::string& expected)
    {
        for (;;) {
            std::string l = line();
            if (l.empty())
                return false;
            if (l == expected)
                return true;
        }
    }
    // Waits for the child to end; its exit code, or -1.
    int wait()
    {
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10000);
        }
        return -1;
    }
    ~Child()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0)
            close(out);
        if (in >= 0)
            close(in);
    }
};

inline void spawn(Child& child, std::vector<std::string> args)
{
    int pipe_fds[2];
    int input_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    ASSERT_EQ(pipe(input_fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, input_fds[0], STDIN_FILENO);
    for (int fd : { pipe_fds[0], pipe_fds[1], input_fds[0], input_fds[1] })
        posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int error = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    close(input_fds[0]);
    child.out = pipe_fds[0];
    child.in = input_fds[1];
    ASSERT_EQ(error, 0) << args[0];
}

struct ToolResult {
    int exit_code;
    std::string output;
};

inline ToolResult winmsg(std::vector<std::string> args)
{
    args.insert(args.begin(), WINMSG_TOOL);
    Child tool;
    spawn(tool, args);
    std::string output;
    for (std::string l = tool.line(); !l.empty(); l = tool.line())
        output += l + "\n";
    return { tool.wait(), output };
}

}
