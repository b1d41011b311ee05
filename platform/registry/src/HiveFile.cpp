#include "HiveFile.h"

#include <base/Errors.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace registry {

static FileStamp stamp_from(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctime_ns = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

FileStamp stamp_of(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return {};
    return stamp_from(st);
}

FileRead read_file(const std::string& path)
{
    FileRead read;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return read; // no file there
        read.result = FileRead::Result::Unreadable;
        read.error = std::strerror(errno);
        read.stamp = stamp_of(path);
        return read;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        read.result = FileRead::Result::Unreadable;
        read.error = "not a regular file";
        read.stamp = stamp_of(path);
        close(fd);
        return read;
    }
    read.stamp = stamp_from(st);
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            read.result = FileRead::Result::Unreadable;
            read.error = std::strerror(errno);
            close(fd);
            return read;
        }
        if (n == 0)
            break;
        read.text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    read.result = FileRead::Result::Read;
    return read;
}

static LONG error_from_errno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    default:
        return ERROR_CANTWRITE;
    }
}

static std::string folder_of(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

static void sync_folder(const std::string& path)
{
    int fd = open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

LONG replace_file(const std::string& path, const std::string& text, FileStamp& stamp, std::string& error)
{
    static unsigned counter = 0;
    std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        int saved = errno;
        error = std::string("cannot create ") + temp + ": " + std::strerror(saved);
        return error_from_errno(saved);
    }
    auto fail = [&](const char* what) {
        int saved = errno;
        error = std::string(what) + " " + temp + ": " + std::strerror(saved);
        if (fd >= 0)
            close(fd);
        unlink(temp.c_str());
        return error_from_errno(saved);
    };
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail("cannot write");
        written += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0)
        return fail("cannot sync");
    int closed = close(fd);
    fd = -1;
    if (closed != 0)
        return fail("cannot close");
    if (rename(temp.c_str(), path.c_str()) != 0)
        return fail("cannot rename");
    sync_folder(path);
    stamp = stamp_of(path);
    return ERROR_SUCCESS;
}

void remove_stale_temporaries(const std::string& path)
{
    std::string folder = folder_of(path);
    std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.rfind(prefix, 0) != 0)
            continue;
        long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
}

std::string set_aside(const std::string& path, std::int64_t wall_seconds, std::string& error)
{
    std::time_t seconds = static_cast<std::time_t>(wall_seconds);
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    std::string base = path + ".corrupt-" + stamp;
    for (int n = 1; n < 1000; ++n) {
        std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            sync_folder(path);
            return aside;
        }
        if (errno == EEXIST)
            continue;
        if (errno == EINVAL || errno == ENOSYS) {
            // No RENAME_NOREPLACE on this file system: a hard link cannot replace either.
            if (link(path.c_str(), aside.c_str()) == 0) {
                unlink(path.c_str());
                sync_folder(path);
                return aside;
            }
            if (errno == EEXIST)
                continue;
        }
        error = std::strerror(errno);
        return "";
    }
    error = "too many files set aside";
    return "";
}

FileLock::FileLock(const std::string& path)
{
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return;
    while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        close(m_fd); // releases the lock
}

}
