// Files through handles (open, read, write, seek, size), their deletion, moving and copying with
// Windows sharing, and the metadata and path tests the file API's parts share (FileSystem.h).

#include <base/Errors.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>

#include "FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace base {

namespace {

using FileKey = std::pair<dev_t, ino_t>;

class FileObject;

// What this process holds open, by file, and the test overrides of creation times.
std::mutex s_files_mutex;
std::multimap<FileKey, FileObject*> s_open;
std::map<FileKey, FILETIME> s_creation_override;

bool wants_read(DWORD access) { return access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA); }
bool wants_write(DWORD access) { return access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA); }

class FileObject final : public KernelObject {
public:
    FileObject(int fd, FileKey key, DWORD access, DWORD share)
        : fd(fd)
        , key(key)
        , access(access)
        , share(share)
    {
    }
    ~FileObject() override
    {
        {
            std::lock_guard lock(s_files_mutex);
            auto [begin, end] = s_open.equal_range(key);
            for (auto it = begin; it != end; ++it) {
                if (it->second == this) {
                    s_open.erase(it);
                    break;
                }
            }
        }
        ::close(fd);
    }
    int fd;
    FileKey key;
    DWORD access;
    DWORD share;
};

// Whether an open with `access` and `share` is refused by the opens already held (lock held).
bool share_conflict(const FileKey& key, DWORD access, DWORD share)
{
    auto [begin, end] = s_open.equal_range(key);
    for (auto it = begin; it != end; ++it) {
        const FileObject& held = *it->second;
        if ((wants_read(access) && !(held.share & FILE_SHARE_READ)) || (wants_write(access) && !(held.share & FILE_SHARE_WRITE))
            || ((access & DELETE) && !(held.share & FILE_SHARE_DELETE)))
            return true;
        if ((wants_read(held.access) && !(share & FILE_SHARE_READ)) || (wants_write(held.access) && !(share & FILE_SHARE_WRITE))
            || ((held.access & DELETE) && !(share & FILE_SHARE_DELETE)))
            return true;
    }
    return false;
}

bool key_of(const std::string& linux_path, FileKey& key, bool follow = true)
{
    struct stat st;
    if ((follow ? stat(linux_path.c_str(), &st) : lstat(linux_path.c_str(), &st)) != 0)
        return false;
    key = FileKey(st.st_dev, st.st_ino);
    return true;
}

bool copy_contents(int from, int to)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return false;
            done += w;
        }
    }
}

// Copies a regular file's bytes, permission and modification time; the error code or 0.
DWORD copy_file(const std::string& from, const std::string& to)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return error_from_errno(errno);
    struct stat st;
    fstat(in, &st);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        DWORD code = error_from_errno(errno);
        ::close(in);
        return code;
    }
    bool ok = copy_contents(in, out);
    int saved = errno;
    struct timespec times[2] = { st.st_atim, st.st_mtim };
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    return ok ? 0 : error_from_errno(saved);
}

std::shared_ptr<FileObject> file_of(HANDLE handle)
{
    auto file = Handles::get<FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

}

