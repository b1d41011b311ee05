#include <base/Errors.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Process.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace base {

namespace {

std::mutex s_mutex;
Launcher s_launcher;

bool is_space(char c) { return c == ' ' || c == '\t'; }

// Whether a path names a regular file that may be run; the Windows error code otherwise.
DWORD check_program(const std::string& linux_path)
{
    struct stat st;
    if (stat(linux_path.c_str(), &st) != 0) {
        auto cut = linux_path.find_last_of('/');
        std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : linux_path.substr(0, cut);
        struct stat fs;
        return stat(folder.c_str(), &fs) == 0 && S_ISDIR(fs.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (!S_ISREG(st.st_mode) || !(st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)))
        return ERROR_BAD_FORMAT;
    return 0;
}

}

std::vector<std::string> split_command_line(std::string_view line)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size() && is_space(line[i]))
        ++i;
    if (i == line.size())
        return args;
    // The program name: quotes group, backslashes are plain.
    std::string program;
    bool quoted = false;
    for (; i < line.size() && (quoted || !is_space(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            program += line[i];
    }
    args.push_back(program);
    for (;;) {
        while (i < line.size() && is_space(line[i]))
            ++i;
        if (i == line.size())
            break;
        std::string arg;
        quoted = false;
        while (i < line.size() && (quoted || !is_space(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < line.size() && line[i] == '\\')
                    ++slashes, ++i;
                if (i < line.size() && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

DWORD find_program(const std::string& name, std::string& linux_path)
{
    if (name.empty())
        return ERROR_FILE_NOT_FOUND;
    if (name.find_first_of("\\/") != std::string::npos) {
        linux_path = resolve_path(name);
        return check_program(linux_path);
    }
    std::vector<std::string> folders { to_linux_path(program_folder()) };
    const char* path = std::getenv("PATH");
    std::string_view list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!list.empty()) {
        auto cut = list.find(':');
        std::string folder(list.substr(0, cut));
        folders.push_back(folder.empty() ? "." : folder);
        list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + 1);
    }
    for (auto& folder : folders) {
        std::string candidate = folder + (folder.ends_with('/') ? "" : "/") + name;
        if (check_program(candidate) == 0) {
            linux_path = candidate;
            return 0;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD start_process(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return ERROR_INVALID_PARAMETER;
    std::vector<char*> pointers;
    for (auto& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    pid_t pid;
    int error = posix_spawn(&pid, argv[0].c_str(), nullptr, nullptr, pointers.data(), environ);
    if (error != 0)
        return error == ENOENT ? ERROR_FILE_NOT_FOUND : error == ENOEXEC ? ERROR_BAD_FORMAT : error_from_errno(error);
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    }).detach();
    return 0;
}

UINT launch_process(const std::string& command_line, UINT)
{
    auto args = split_command_line(command_line);
    if (args.empty())
        return ERROR_FILE_NOT_FOUND;
    std::string program;
    if (DWORD error = find_program(args[0], program))
        return error;
    args[0] = program;
    if (DWORD error = start_process(args))
        return error == ERROR_NOT_ENOUGH_MEMORY ? 0 : error;
    return 33;
}

Launcher set_launcher(Launcher launcher)
{
    std::lock_guard lock(s_mutex);
    Launcher previous = std::move(s_launcher);
    s_launcher = std::move(launcher);
    return previous;
}

}

UINT WinExec(LPCSTR command_line, UINT show)
{
    if (!command_line)
        return ERROR_FILE_NOT_FOUND;
    base::Launcher launcher;
    {
        std::lock_guard lock(base::s_mutex);
        launcher = base::s_launcher;
    }
    return launcher ? launcher(command_line, show) : base::launch_process(command_line, show);
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
