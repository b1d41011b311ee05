#include "TempHome.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace test_support {

static std::string s_home;
static std::vector<std::string> s_made;
// The janitor's end of the pipe: each made folder is written to it, one per line.
static int s_janitor = -1;

static bool keep_folders() { return std::getenv("ORBIVANE_KEEP_TEST_HOME") != nullptr; }

std::string make_temp_dir(const char* prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    s_made.emplace_back(buffer.data());
    if (s_janitor >= 0) {
        std::string line = s_made.back() + "\n";
        if (write(s_janitor, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            close(s_janitor); // the janitor is gone: the test main still removes the folders
            s_janitor = -1;
        }
    }
    return s_made.back();
}

const std::vector<std::string>& made_temp_dirs() { return s_made; }

void remove_temp_dir(const std::string& path)
{
    if (keep_folders())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    s_made.erase(std::remove(s_made.begin(), s_made.end(), path), s_made.end());
}

void remove_temp_dirs()
{
    while (!s_made.empty())
        remove_temp_dir(std::string(s_made.back()));
}

// The janitor is a shell reading the folders' paths until the pipe's last writer, this process,
// is gone. It is a grandchild in a session of its own, so a runner that kills this process with
// its children and its process group leaves the janitor to do its work.
void start_temp_dir_janitor()
{
    if (keep_folders() || s_janitor >= 0 || access("/bin/sh", X_OK) != 0)
        return;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    static const char script[] = "trap '' HUP INT TERM; set --; while IFS= read -r d; do set -- \"$@\" \"$d\"; done; "
                                 "[ $# -eq 0 ] || rm -rf -- \"$@\"";
    pid_t child = fork();
    if (child == 0) {
        if (fork() != 0)
            _exit(0);
        setsid();
        dup2(ends[0], STDIN_FILENO);
        for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd)
            close(fd);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO)
            close(null);
        execl("/bin/sh", "sh", "-c", script, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[0]);
    if (child < 0) {
        close(ends[1]);
        return;
    }
    waitpid(child, nullptr, 0);
    // Close-on-exec, so the processes the tests start do not keep the janitor waiting.
    s_janitor = ends[1];
}

const std::string& temp_home() { return s_home; }

void set_temp_home(std::string path) { s_home = std::move(path); }

}