namespace files {

std::string parent_of(const std::string& linux_path)
{
    auto cut = linux_path.find_last_of('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? "/" : linux_path.substr(0, cut);
}

bool is_directory(const std::string& linux_path)
{
    struct stat st;
    return stat(linux_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Without the owner's write permission a file or folder counts as read-only, for every user.
bool read_only(const struct stat& st) { return !(st.st_mode & S_IWUSR); }

bool folder_read_only(const std::string& linux_path)
{
    struct stat st;
    return stat(parent_of(linux_path).c_str(), &st) == 0 && read_only(st);
}

// The error for a path that is not there: the file, or a folder on its way.
DWORD missing_error(const std::string& linux_path)
{
    return is_directory(parent_of(linux_path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

BOOL fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

bool query(const std::string& linux_path, Info& info)
{
    struct statx sx;
    if (statx(AT_FDCWD, linux_path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return false;
    bool directory = S_ISDIR(sx.stx_mode);
    info.attributes = directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(sx.stx_mode & S_IWUSR))
        info.attributes |= FILE_ATTRIBUTE_READONLY;
    std::string_view name = file_name_of(linux_path);
    if (name.size() > 1 && name[0] == '.' && name != "..")
        info.attributes |= FILE_ATTRIBUTE_HIDDEN;
    info.written = filetime_from_unix_time(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    info.accessed = filetime_from_unix_time(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    info.created = (sx.stx_mask & STATX_BTIME) ? filetime_from_unix_time(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : info.written;
    info.size = directory ? 0 : sx.stx_size;
    std::lock_guard lock(s_files_mutex);
    auto it = s_creation_override.find(FileKey(makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino));
    if (it != s_creation_override.end())
        info.created = it->second;
    return true;
}

// Copies a result into a caller's buffer the Windows way: the length without the terminator,
// or, when it does not fit, the size needed with it.
DWORD return_text(const std::string& text, LPSTR buffer, DWORD size)
{
    if (!buffer || size < text.size() + 1)
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

}

DWORD error_from_errno(int error)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

bool set_creation_time(const char* windows_path, const FILETIME& time)
{
    FileKey key;
    if (!windows_path || !key_of(resolve_path(windows_path), key))
        return false;
    std::lock_guard lock(s_files_mutex);
    s_creation_override[key] = time;
    return true;
}

bool is_open_in_process(const char* windows_path)
{
    FileKey key;
    if (!windows_path || !key_of(resolve_path(windows_path), key))
        return false;
    std::lock_guard lock(s_files_mutex);
    return s_open.count(key) > 0;
}

}

using namespace base;
using namespace base::files;

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags, HANDLE)
{
    if (!name || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string linux_path = resolve_path(name);
    std::lock_guard lock(s_files_mutex);
    struct stat st;
    bool exists = stat(linux_path.c_str(), &st) == 0;
    auto refuse = [](DWORD code) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    };
    if (exists && S_ISDIR(st.st_mode))
        return refuse(ERROR_ACCESS_DENIED);
    if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
        return refuse(missing_error(linux_path));
    if (!exists && !is_directory(parent_of(linux_path)))
        return refuse(ERROR_PATH_NOT_FOUND);
    if (exists && disposition == CREATE_NEW)
        return refuse(ERROR_FILE_EXISTS);
    bool writes = wants_write(access) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (exists && writes && read_only(st))
        return refuse(ERROR_ACCESS_DENIED);
    if (!exists && folder_read_only(linux_path))
        return refuse(ERROR_ACCESS_DENIED);
    if (exists && share_conflict(FileKey(st.st_dev, st.st_ino), access, share_mode))
        return refuse(ERROR_SHARING_VIOLATION);
    if (disposition == TRUNCATE_EXISTING && !wants_write(access))
        return refuse(ERROR_INVALID_PARAMETER);

    int open_flags = O_CLOEXEC;
    if (wants_read(access) && wants_write(access))
        open_flags |= O_RDWR;
    else if (wants_write(access))
        open_flags |= O_WRONLY;
    else
        open_flags |= O_RDONLY;
    if (disposition == CREATE_NEW)
        open_flags |= O_CREAT | O_EXCL;
    else if (disposition == CREATE_ALWAYS)
        open_flags |= O_CREAT | O_TRUNC;
    else if (disposition == OPEN_ALWAYS)
        open_flags |= O_CREAT;
    else if (disposition == TRUNCATE_EXISTING)
        open_flags |= O_TRUNC;
    if ((open_flags & O_TRUNC) && !wants_write(access))
        open_flags = (open_flags & ~O_RDONLY) | O_RDWR; // truncation needs a writable descriptor
    mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = ::open(linux_path.c_str(), open_flags, mode);
    if (fd < 0)
        return refuse(errno == EEXIST ? ERROR_FILE_EXISTS : errno == ENOENT ? ERROR_PATH_NOT_FOUND : error_from_errno(errno));
    fstat(fd, &st);
    auto file = std::make_shared<FileObject>(fd, FileKey(st.st_dev, st.st_ino), access, share_mode);
    s_open.emplace(file->key, file.get());
    SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return Handles::add(std::move(file));
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD to_read, LPDWORD read, LPOVERLAPPED)
{
    if (read)
        *read = 0;
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    if (!wants_read(file->access))
        return fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < to_read) {
        ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + done, to_read - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error_from_errno(errno));
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    if (read)
        *read = done;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD to_write, LPDWORD written, LPOVERLAPPED)
{
    if (written)
        *written = 0;
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    if (!wants_write(file->access))
        return fail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < to_write) {
        ssize_t n = ::write(file->fd, static_cast<const char*>(buffer) + done, to_write - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (written)
                *written = done;
            return fail(error_from_errno(errno));
        }
        done += static_cast<DWORD>(n);
    }
    if (written)
        *written = done;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* new_position, DWORD method)
{
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
    if (whence < 0)
        return fail(ERROR_INVALID_PARAMETER);
    off_t base_position = whence == SEEK_SET ? 0 : lseek(file->fd, 0, whence);
    if (base_position + distance.QuadPart < 0)
        return fail(ERROR_NEGATIVE_SEEK);
    off_t at = lseek(file->fd, static_cast<off_t>(distance.QuadPart), whence);
    if (at < 0)
        return fail(error_from_errno(errno));
    if (new_position)
        new_position->QuadPart = at;
    return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distance_high, DWORD method)
{
    LARGE_INTEGER move;
    move.QuadPart = distance_high ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distance_high)) << 32) | static_cast<DWORD>(distance))
                                  : distance;
    LARGE_INTEGER at;
    if (!SetFilePointerEx(handle, move, &at, method))
        return INVALID_SET_FILE_POINTER;
    if (distance_high)
        *distance_high = at.u.HighPart;
    SetLastError(ERROR_SUCCESS);
    return at.u.LowPart;
}

BOOL SetEndOfFile(HANDLE handle)
{
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    off_t at = lseek(file->fd, 0, SEEK_CUR);
    if (at < 0 || ftruncate(file->fd, at) != 0)
        return fail(error_from_errno(errno));
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size)
{
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    struct stat st;
    if (fstat(file->fd, &st) != 0)
        return fail(error_from_errno(errno));
    if (size)
        size->QuadPart = st.st_size;
    return TRUE;
}

DWORD GetFileSize(HANDLE handle, LPDWORD size_high)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size))
        return INVALID_FILE_SIZE;
    if (size_high)
        *size_high = static_cast<DWORD>(size.u.HighPart);
    SetLastError(ERROR_SUCCESS);
    return size.u.LowPart;
}

