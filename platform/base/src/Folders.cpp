// The current and temporary folders and the creation and removal of folders (base/Files.h).

#include <base/Files.h>
#include <base/Path.h>

#include "FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

using namespace base;
using namespace base::files;

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) {
        SetLastError(error_from_errno(errno));
        return 0;
    }
    std::string text = to_windows_path(cwd);
    std::free(cwd);
    return return_text(text, buffer, size);
}

BOOL SetCurrentDirectoryA(LPCSTR path)
{
    if (!path || !*path)
        return fail(ERROR_INVALID_PARAMETER);
    std::string linux_path = resolve_path(path);
    struct stat st;
    if (stat(linux_path.c_str(), &st) != 0)
        return fail(missing_error(linux_path));
    if (!S_ISDIR(st.st_mode))
        return fail(ERROR_DIRECTORY);
    if (chdir(linux_path.c_str()) != 0)
        return fail(error_from_errno(errno));
    return TRUE;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp && is_directory(tmp) ? tmp : "/tmp";
    std::string text = to_windows_path(folder);
    if (text.back() != '\\')
        text += '\\';
    return return_text(text, buffer, size);
}

DWORD GetShortPathNameA(LPCSTR long_path, LPSTR short_path, DWORD size)
{
    if (!long_path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string linux_path = resolve_path(long_path);
    struct stat st;
    if (stat(linux_path.c_str(), &st) != 0) {
        SetLastError(missing_error(linux_path));
        return 0;
    }
    return return_text(long_path, short_path, size);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES)
{
    if (!path || !*path)
        return fail(ERROR_PATH_NOT_FOUND);
    std::string linux_path = resolve_path(path);
    while (linux_path.size() > 1 && linux_path.back() == '/')
        linux_path.pop_back();
    struct stat st;
    if (lstat(linux_path.c_str(), &st) == 0)
        return fail(ERROR_ALREADY_EXISTS);
    if (!is_directory(parent_of(linux_path)))
        return fail(ERROR_PATH_NOT_FOUND);
    if (folder_read_only(linux_path))
        return fail(ERROR_ACCESS_DENIED);
    if (mkdir(linux_path.c_str(), 0777) != 0)
        return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : error_from_errno(errno));
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path)
{
    if (!path)
        return fail(ERROR_INVALID_PARAMETER);
    std::string linux_path = resolve_path(path);
    struct stat st;
    if (lstat(linux_path.c_str(), &st) != 0)
        return fail(missing_error(linux_path));
    if (!S_ISDIR(st.st_mode))
        return fail(ERROR_DIRECTORY);
    if (rmdir(linux_path.c_str()) != 0)
        return fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : error_from_errno(errno));
    return TRUE;
}

BOOL MakeSureDirectoryPathExists(LPCSTR path)
{
    if (!path)
        return fail(ERROR_INVALID_PARAMETER);
    std::string_view text(path);
    auto cut = text.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return TRUE;
    std::string folders = to_linux_path(text.substr(0, cut + 1));
    for (std::size_t at = 1; at <= folders.size(); ++at) {
        if (at != folders.size() && folders[at] != '/')
            continue;
        std::string level = resolve_path(folders.substr(0, at));
        if (level.empty() || is_directory(level))
            continue;
        if (mkdir(level.c_str(), 0777) != 0 && !is_directory(level))
            return fail(error_from_errno(errno));
    }
    return TRUE;
}
