#pragma once

// The hive files on disk: reading one whole, replacing one atomically, telling whether another
// process has replaced it, the lock that orders saves between processes, and moving an
// unreadable file aside.

#include <base/Types.h>

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace registry {

// Identifies one version of a file: a save renames a new inode over the old one.
struct FileStamp {
    bool exists { false };
    dev_t device { 0 };
    ino_t inode { 0 };
    off_t size { 0 };
    std::int64_t mtime_ns { 0 };
    std::int64_t ctime_ns { 0 };
    bool operator==(const FileStamp&) const = default;
};

FileStamp stamp_of(const std::string& path);

struct FileRead {
    enum class Result { Missing, Read, Unreadable };
    Result result { Result::Missing };
    std::string text;
    FileStamp stamp; // of the file the text came from
    std::string error;
};
FileRead read_file(const std::string& path);

// Writes `text` to a temporary file beside `path`, syncs it, renames it over `path` and syncs
// the folder. On success *stamp is the new file's; on failure nothing is left behind and the
// old file is untouched. Returns ERROR_SUCCESS or a system error code, with the reason in `error`.
LONG replace_file(const std::string& path, const std::string& text, FileStamp& stamp, std::string& error);

// Removes temporary files of `path` left by processes that died while saving.
void remove_stale_temporaries(const std::string& path);

// Renames `path` to `path`.corrupt-<UTC date and time>[-N], never over an existing file.
// Returns the new path, or "" with the reason in `error`.
std::string set_aside(const std::string& path, std::int64_t wall_seconds, std::string& error);

// An exclusive lock on a file (created when missing) for as long as the object lives; several
// processes saving hives take it in turn. If the file cannot be opened there is no lock.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd { -1 };
};

}