BOOL FlushFileBuffers(HANDLE handle)
{
    auto file = file_of(handle);
    if (!file)
        return FALSE;
    if (!wants_write(file->access))
        return fail(ERROR_ACCESS_DENIED);
    if (fsync(file->fd) != 0)
        return fail(error_from_errno(errno));
    return TRUE;
}

BOOL DeleteFileA(LPCSTR path)
{
    if (!path)
        return fail(ERROR_INVALID_PARAMETER);
    std::string linux_path = resolve_path(path);
    std::lock_guard lock(s_files_mutex);
    struct stat st;
    if (lstat(linux_path.c_str(), &st) != 0)
        return fail(missing_error(linux_path));
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && read_only(st)) || folder_read_only(linux_path))
        return fail(ERROR_ACCESS_DENIED);
    FileKey key(st.st_dev, st.st_ino);
    if (share_conflict(key, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    if (unlink(linux_path.c_str()) != 0)
        return fail(error_from_errno(errno));
    if (st.st_nlink <= 1)
        s_creation_override.erase(key);
    return TRUE;
}

BOOL MoveFileA(LPCSTR existing, LPCSTR new_name)
{
    if (!existing || !new_name)
        return fail(ERROR_INVALID_PARAMETER);
    std::string from = resolve_path(existing);
    std::string to = resolve_path(new_name);
    std::lock_guard lock(s_files_mutex);
    struct stat st;
    if (lstat(from.c_str(), &st) != 0)
        return fail(missing_error(from));
    FileKey key(st.st_dev, st.st_ino);
    struct stat target;
    if (lstat(to.c_str(), &target) == 0) {
        if (FileKey(target.st_dev, target.st_ino) != key)
            return fail(ERROR_ALREADY_EXISTS);
        // The same file under another case: a rename to the spelling given.
        to = parent_of(to) + "/" + std::string(file_name_of(to_linux_path(new_name)));
    }
    if (!is_directory(parent_of(to)))
        return fail(ERROR_PATH_NOT_FOUND);
    if (folder_read_only(from) || folder_read_only(to))
        return fail(ERROR_ACCESS_DENIED);
    if (share_conflict(key, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    if (rename(from.c_str(), to.c_str()) == 0)
        return TRUE;
    if (errno != EXDEV || !S_ISREG(st.st_mode))
        return fail(error_from_errno(errno));
    if (DWORD code = copy_file(from, to)) {
        unlink(to.c_str());
        return fail(code);
    }
    unlink(from.c_str());
    return TRUE;
}

BOOL CopyFileA(LPCSTR existing, LPCSTR new_name, BOOL fail_if_exists)
{
    if (!existing || !new_name)
        return fail(ERROR_INVALID_PARAMETER);
    std::string from = resolve_path(existing);
    std::string to = resolve_path(new_name);
    std::lock_guard lock(s_files_mutex);
    struct stat st;
    if (stat(from.c_str(), &st) != 0)
        return fail(missing_error(from));
    if (S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    if (share_conflict(FileKey(st.st_dev, st.st_ino), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    struct stat target;
    if (stat(to.c_str(), &target) == 0) {
        if (fail_if_exists)
            return fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(target.st_mode) || read_only(target))
            return fail(ERROR_ACCESS_DENIED);
        FileKey target_key(target.st_dev, target.st_ino);
        if (target_key == FileKey(st.st_dev, st.st_ino) || share_conflict(target_key, GENERIC_WRITE, 0))
            return fail(ERROR_SHARING_VIOLATION);
    } else {
        if (!is_directory(parent_of(to)))
            return fail(ERROR_PATH_NOT_FOUND);
        if (folder_read_only(to))
            return fail(ERROR_ACCESS_DENIED);
    }
    if (DWORD code = copy_file(from, to))
        return fail(code);
    return TRUE;
}

namespace crt {

FILE* fopen(const char* windows_path, const char* mode)
{
    if (!windows_path || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    std::string linux_path = resolve_path(windows_path);
    std::string linux_mode;
    for (const char* m = mode; *m; ++m)
        if (*m != 't')
            linux_mode += *m;
    bool writes = mode[0] == 'w' || mode[0] == 'a' || std::strchr(mode, '+');
    {
        std::lock_guard lock(s_files_mutex);
        struct stat st;
        if (stat(linux_path.c_str(), &st) == 0) {
            DWORD access = (writes ? GENERIC_WRITE : 0) | (mode[0] == 'r' || std::strchr(mode, '+') ? GENERIC_READ : 0);
            if (share_conflict(FileKey(st.st_dev, st.st_ino), access, FILE_SHARE_READ | FILE_SHARE_WRITE)
                || (writes && read_only(st))) {
                errno = EACCES;
                return nullptr;
            }
        }
    }
    return ::fopen(linux_path.c_str(), linux_mode.c_str());
}

int _access(const char* windows_path, int mode)
{
    if (!windows_path) {
        errno = EINVAL;
        return -1;
    }
    struct stat st;
    if (stat(resolve_path(windows_path).c_str(), &st) != 0) {
        errno = ENOENT;
        return -1;
    }
    if ((mode & 2) && read_only(st)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

}
